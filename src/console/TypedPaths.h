#pragma once

#include "console/Console.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

inline constexpr std::string_view openPathPrompt = "変換元ファイルを選択してください> ";
inline constexpr std::string_view savePathPrompt = "出力ファイル名を入力してください> ";
inline constexpr std::string_view folderPathPrompt = "出力先のフォルダを入力してください> ";

// Reads one typed path, offering the prefill for editing where the console can;
// nothing at the end of input.
using PathLineReader = std::function<std::optional<std::string>(std::string_view prefill)>;

// The source name without folder and extension: the save dialog's initial name.
std::string initialSaveName(const std::filesystem::path& source);

// A typed answer as an absolute path: surrounding blanks and quotes removed, a
// leading ~ expanded; empty when nothing was typed.
std::filesystem::path typedPathToAbsolute(std::string_view typed);

// Typed stand-ins for the open and save dialogs, for consoles without them.
std::optional<std::filesystem::path> askOpenPathByTyping(Console& console, const PathLineReader& readPath,
                                                         std::string_view prompt = openPathPrompt);
// An existing folder; a missing one or a file is refused and asked again.
std::optional<std::filesystem::path> askFolderPathByTyping(Console& console, const PathLineReader& readPath);
std::optional<std::filesystem::path> askSavePathByTyping(Console& console, const PathLineReader& readPath,
                                                         std::string_view defaultExtension,
                                                         const std::filesystem::path& source);

}  // namespace zorvek

#pragma once

#include "console/Console.h"
#include "console/TypedPaths.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace zorvek {

inline constexpr std::string_view modelPathPrompt = "モデルのDFFファイルを選択してください> ";

// The dialogue around the dialogs: the prompt, then the chosen path in
// ColourInput, or the cancel message.
std::optional<std::filesystem::path> chooseOpenPath(Console& console, const FileFilter& filter = dffFilter,
                                                    std::string_view prompt = openPathPrompt);
std::optional<std::filesystem::path> chooseFolderPath(Console& console);
std::optional<std::filesystem::path> chooseSavePath(Console& console, const FileFilter& filter,
                                                    std::string_view defaultExtension,
                                                    const std::filesystem::path& source);

}  // namespace zorvek

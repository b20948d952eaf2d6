#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

// Console text attribute values, as the Windows console knows them.
enum class Colour : std::uint16_t { Heading = 11, Error = 12, Warning = 14, Input = 15 };

// A file dialog's filter: two (label, pattern) entries.
struct FileFilter {
    std::string_view label1, pattern1, label2, pattern2;
};

inline constexpr FileFilter dffFilter{"DFFファイル (*.dff)", "*.dff", "すべてのファイル (*.*)", "*"};
inline constexpr FileFilter pmxFilter{"PMXファイル (*.pmx)", "*.pmx", "すべてのファイル (*.*)", "*"};
inline constexpr FileFilter ifpFilter{"IFPファイル (*.ifp)", "*.ifp", "すべてのファイル (*.*)", "*"};
inline constexpr FileFilter vmdFilter{"VMDファイル (*.vmd)", "*.vmd", "すべてのファイル (*.*)", "*"};

// Returned by readKey for a key that produces no character (an arrow, a
// function key): it is one key, and never a valid choice.
inline constexpr int nonCharacterKey = -2;

// Every exchange with the user goes through this interface; the terminal,
// the Windows console and the tests' scripted console implement it.
class Console {
public:
    virtual ~Console() = default;

    virtual void setTitle(std::string_view title) = 0;
    // UTF-8 text, in the colour set last.
    virtual void write(std::string_view text) = 0;
    virtual void setColour(Colour colour) = 0;
    // Back to the user's own colours.
    virtual void setDefaultColour() = 0;
    // A line end: newline and flush.
    virtual void endLine() = 0;

    // One key without Enter; the character code (a byte value for ASCII),
    // nonCharacterKey, or nothing at the end of input.
    virtual std::optional<int> readKey(bool echo) = 0;
    // One typed line without its end, or nothing at the end of input.
    virtual std::optional<std::string> readLine() = 0;
    // The same, where the console can complete one of the words as it is typed.
    virtual std::optional<std::string> readLineCompleting(const std::vector<std::string>& words);

    // The open and save dialogs: a chosen path, or nothing when cancelled.
    // `prompt` has been written; a typed stand-in writes it again after a refused answer.
    virtual std::optional<std::filesystem::path> askOpenPath(const FileFilter& filter, std::string_view prompt) = 0;
    virtual std::optional<std::filesystem::path> askSavePath(const FileFilter& filter,
                                                             std::string_view defaultExtension,
                                                             const std::filesystem::path& source) = 0;
    // An existing folder to write into: typed where the console has no dialog for it.
    virtual std::optional<std::filesystem::path> askFolderPath();
};

}  // namespace zorvek

#include "console/TypedPaths.h"

#include "base/FileIo.h"
#include "base/TextBlanks.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"

#include <cstdlib>
#include <functional>
#include <system_error>

namespace zorvek {

namespace fs = std::filesystem;

std::string initialSaveName(const fs::path& source) {
    std::string name = pathToUtf8(source);
    const std::size_t separator = name.find_last_of("/\\");
    if (separator != std::string::npos) {
        name.erase(0, separator + 1);
    }
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

namespace {

fs::path homeFolder() {
#ifdef _WIN32
    // The narrow environment is in the system's code page, which may not hold the user's name.
    const wchar_t* home = _wgetenv(L"USERPROFILE");
    return home ? fs::path(home) : fs::path();
#else
    const char* home = std::getenv("HOME");
    return home ? utf8ToPath(home) : fs::path();
#endif
}

// A folder, or a name that ends in a separator and so can only mean one.
bool isFolderName(const fs::path& path) {
    std::error_code error;
    return !path.has_filename() || fs::is_directory(path, error);
}

}  // namespace

fs::path typedPathToAbsolute(std::string_view typed) {
    std::string_view text = trimBlanks(typed);
    // A terminal pastes a dragged file name in quotes.
    if (text.size() >= 2 && (text.front() == '\'' || text.front() == '"') && text.back() == text.front()) {
        text = trimBlanks(text.substr(1, text.size() - 2));
    }
    if (text.empty()) {
        return {};
    }
    fs::path path;
    if (text == "~" || text.starts_with("~/")) {
        path = homeFolder() / utf8ToPath(text.size() > 2 ? text.substr(2) : std::string_view());
    } else {
        path = utf8ToPath(text);
    }
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path.lexically_normal() : absolute.lexically_normal();
}

namespace {

// Why a typed path is refused ("" when it is taken), and the prompt asks again.
using PathRefusal = std::function<std::string(const fs::path& path)>;

std::optional<fs::path> askExistingPathByTyping(Console& console, const PathLineReader& readPath,
                                                std::string_view prompt, const PathRefusal& refusal) {
    for (;;) {
        const std::optional<std::string> typed = readPath("");
        if (!typed) {
            return std::nullopt;
        }
        const fs::path path = typedPathToAbsolute(*typed);
        if (path.empty()) {
            return std::nullopt;
        }
        const std::string refused = refusal(path);
        if (refused.empty()) {
            return path;
        }
        printLine(console, refused + pathToUtf8(path));
        console.write(prompt);
    }
}

}  // namespace

std::optional<fs::path> askOpenPathByTyping(Console& console, const PathLineReader& readPath, std::string_view prompt) {
    return askExistingPathByTyping(console, readPath, prompt, [](const fs::path& path) -> std::string {
        std::error_code error;
        if (fs::is_regular_file(path, error)) {
            return "";
        }
        return isFolderName(path) ? "フォルダは指定できません: " : "ファイルが見つかりません: ";
    });
}

std::optional<fs::path> askFolderPathByTyping(Console& console, const PathLineReader& readPath) {
    return askExistingPathByTyping(console, readPath, folderPathPrompt, [](const fs::path& path) -> std::string {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            return "";
        }
        return fs::exists(path, error) ? "フォルダではありません: " : "フォルダが見つかりません: ";
    });
}

namespace {

// Asks before replacing a file, as the save dialog does; nothing at the end of input.
std::optional<bool> confirmReplace(Console& console, const fs::path& path) {
    return askYesNo(console, pathToUtf8(path) + " は既に存在します。上書きしますか? (y/n)> ");
}

}  // namespace

std::optional<fs::path> askSavePathByTyping(Console& console, const PathLineReader& readPath,
                                            std::string_view defaultExtension, const fs::path& source) {
    fs::path prefill = source.parent_path() / utf8ToPath(initialSaveName(source));
    for (;;) {
        const std::optional<std::string> typed = readPath(pathToUtf8(prefill));
        if (!typed) {
            return std::nullopt;
        }
        fs::path path = typedPathToAbsolute(*typed);
        if (path.empty()) {
            return std::nullopt;
        }
        std::error_code error;
        if (!isFolderName(path) && !path.has_extension()) {
            path += std::string(".").append(defaultExtension);
        }
        if (isFolderName(path)) {
            printLine(console, "フォルダは指定できません: " + pathToUtf8(path));
        } else if (!fs::is_directory(path.parent_path(), error)) {
            printLine(console, "フォルダが見つかりません: " + pathToUtf8(path.parent_path()));
        } else if (!fs::exists(path, error)) {
            return path;
        } else if (isSameFile(path, source)) {
            // Before the question, so that no answer can replace the input.
            throw UserMessageError("入力と出力に同じファイルが指定されています");
        } else {
            const std::optional<bool> replace = confirmReplace(console, path);
            if (!replace) {
                return std::nullopt;
            }
            if (*replace) {
                return path;
            }
        }
        prefill = path;
        console.write(savePathPrompt);
    }
}

}  // namespace zorvek

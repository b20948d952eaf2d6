#include "ui/PathPrompts.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"

namespace zorvek {

namespace fs = std::filesystem;

namespace {

void printChosenPath(Console& console, const fs::path& path) {
    console.setColour(Colour::Input);
    console.write(pathToUtf8(path));
    console.endLine();
    console.setDefaultColour();
}

}  // namespace

std::optional<fs::path> chooseOpenPath(Console& console, const FileFilter& filter, std::string_view prompt) {
    console.write(prompt);
    std::optional<fs::path> path = console.askOpenPath(filter, prompt);
    if (!path) {
        printCancelled(console);
        return std::nullopt;
    }
    printChosenPath(console, *path);
    printLine(console, "読み込んでいます...");
    return path;
}

std::optional<fs::path> chooseFolderPath(Console& console) {
    console.write(folderPathPrompt);
    std::optional<fs::path> path = console.askFolderPath();
    if (!path) {
        printCancelled(console);
        return std::nullopt;
    }
    printChosenPath(console, *path);
    return path;
}

std::optional<fs::path> chooseSavePath(Console& console, const FileFilter& filter, std::string_view defaultExtension,
                                       const fs::path& source) {
    console.write(savePathPrompt);
    std::optional<fs::path> path = console.askSavePath(filter, defaultExtension, source);
    if (!path) {
        printCancelled(console);
        return std::nullopt;
    }
    printChosenPath(console, *path);
    // A dialog that asked about replacing the file itself ends here too.
    if (isSameFile(*path, source)) {
        throw UserMessageError("入力と出力に同じファイルが指定されています");
    }
    return path;
}

}  // namespace zorvek

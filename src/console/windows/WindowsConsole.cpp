#include "console/windows/WindowsConsole.h"

#include "base/TextEncoding.h"
#include "console/TypedPaths.h"
#include "console/windows/WindowsDialogs.h"

namespace zorvek {

namespace {

// What the Ctrl-C handler needs: it runs on a thread of its own while the
// program may be anywhere, so it only puts the user's colours back.
HANDLE attributesHandle = nullptr;
WORD attributesToRestore = 0;

BOOL WINAPI restoreColoursOnCtrl(DWORD) {
    if (attributesHandle != nullptr) {
        SetConsoleTextAttribute(attributesHandle, attributesToRestore);
    }
    return FALSE;  // the system's handler ends the program, as Ctrl-C always does
}

}  // namespace

WindowsConsole::WindowsConsole() : WindowsConsole(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE)) {}

WindowsConsole::WindowsConsole(NativeHandle input, NativeHandle output) : input_(input), output_(output) {
    if (output_.isConsole() && output_.savedAttributes() && attributesHandle == nullptr) {
        attributesHandle = output_.handle();
        attributesToRestore = *output_.savedAttributes();
        ctrlHandlerInstalled_ = SetConsoleCtrlHandler(restoreColoursOnCtrl, TRUE) != 0;
        if (!ctrlHandlerInstalled_) {
            attributesHandle = nullptr;
        }
    }
}

WindowsConsole::~WindowsConsole() {
    output_.restoreAttributes();
    if (ctrlHandlerInstalled_) {
        SetConsoleCtrlHandler(restoreColoursOnCtrl, FALSE);
        attributesHandle = nullptr;
    }
}

// Ctrl-C at a key prompt ends the program as it does at a typed line: the
// user's colours back, the "^C" the console shows, and the exit status of a
// program stopped by Ctrl-C.
void WindowsConsole::endAsCtrlCDoes() {
    output_.write("^C");
    endLine();
    output_.restoreAttributes();
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

void WindowsConsole::setTitle(std::string_view title) {
    // Without a console of ours the title would belong to someone else's window.
    if (input_.isConsole() || output_.isConsole()) {
        SetConsoleTitleW(utf8ToWide(title).c_str());
    }
}

void WindowsConsole::write(std::string_view text) {
    output_.write(text);
}

void WindowsConsole::setColour(Colour colour) {
    output_.setAttributes(static_cast<std::uint16_t>(colour));
}

void WindowsConsole::setDefaultColour() {
    output_.restoreAttributes();
}

void WindowsConsole::endLine() {
    output_.write("\n");
    output_.flush();
}

std::optional<int> WindowsConsole::readKey(bool echo) {
    output_.flush();
    std::optional<WindowsKey> key;
    if (input_.isConsole()) {
        key = input_.readConsoleKey();
    } else if (const std::optional<std::string> line = input_.readAnswerLine()) {
        key = keyFromPipedLine(*line);
    }
    if (!key) {
        return std::nullopt;
    }
    if (key->code == ctrlCKey && input_.isConsole()) {
        endAsCtrlCDoes();
    }
    // The key is echoed here rather than by _getwche, which would also show
    // the two codes of an arrow key as characters.
    if (echo && !key->echo.empty()) {
        output_.write(key->echo);
        output_.flush();
    }
    return key->code;
}

std::optional<std::string> WindowsConsole::readLine() {
    output_.flush();
    if (input_.isConsole()) {
        return input_.readConsoleLine();  // the console has shown the line and its end
    }
    std::optional<std::string> line = input_.readAnswerLine();
    if (line) {
        output_.write(*line);
        endLine();
    }
    return line;
}

std::optional<std::filesystem::path> WindowsConsole::askOpenPath(const FileFilter& filter, std::string_view prompt) {
    output_.flush();
    if (!input_.isConsole()) {
        return askOpenPathByTyping(
            *this, [this](std::string_view) { return readLine(); }, prompt);
    }
    FileDialog dialog(FileDialog::Kind::Open, filter, GetConsoleWindow());
    return dialog.show();
}

std::optional<std::filesystem::path> WindowsConsole::askSavePath(const FileFilter& filter,
                                                                 std::string_view defaultExtension,
                                                                 const std::filesystem::path& source) {
    output_.flush();
    if (!input_.isConsole()) {
        return askSavePathByTyping(
            *this, [this](std::string_view) { return readLine(); }, defaultExtension, source);
    }
    FileDialog dialog(FileDialog::Kind::Save, filter, GetConsoleWindow(), defaultExtension,
                      utf8ToUtf16(initialSaveName(source)));
    return dialog.show();
}

}  // namespace zorvek

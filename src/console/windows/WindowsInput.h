#pragma once

#include "console/windows/WindowsKeys.h"
#include "console/windows/WindowsOutput.h"

#include <cstddef>
#include <optional>
#include <string>

namespace zorvek {

// Answers longer than this are cut; the rest of the line is read and dropped.
inline constexpr std::size_t longestWindowsAnswer = 65536;

// Standard input. A console is read a key at a time with _getwch and a line at
// a time with ReadConsoleW, in UTF-16; a pipe or a file is read as UTF-8 lines,
// one answer per line, so that the program can be scripted.
class WindowsInput {
public:
    explicit WindowsInput(NativeHandle handle);
    WindowsInput(const WindowsInput&) = delete;
    WindowsInput& operator=(const WindowsInput&) = delete;

    bool isConsole() const { return console_; }

    // One key without Enter from the console; nothing at the end of input.
    std::optional<WindowsKey> readConsoleKey();
    // One line typed at the console, which shows it as it is typed; nothing at the end
    // of input (Ctrl-Z at the start of the line, or the read was broken off).
    std::optional<std::string> readConsoleLine();
    // The next line of a pipe or a file, without its "\n" and a "\r" before it; the
    // text before the end of input counts as a line; nothing at the end of input.
    std::optional<std::string> readAnswerLine();

private:
    // Reads more of a pipe or a file into the buffer; false at its end.
    bool fill();

    NativeHandle handle_;
    bool console_;
    std::string buffer_;
    std::size_t next_ = 0;
};

}  // namespace zorvek

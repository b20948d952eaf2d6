#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

// A Windows HANDLE, kept opaque so that <windows.h> stays out of the headers.
using NativeHandle = void*;

// Buffered text for standard output. A console gets UTF-16 through WriteConsoleW,
// so Japanese shows whatever the console's code page; a file or a pipe gets
// UTF-8 with CR LF line ends, as Windows text files have them.
class WindowsOutput {
public:
    explicit WindowsOutput(NativeHandle handle);
    ~WindowsOutput();
    WindowsOutput(const WindowsOutput&) = delete;
    WindowsOutput& operator=(const WindowsOutput&) = delete;

    bool isConsole() const { return console_; }
    NativeHandle handle() const { return handle_; }

    // UTF-8 text, held until the next flush.
    void write(std::string_view text);
    void flush();

    // A text attribute applies to what is written after it, so what is held goes out first.
    void setAttributes(std::uint16_t attributes);
    // The attributes the console had when we started: the user's own colours.
    void restoreAttributes();
    std::optional<std::uint16_t> savedAttributes() const { return saved_; }

private:
    void writeToConsole(std::string_view text);
    void writeToFile(std::string_view text);

    NativeHandle handle_;
    bool console_;
    std::optional<std::uint16_t> saved_;
    std::string pending_;
};

// Text with the line ends of a Windows text file: every "\n" becomes "\r\n".
std::string toWindowsLineEnds(std::string_view text);

}  // namespace zorvek

#include "console/windows/WindowsInput.h"

#include "console/PipedLines.h"

#include "base/TextEncoding.h"

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <conio.h>
#include <windows.h>

namespace zorvek {

namespace {

constexpr std::size_t readBlockSize = 65536;
constexpr DWORD consoleBlockUnits = 1024;
constexpr char16_t ctrlZ = 0x1A;

}  // namespace

WindowsInput::WindowsInput(NativeHandle handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

std::optional<WindowsKey> WindowsInput::readConsoleKey() {
    return keyFromConsoleCodes([] { return static_cast<std::uint32_t>(_getwch()); });
}

std::optional<std::string> WindowsInput::readConsoleLine() {
    std::u16string line;
    for (;;) {
        char16_t block[consoleBlockUnits];
        DWORD count = 0;
        if (!ReadConsoleW(handle_, block, consoleBlockUnits, &count, nullptr) || count == 0) {
            return std::nullopt;  // Ctrl-C broke the read off, or the console is gone
        }
        const std::size_t room = longestWindowsAnswer - std::min(line.size(), longestWindowsAnswer);
        line.append(block, std::min<std::size_t>(count, room));
        if (std::find(block, block + count, u'\n') != block + count) {
            break;
        }
    }
    if (!line.empty() && line.front() == ctrlZ) {
        return std::nullopt;
    }
    const std::size_t end = line.find_first_of(u"\r\n");
    return utf16ToUtf8(std::u16string_view(line).substr(0, end));
}

bool WindowsInput::fill() {
    buffer_.resize(readBlockSize);
    next_ = 0;
    DWORD count = 0;
    // A pipe whose writer has gone reports ERROR_BROKEN_PIPE; a file reports zero bytes.
    if (!ReadFile(handle_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &count, nullptr) || count == 0) {
        buffer_.clear();
        return false;
    }
    buffer_.resize(count);
    return true;
}

std::optional<std::string> WindowsInput::readAnswerLine() {
    return readPipedLine(
        [this]() -> std::string_view {
            if (next_ == buffer_.size() && !fill()) {
                return {};
            }
            return std::string_view(buffer_).substr(next_);
        },
        [this](std::size_t n) { next_ += n; }, longestWindowsAnswer);
}

}  // namespace zorvek

#include "console/windows/WindowsOutput.h"

#include "base/TextEncoding.h"

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace zorvek {

namespace {

// Well below what every console host takes in one call.
constexpr std::size_t consoleChunkUnits = 8192;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

std::optional<std::uint16_t> currentAttributes(HANDLE handle) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(handle, &info)) {
        return std::nullopt;
    }
    return info.wAttributes;
}

}  // namespace

std::string toWindowsLineEnds(std::string_view text) {
    std::string converted;
    converted.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') {
            converted += '\r';
        }
        converted += c;
    }
    return converted;
}

WindowsOutput::WindowsOutput(NativeHandle handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
    if (console_) {
        saved_ = currentAttributes(handle);
    }
}

WindowsOutput::~WindowsOutput() {
    flush();
}

void WindowsOutput::write(std::string_view text) {
    pending_ += text;
}

void WindowsOutput::flush() {
    if (pending_.empty()) {
        return;
    }
    if (console_) {
        writeToConsole(pending_);
    } else {
        writeToFile(toWindowsLineEnds(pending_));
    }
    pending_.clear();
}

void WindowsOutput::writeToConsole(std::string_view text) {
    const std::u16string units = utf8ToUtf16(text);
    std::size_t begin = 0;
    while (begin < units.size()) {
        std::size_t count = std::min(consoleChunkUnits, units.size() - begin);
        if (begin + count < units.size() && isHighSurrogate(units[begin + count - 1])) {
            --count;  // a pair split across two calls would show as two broken characters
        }
        DWORD written = 0;
        if (!WriteConsoleW(handle_, units.data() + begin, static_cast<DWORD>(count), &written, nullptr) ||
            written == 0) {
            return;  // a console that takes nothing more loses the rest, as a closed one would
        }
        begin += written;
    }
}

void WindowsOutput::writeToFile(std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(handle_, bytes.data(), count, &written, nullptr) || written == 0) {
            return;  // a closed pipe: the rest is lost, as on the terminal
        }
        bytes.remove_prefix(written);
    }
}

void WindowsOutput::setAttributes(std::uint16_t attributes) {
    flush();
    if (console_) {
        SetConsoleTextAttribute(handle_, attributes);
    }
}

void WindowsOutput::restoreAttributes() {
    flush();
    if (console_ && saved_) {
        SetConsoleTextAttribute(handle_, *saved_);
    }
}

}  // namespace zorvek

#include "console/windows/WindowsKeys.h"

#include "base/TextEncoding.h"
#include "console/Console.h"

#include <algorithm>

namespace zorvek {

namespace {

constexpr std::uint32_t extendedKeyPrefix = 0xE0;
constexpr std::uint32_t functionKeyPrefix = 0x00;
constexpr std::uint32_t ctrlZ = 0x1A;

bool isHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

bool isLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

bool isShown(int code) {
    return code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0);
}

// The code point of the UTF-16 units, and its echo when it shows.
WindowsKey keyFromUnits(const std::u16string& units) {
    int code = units[0];
    if (units.size() == 2) {
        code = 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
    }
    return {code, isShown(code) ? utf16ToUtf8(units) : std::string()};
}

}  // namespace

std::optional<WindowsKey> keyFromConsoleCodes(const std::function<std::uint32_t()>& nextCode) {
    const std::uint32_t first = nextCode();
    if (first == noMoreCodes || first == ctrlZ) {
        return std::nullopt;
    }
    if (first == functionKeyPrefix || first == extendedKeyPrefix) {
        nextCode();  // the scan code belongs to the same key
        return WindowsKey{nonCharacterKey, {}};
    }
    if (first == '\r' || first == '\n') {
        return WindowsKey{'\r', {}};
    }
    std::u16string units(1, static_cast<char16_t>(first));
    if (isHighSurrogate(first)) {
        const std::uint32_t second = nextCode();
        if (!isLowSurrogate(second)) {
            return WindowsKey{static_cast<int>(first), {}};  // half a character shows nothing
        }
        units.push_back(static_cast<char16_t>(second));
    } else if (isLowSurrogate(first)) {
        return WindowsKey{static_cast<int>(first), {}};
    }
    return keyFromUnits(units);
}

WindowsKey keyFromPipedLine(std::string_view line) {
    if (line.empty()) {
        return {'\r', {}};
    }
    const std::u16string decoded = utf8ToUtf16(line.substr(0, std::min<std::size_t>(line.size(), 4)));
    const std::size_t unitCount = isHighSurrogate(decoded[0]) && decoded.size() > 1 ? 2 : 1;
    const std::u16string units = decoded.substr(0, unitCount);
    // The decoder keeps a stray byte as the code unit of its value; encoded
    // again it no longer matches the line's bytes.
    if (!line.starts_with(utf16ToUtf8(units))) {
        return {static_cast<unsigned char>(line[0]), {}};
    }
    return keyFromUnits(units);
}

}  // namespace zorvek

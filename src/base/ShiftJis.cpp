#include "base/ShiftJis.h"

#include "base/UserMessageError.h"

#include <cstdint>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace zorvek {
namespace {

constexpr char unmappable = '?';
constexpr char16_t undecodable = u'\uFFFD';

bool isSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool isLeadByte(std::uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(std::uint8_t byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Shift-JIS's single bytes: ASCII and the half-width katakana. Windows also
// gives 80, A0 and FD-FF to U+0080 and four private-use characters, which
// glibc and other Shift-JIS readers do not know.
bool isSingleByteCharacter(std::uint8_t byte) {
    return byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF);
}

#ifdef _WIN32

// Windows' own code page 932. Without WC_NO_BEST_FIT_CHARS Windows would
// also write look-alikes ("e" for é, 5C for ¥), which glibc does not
// reproduce; with it, only characters that read back as themselves count.
class CodePage932 {
public:
    // The bytes of one character, or 0 when the code page has no exact place for it.
    std::size_t encode(char16_t unit, char (&out)[2]) const {
        const wchar_t wide = static_cast<wchar_t>(unit);
        BOOL usedDefault = FALSE;
        const int written = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, out, 2, nullptr, &usedDefault);
        return written <= 0 || usedDefault ? 0 : static_cast<std::size_t>(written);
    }

    // The character of one or two bytes; false when the code page has none.
    // Without MB_ERR_INVALID_CHARS Windows would give U+30FB or a default
    // character, which glibc does not.
    bool decode(const char* in, std::size_t inSize, char16_t& out) const {
        wchar_t wide[2];
        const int written = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in, static_cast<int>(inSize), wide, 2);
        if (written != 1) {
            return false;
        }
        out = static_cast<char16_t>(wide[0]);
        return true;
    }
};

#else

// One open glibc converter, closed with its owner.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            throw UserMessageError("Shift-JIS (CP932) の変換をこのシステムで使えません");
        }
    }
    ~IconvHandle() { iconv_close(handle_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    // Converts all of `in` into `out`; the number of bytes written, or 0 when
    // the character has no place in the target or does not fit.
    std::size_t convert(const char* in, std::size_t inSize, char* out, std::size_t outSize) const {
        char* inCursor = const_cast<char*>(in);
        char* outCursor = out;
        std::size_t inLeft = inSize;
        std::size_t outLeft = outSize;
        if (iconv(handle_, &inCursor, &inLeft, &outCursor, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
            return 0;
        }
        return outSize - outLeft;
    }

private:
    iconv_t handle_;
};

// glibc's CP932 also writes some characters that read back as others (U+301C
// WAVE DASH as 81 60, which is U+FF5E): a character counts only when its
// bytes read back as itself, as Windows does with WC_NO_BEST_FIT_CHARS.
class CodePage932 {
public:
    std::size_t encode(char16_t unit, char (&out)[2]) const {
        const char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        const std::size_t written = toSjis_.convert(in, 2, out, 2);
        char back[4];
        if (written == 0 || fromSjis_.convert(out, written, back, sizeof back) != 2 || back[0] != in[0] ||
            back[1] != in[1]) {
            return 0;
        }
        return written;
    }

    bool decode(const char* in, std::size_t inSize, char16_t& out) const {
        unsigned char unit[4];
        if (fromSjis_.convert(in, inSize, reinterpret_cast<char*>(unit), sizeof unit) != 2) {
            return false;
        }
        out = static_cast<char16_t>(unit[0] | unit[1] << 8);
        return true;
    }

private:
    IconvHandle toSjis_{"CP932", "UTF-16LE"};
    IconvHandle fromSjis_{"UTF-16LE", "CP932"};
};

#endif

}  // namespace

// One character at a time: each platform's converter then only ever sees
// single characters, so both handle unmappable ones and surrogates alike.
std::string toShiftJis(std::u16string_view text) {
    std::string result;
    result.reserve(text.size() * 2);
    const CodePage932 codePage;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            result.push_back(static_cast<char>(unit));
            continue;
        }
        if (isSurrogate(unit)) {
            // A pair is one character beyond U+FFFF: one "?" for both units.
            if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
                ++i;
            }
            result.push_back(unmappable);
            continue;
        }
        char bytes[2];
        const std::size_t length = codePage.encode(unit, bytes);
        if (length == 0 || (length == 1 && !isSingleByteCharacter(static_cast<std::uint8_t>(bytes[0])))) {
            result.push_back(unmappable);
        } else {
            result.append(bytes, length);
        }
    }
    return result;
}

std::string cutShiftJis(std::string_view sjis, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < sjis.size()) {
        const std::size_t length = isLeadByte(static_cast<std::uint8_t>(sjis[end])) ? 2 : 1;
        if (end + length > maxBytes || end + length > sjis.size()) {
            break;
        }
        end += length;
    }
    return std::string(sjis.substr(0, end));
}

// One character at a time, as toShiftJis: the converters only ever see
// whole characters, so neither is left to resynchronise after a bad byte
// its own way.
std::u16string fromShiftJis(std::string_view sjis) {
    std::u16string result;
    result.reserve(sjis.size());
    const CodePage932 codePage;
    std::size_t i = 0;
    while (i < sjis.size()) {
        const auto byte = static_cast<std::uint8_t>(sjis[i]);
        if (byte < 0x80) {
            result.push_back(static_cast<char16_t>(byte));
            ++i;
            continue;
        }
        const bool pair =
            isLeadByte(byte) && i + 1 < sjis.size() && isTrailByte(static_cast<std::uint8_t>(sjis[i + 1]));
        const std::size_t length = pair ? 2 : 1;
        char16_t unit = undecodable;
        if ((pair || isSingleByteCharacter(byte)) && !codePage.decode(sjis.data() + i, length, unit)) {
            unit = undecodable;
        }
        result.push_back(unit);
        i += length;
    }
    return result;
}

}  // namespace zorvek

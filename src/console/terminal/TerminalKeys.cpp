#include "console/terminal/TerminalKeys.h"

#include "base/TextEncoding.h"

#include "console/Console.h"
#include "console/terminal/TerminalInput.h"

namespace zorvek {

namespace {

constexpr unsigned char escapeByte = 0x1b;
constexpr unsigned char endOfInputByte = 0x04;  // Ctrl-D
// The bytes of one key arrive together; a pause this long separates two keys.
constexpr int followingByteMilliseconds = 30;
// No key sends a longer sequence; the limit keeps stray bytes from being swallowed.
constexpr int longestSequence = 32;

bool isContinuationByte(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

bool isFinalByte(unsigned char byte) {
    return byte >= 0x40 && byte <= 0x7e;
}

bool isEchoed(const Utf8Character& character) {
    const int code = character.code;
    return character.valid && code >= 0x20 && code != 0x7f && !(code >= 0x80 && code < 0xa0);
}

KeyPress keyFromCharacter(std::string_view bytes) {
    const Utf8Character character = decodeFirstCharacter(bytes);
    if (!isEchoed(character)) {
        return {character.code, {}};
    }
    return {character.code, std::string(bytes.substr(0, character.length))};
}

// Parameters up to the final byte: "\x1b[15~", "\x1b[1;5C", "\x1bOP".
void skipSequenceBody(TerminalInput& input) {
    for (int count = 0; count < longestSequence; ++count) {
        const std::optional<unsigned char> byte = input.readByteWithin(followingByteMilliseconds);
        if (!byte || isFinalByte(*byte)) {
            return;
        }
    }
}

// What follows the escape byte of one key: a CSI or SS3 sequence, or the character
// of an Alt chord. Alt with a sequence key sends a second escape first.
void skipEscapeSequence(TerminalInput& input) {
    std::optional<unsigned char> byte = input.readByteWithin(followingByteMilliseconds);
    if (byte && *byte == escapeByte) {
        byte = input.readByteWithin(followingByteMilliseconds);
    }
    if (!byte) {
        return;
    }
    if (*byte == '[') {
        // The Linux console's F1 to F5 send "\x1b[[A" to "\x1b[[E".
        const std::optional<unsigned char> next = input.peekByteWithin(followingByteMilliseconds);
        if (next && *next == '[') {
            input.readByteWithin(0);
        }
        skipSequenceBody(input);
    } else if (*byte == 'O') {
        skipSequenceBody(input);
    } else {
        readCharacterBytes(input, *byte);
    }
}

}  // namespace

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xc2 && lead <= 0xdf) {
        return 2;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        return 3;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        return 4;
    }
    return 1;
}

Utf8Character decodeFirstCharacter(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t code = 0;
    const std::size_t length = decodeUtf8(text, 0, code);
    if (length == 0) {
        return {lead, 1, false};  // a stray byte, an overlong form or a surrogate is no character
    }
    return {static_cast<int>(code), length, true};
}

std::string readCharacterBytes(TerminalInput& input, unsigned char lead) {
    std::string bytes(1, static_cast<char>(lead));
    const std::size_t length = utf8SequenceLength(lead);
    while (bytes.size() < length) {
        const std::optional<unsigned char> next = input.peekByteWithin(followingByteMilliseconds);
        if (!next || !isContinuationByte(*next)) {
            break;
        }
        input.readByteWithin(0);
        bytes += static_cast<char>(*next);
    }
    return bytes;
}

std::optional<KeyPress> readTerminalKey(TerminalInput& input) {
    const std::optional<unsigned char> first = input.readByte();
    if (!first || *first == endOfInputByte) {
        return std::nullopt;
    }
    if (*first == '\r' || *first == '\n') {
        return KeyPress{'\r', {}};
    }
    if (*first == escapeByte) {
        if (!input.peekByteWithin(followingByteMilliseconds)) {
            return KeyPress{escapeByte, {}};  // the Esc key itself
        }
        skipEscapeSequence(input);
        return KeyPress{nonCharacterKey, {}};
    }
    return keyFromCharacter(readCharacterBytes(input, *first));
}

KeyPress keyFromAnswerLine(std::string_view line) {
    if (line.empty()) {
        return {'\r', {}};
    }
    return keyFromCharacter(line);
}

}  // namespace zorvek

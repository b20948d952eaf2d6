#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

class TerminalInput;

// The first character of UTF-8 text. A byte that starts no valid sequence is a
// character of its own, with its byte value as the code, and is marked invalid.
struct Utf8Character {
    int code = 0;
    std::size_t length = 0;
    bool valid = false;
};

Utf8Character decodeFirstCharacter(std::string_view text);

// How many bytes a sequence that starts with this byte has; 1 for a byte that starts none.
std::size_t utf8SequenceLength(unsigned char lead);

// One key as the console reports it: its code and the bytes to echo (empty for keys
// that show nothing: Enter, control keys, keys that send an escape sequence).
struct KeyPress {
    int code = 0;
    std::string echo;
};

// A key from a terminal in single-key mode; nothing at the end of input (Ctrl-D).
std::optional<KeyPress> readTerminalKey(TerminalInput& input);

// The key of one piped answer line: its first character, or Enter for an empty line.
KeyPress keyFromAnswerLine(std::string_view line);

// The bytes of one character whose first byte has been read: the continuation bytes
// that follow at once are taken, anything else is left for the next read.
std::string readCharacterBytes(TerminalInput& input, unsigned char lead);

}  // namespace zorvek

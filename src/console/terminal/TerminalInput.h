#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zorvek {

// Answers longer than this are cut; the rest of the line is read and dropped.
inline constexpr std::size_t longestAnswerLine = 65536;

// Buffered reading of standard input's file descriptor, as bytes or as lines.
class TerminalInput {
public:
    // A terminal is read one byte per call, so that keys typed ahead stay in the
    // terminal until they are read in the mode meant for them (a key, a line, the
    // line editor); other input is read in large blocks.
    TerminalInput(int fd, bool byteAtATime);
    TerminalInput(const TerminalInput&) = delete;
    TerminalInput& operator=(const TerminalInput&) = delete;

    int fd() const { return fd_; }

    // The next byte, waiting as long as it takes; nothing at the end of input.
    std::optional<unsigned char> readByte();
    // The next byte if one arrives within the time; nothing otherwise.
    std::optional<unsigned char> readByteWithin(int milliseconds);
    // The same, leaving the byte to be read.
    std::optional<unsigned char> peekByteWithin(int milliseconds);

    // The next line without its "\n" and a "\r" before it; the text before the end
    // of input counts as a line; nothing at the end of input.
    std::optional<std::string> readLine();

private:
    enum class Fill { data, end, timeout };

    // Makes at least one byte available; a negative time waits as long as it takes.
    Fill fill(int milliseconds);
    // Appends what is buffered up to a line end to the line; true when the line end was found.

    int fd_;
    std::size_t blockSize_;
    std::string buffer_;
    std::size_t next_ = 0;
};

}  // namespace zorvek

#pragma once

#include <string>
#include <string_view>

namespace zorvek {

// Marks the invisible parts of a line editor's prompt (readline's convention).
inline constexpr char invisibleStart = '\1';
inline constexpr char invisibleEnd = '\2';

// Buffered writing to standard output's file descriptor. It remembers the line
// being written, so that a line editor can take it over as its prompt instead
// of drawing after text whose width it does not know.
class TerminalOutput {
public:
    explicit TerminalOutput(int fd);
    ~TerminalOutput();
    TerminalOutput(const TerminalOutput&) = delete;
    TerminalOutput& operator=(const TerminalOutput&) = delete;

    int fd() const { return fd_; }

    // Text, line ends included.
    void write(std::string_view text);
    // A sequence that shows nothing but belongs to the line (a colour change).
    void writeInvisible(std::string_view sequence);
    // A sequence that has no place in the line (the window title); written at once.
    void writeOutOfLine(std::string_view sequence);
    void flush();

    // The line written since the last line end, with its invisible sequences marked,
    // taken out of the output: the part still buffered is dropped and a part already
    // shown is erased from the terminal. Everything before it is flushed.
    std::string takeCurrentLine();
    // After a line editor: the terminal is at the start of a new line.
    void noteLineEnded();
    // After a line editor that left its prompt on the terminal without a line end.
    void noteLineShown(std::string markedLine);

private:
    void appendToLine(std::string_view text, bool visible);

    int fd_;
    std::string pending_;
    std::string line_;
    bool lineHasText_ = false;
    bool lineTextShown_ = false;
    bool lineTooLong_ = false;
};

}  // namespace zorvek

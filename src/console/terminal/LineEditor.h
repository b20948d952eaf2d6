#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

class TerminalInput;

// Typed paths on a terminal: editing, a history of the answers given, Tab completion
// of file names, and a proposed answer already in the line that Enter accepts. It
// uses libedit's readline interface, which keeps one state for the whole program.
class LineEditor {
public:
    LineEditor(TerminalInput& input, int outputFd);
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // One line, or nothing at the end of input (Ctrl-D on an empty line). The prompt's
    // invisible sequences are marked with invisibleStart and invisibleEnd. Tab
    // completes the words given (ignoring case), else file names.
    std::optional<std::string> readLine(const std::string& prompt, std::string_view prefill,
                                        const std::vector<std::string>* words = nullptr);

private:
    TerminalInput& input_;
};

// The prompt with a colour change before its last visible character, so that what
// the user types appears in that colour: libedit drops a sequence at the very end
// of a prompt. Nothing changes when the prompt shows nothing.
std::string promptWithTypingColour(std::string_view markedPrompt, std::string_view colourSequence);

}  // namespace zorvek

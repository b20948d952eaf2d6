#pragma once

#include "console/Console.h"
#include "console/terminal/LineEditor.h"
#include "console/terminal/TerminalInput.h"
#include "console/terminal/TerminalOutput.h"
#include "console/terminal/TerminalSignals.h"

#include <unistd.h>
#include <memory>
#include <optional>

namespace zorvek {

// The console on a Linux terminal: colours as ANSI sequences, keys without Enter,
// typed paths with line editing and file name completion. When input is not a
// terminal every answer is one line, and what the answers choose is echoed, so a
// transcript reads as the dialogue did on a terminal.
class TerminalConsole : public Console {
public:
    explicit TerminalConsole(int inputFd = STDIN_FILENO, int outputFd = STDOUT_FILENO);
    ~TerminalConsole() override;
    TerminalConsole(const TerminalConsole&) = delete;
    TerminalConsole& operator=(const TerminalConsole&) = delete;

    // Whether text for this descriptor may be coloured: it is a terminal that can
    // show colours, and the user has not asked for none (NO_COLOR).
    static bool colourAllowed(int fd);

    void setTitle(std::string_view title) override;
    void write(std::string_view text) override;
    void setColour(Colour colour) override;
    void setDefaultColour() override;
    void endLine() override;

    std::optional<int> readKey(bool echo) override;
    std::optional<std::string> readLine() override;
    std::optional<std::string> readLineCompleting(const std::vector<std::string>& words) override;

    std::optional<std::filesystem::path> askOpenPath(const FileFilter& filter, std::string_view prompt) override;
    std::optional<std::filesystem::path> askSavePath(const FileFilter& filter, std::string_view defaultExtension,
                                                     const std::filesystem::path& source) override;
    std::optional<std::filesystem::path> askFolderPath() override;

private:
    // The colour sequence in effect: the last colour set, or the user's own.
    std::string_view colourSequence() const;
    void echo(std::string_view text);
    std::optional<std::string> readPathLine(std::string_view prefill);
    std::optional<std::string> readEditedLine(std::string_view prefill, const std::vector<std::string>* words);

    bool inputIsTerminal_;
    bool outputIsTerminal_;
    bool colours_;
    TerminalInput input_;
    TerminalOutput output_;
    std::optional<Colour> colour_;
    std::optional<TerminalSignalGuard> signalGuard_;
    std::unique_ptr<LineEditor> lineEditor_;
};

}  // namespace zorvek

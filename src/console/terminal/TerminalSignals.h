#pragma once

#include <array>
#include <csignal>

namespace zorvek {

// Installed while a console talks to a terminal. A signal that ends the program
// (Ctrl-C, Ctrl-\, SIGTERM, SIGHUP) first restores the terminal's own mode and the
// user's colours and ends the line, then ends the program as it would have without
// us; Ctrl-Z does the same before stopping and sets single-key mode and the colour
// again when the program continues. Signals that were ignored stay ignored.
class TerminalSignalGuard {
public:
    // outputFd: the terminal the program writes to, or -1 when output goes elsewhere.
    TerminalSignalGuard(int outputFd, bool coloursInUse);
    ~TerminalSignalGuard();
    TerminalSignalGuard(const TerminalSignalGuard&) = delete;
    TerminalSignalGuard& operator=(const TerminalSignalGuard&) = delete;

    // The colour sequence in effect (a string with static storage), set again after a stop.
    static void noteColour(const char* sequence);

private:
    static constexpr std::array<int, 5> handledSignals{SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP};

    std::array<struct sigaction, handledSignals.size()> previous_{};
    std::array<bool, handledSignals.size()> installed_{};
};

}  // namespace zorvek

#include "console/terminal/TerminalSignals.h"

#include "console/terminal/TerminalMode.h"

#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace zorvek {

namespace {

std::atomic<int> terminalOutputFd{-1};
std::atomic<bool> resetColours{false};
std::atomic<const char*> colourInEffect{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free, "read in signal handlers");

constexpr char defaultColourSequence[] = "\x1b[0m";

void writeText(int fd, const char* text) {
    const std::size_t size = std::strlen(text);
    if (::write(fd, text, size) < 0) {
        return;  // nothing better to do in a handler
    }
}

void leaveTerminal(bool endLine) {
    restoreModeAfterSignal();
    const int fd = terminalOutputFd;
    if (fd < 0) {
        return;
    }
    if (resetColours) {
        writeText(fd, defaultColourSequence);
    }
    if (endLine) {
        writeText(fd, "\n");  // the shell's prompt starts on a line of its own
    }
}

void setHandler(int signal, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = handler == SIG_DFL ? 0 : SA_RESTART;
    sigaction(signal, &action, previous);
}

void endProgramOnSignal(int signal) {
    leaveTerminal(true);
    setHandler(signal, SIG_DFL, nullptr);
    // Blocked while this handler runs; delivered with its default action when it returns.
    raise(signal);
}

void stopProgramOnSignal(int signal) {
    const int savedErrno = errno;
    leaveTerminal(false);
    struct sigaction own {};
    setHandler(signal, SIG_DFL, &own);
    sigset_t stopSignal;
    sigemptyset(&stopSignal);
    sigaddset(&stopSignal, signal);
    sigprocmask(SIG_UNBLOCK, &stopSignal, nullptr);
    raise(signal);  // the program stops here until it is continued
    sigaction(signal, &own, nullptr);
    resumeSingleKeyMode();
    const int fd = terminalOutputFd;
    const char* colour = colourInEffect;
    if (fd >= 0 && resetColours && colour != nullptr) {
        writeText(fd, colour);
    }
    errno = savedErrno;
}

}  // namespace

TerminalSignalGuard::TerminalSignalGuard(int outputFd, bool coloursInUse) {
    terminalOutputFd = outputFd;
    resetColours = coloursInUse;
    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        const int signal = handledSignals[i];
        sigaction(signal, nullptr, &previous_[i]);
        if (previous_[i].sa_handler == SIG_IGN) {
            continue;  // a job started with the signal ignored keeps it so
        }
        setHandler(signal, signal == SIGTSTP ? stopProgramOnSignal : endProgramOnSignal, nullptr);
        installed_[i] = true;
    }
}

TerminalSignalGuard::~TerminalSignalGuard() {
    for (std::size_t i = 0; i < handledSignals.size(); ++i) {
        if (installed_[i]) {
            sigaction(handledSignals[i], &previous_[i], nullptr);
        }
    }
    terminalOutputFd = -1;
    resetColours = false;
    colourInEffect = nullptr;
}

void TerminalSignalGuard::noteColour(const char* sequence) {
    colourInEffect = sequence;
}

}  // namespace zorvek

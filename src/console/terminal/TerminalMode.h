#pragma once

namespace zorvek {

// While it lives, the terminal hands over every key at once and shows nothing of
// it; Ctrl-C and the other signal keys keep working. The terminal's own mode comes
// back when it ends, and also when a signal ends or stops the program meanwhile
// (with TerminalSignalGuard installed).
class SingleKeyMode {
public:
    explicit SingleKeyMode(int fd);
    ~SingleKeyMode();
    SingleKeyMode(const SingleKeyMode&) = delete;
    SingleKeyMode& operator=(const SingleKeyMode&) = delete;

    // False when the terminal refused the change; keys then come a line at a time.
    bool active() const { return active_; }

private:
    int fd_;
    bool active_ = false;
};

// For signal handlers only (async-signal-safe): put back the terminal's own mode
// if a SingleKeyMode is active, and set single-key mode again after a stop.
void restoreModeAfterSignal();
void resumeSingleKeyMode();

}  // namespace zorvek

#include "console/terminal/TerminalMode.h"

#include <termios.h>
#include <atomic>
#include <cerrno>

namespace zorvek {

namespace {

// Shared with the signal handlers, so that no way out leaves the terminal without
// its line editing and echo. Written only while `singleKeyActive` is false.
struct SavedModes {
    int fd = -1;
    termios own{};
    termios singleKey{};
};
SavedModes savedModes;
std::atomic<bool> singleKeyActive{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is read in signal handlers");

bool setMode(int fd, const termios& mode) {
    while (tcsetattr(fd, TCSANOW, &mode) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

SingleKeyMode::SingleKeyMode(int fd) : fd_(fd) {
    termios own{};
    if (tcgetattr(fd, &own) != 0) {
        return;
    }
    termios singleKey = own;
    singleKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    singleKey.c_lflag |= ISIG;
    singleKey.c_cc[VMIN] = 1;
    singleKey.c_cc[VTIME] = 0;
    savedModes = SavedModes{fd, own, singleKey};
    // Raised before the change: a signal in between restores a mode that is still in place.
    singleKeyActive = true;
    active_ = setMode(fd, singleKey);
    if (!active_) {
        singleKeyActive = false;
    }
}

SingleKeyMode::~SingleKeyMode() {
    if (active_) {
        setMode(fd_, savedModes.own);
        // Lowered after the change, so that a signal in between still restores the mode.
        singleKeyActive = false;
    }
}

void restoreModeAfterSignal() {
    if (singleKeyActive) {
        tcsetattr(savedModes.fd, TCSANOW, &savedModes.own);
    }
}

void resumeSingleKeyMode() {
    if (singleKeyActive) {
        tcsetattr(savedModes.fd, TCSANOW, &savedModes.singleKey);
    }
}

}  // namespace zorvek

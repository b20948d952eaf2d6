#include "console/terminal/TerminalInput.h"

#include "console/PipedLines.h"

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace zorvek {

namespace {

constexpr std::size_t pipeBlockSize = 65536;

// True when the descriptor has something to read (or its end) within the time.
bool waitReadable(int fd, int milliseconds) {
    pollfd request{fd, POLLIN, 0};
    for (;;) {
        const int ready = poll(&request, 1, milliseconds);
        if (ready >= 0) {
            return ready > 0;
        }
        if (errno != EINTR) {
            return true;  // let the read report what is wrong
        }
    }
}

}  // namespace

TerminalInput::TerminalInput(int fd, bool byteAtATime) : fd_(fd), blockSize_(byteAtATime ? 1 : pipeBlockSize) {}

TerminalInput::Fill TerminalInput::fill(int milliseconds) {
    if (next_ < buffer_.size()) {
        return Fill::data;
    }
    buffer_.resize(blockSize_);
    next_ = 0;
    for (;;) {
        if (milliseconds >= 0 && !waitReadable(fd_, milliseconds)) {
            buffer_.clear();
            return Fill::timeout;
        }
        const ssize_t count = read(fd_, buffer_.data(), buffer_.size());
        if (count > 0) {
            buffer_.resize(static_cast<std::size_t>(count));
            return Fill::data;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (milliseconds < 0) {
                waitReadable(fd_, -1);  // a descriptor left non-blocking by someone else
            }
            continue;
        }
        buffer_.clear();
        return Fill::end;  // the end, or an error that leaves nothing more to read
    }
}

std::optional<unsigned char> TerminalInput::readByte() {
    if (fill(-1) != Fill::data) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(buffer_[next_++]);
}

std::optional<unsigned char> TerminalInput::readByteWithin(int milliseconds) {
    std::optional<unsigned char> byte = peekByteWithin(milliseconds);
    if (byte) {
        ++next_;
    }
    return byte;
}

std::optional<unsigned char> TerminalInput::peekByteWithin(int milliseconds) {
    if (fill(std::max(milliseconds, 0)) != Fill::data) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(buffer_[next_]);
}

std::optional<std::string> TerminalInput::readLine() {
    return readPipedLine(
        [this]() -> std::string_view {
            if (fill(-1) != Fill::data) {
                return {};
            }
            return std::string_view(buffer_).substr(next_);
        },
        [this](std::size_t n) { next_ += n; }, longestAnswerLine);
}

}  // namespace zorvek

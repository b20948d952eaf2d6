#include "console/terminal/TerminalOutput.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

namespace zorvek {

namespace {

constexpr std::size_t flushThreshold = 65536;
// A prompt is short; a longer line is not offered to the line editor.
constexpr std::size_t longestPromptLine = 4096;
constexpr std::string_view eraseLine = "\r\x1b[K";

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd request{fd, POLLOUT, 0};
            poll(&request, 1, -1);
        } else {
            return;  // output that cannot be written is lost, as on a closed console
        }
    }
}

}  // namespace

TerminalOutput::TerminalOutput(int fd) : fd_(fd) {}

TerminalOutput::~TerminalOutput() {
    flush();
}

void TerminalOutput::appendToLine(std::string_view text, bool visible) {
    if (line_.size() + text.size() > longestPromptLine) {
        lineTooLong_ = true;
    }
    if (lineTooLong_) {
        return;
    }
    if (visible) {
        line_ += text;
        lineHasText_ = lineHasText_ || !text.empty();
    } else {
        line_ += invisibleStart;
        line_ += text;
        line_ += invisibleEnd;
    }
}

void TerminalOutput::write(std::string_view text) {
    pending_ += text;
    const std::size_t lastLineEnd = text.rfind('\n');
    if (lastLineEnd != std::string_view::npos) {
        noteLineEnded();
        text.remove_prefix(lastLineEnd + 1);
    }
    appendToLine(text, true);
    if (pending_.size() >= flushThreshold) {
        flush();
    }
}

void TerminalOutput::writeInvisible(std::string_view sequence) {
    pending_ += sequence;
    appendToLine(sequence, false);
}

void TerminalOutput::writeOutOfLine(std::string_view sequence) {
    pending_ += sequence;
    flush();
}

void TerminalOutput::flush() {
    writeAll(fd_, pending_);
    pending_.clear();
    lineTextShown_ = lineHasText_;
}

std::string TerminalOutput::takeCurrentLine() {
    if (lineTooLong_) {
        flush();
        return {};
    }
    const std::size_t lastLineEnd = pending_.rfind('\n');
    pending_.erase(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
    if (lineTextShown_) {
        pending_ += eraseLine;
    }
    flush();
    std::string line = std::move(line_);
    noteLineEnded();
    return line;
}

void TerminalOutput::noteLineEnded() {
    line_.clear();
    lineHasText_ = false;
    lineTextShown_ = false;
    lineTooLong_ = false;
}

void TerminalOutput::noteLineShown(std::string markedLine) {
    lineHasText_ = !markedLine.empty();
    lineTextShown_ = lineHasText_;
    line_ = std::move(markedLine);
    lineTooLong_ = false;
}

}  // namespace zorvek

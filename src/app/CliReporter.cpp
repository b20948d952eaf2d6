#include "app/CliReporter.h"

#include "app/TerminalConsole.h"

#include <string>

namespace zorvek {

CliReporter::CliReporter(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), colour_(TerminalConsole::colourAllowed(fileno(err))) {}

void CliReporter::progress(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void CliReporter::colouredLine(std::string_view colour, std::string_view text) {
    std::string line;
    if (colour_) {
        line.append(colour);
    }
    line.append(text);
    if (colour_) {
        line.append("\x1b[0m");
    }
    line.push_back('\n');
    std::fflush(out_);  // keeps progress and errors in order on a shared terminal
    std::fwrite(line.data(), 1, line.size(), err_);
    std::fflush(err_);
}

void CliReporter::warning(std::string_view message) {
    colouredLine("\x1b[93m", std::string("警告: ").append(message));
}

void CliReporter::error(std::string_view message) {
    colouredLine("\x1b[91m", std::string("エラー: ").append(message));
}

}  // namespace zorvek

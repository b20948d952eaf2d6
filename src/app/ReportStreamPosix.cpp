#include "app/ReportStream.h"

#include "app/TerminalConsole.h"

#include <string>

namespace zorvek {

namespace {

std::string_view sequenceFor(Colour colour) {
    switch (colour) {
    case Colour::Heading:
        return "\x1b[96m";
    case Colour::Error:
        return "\x1b[91m";
    case Colour::Warning:
        return "\x1b[93m";
    case Colour::Input:
        return "\x1b[97m";
    }
    return "\x1b[0m";
}

}  // namespace

bool reportColourAllowed(std::FILE* stream) {
    return TerminalConsole::colourAllowed(fileno(stream));
}

void writeReportLine(std::FILE* stream, std::string_view text, std::optional<Colour> colour) {
    std::string line;
    if (colour) {
        line.append(sequenceFor(*colour));
    }
    line.append(text);
    if (colour) {
        line.append("\x1b[0m");
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

}  // namespace zorvek

#include "console/ReportStream.h"

#include "console/AnsiColours.h"
#include "console/terminal/TerminalConsole.h"

#include <string>

namespace zorvek {

bool reportColourAllowed(std::FILE* stream) {
    return TerminalConsole::colourAllowed(fileno(stream));
}

void writeReportLine(std::FILE* stream, std::string_view text, std::optional<Colour> colour) {
    std::string line;
    if (colour) {
        line.append(ansiColourSequence(*colour));
    }
    line.append(text);
    if (colour) {
        line.append(ansiUserColours);
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

}  // namespace zorvek

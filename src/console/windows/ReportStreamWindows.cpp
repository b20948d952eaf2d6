#include "console/ReportStream.h"

#include "console/windows/WindowsOutput.h"

#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>

namespace zorvek {

namespace {

HANDLE handleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

bool reportColourAllowed(std::FILE* stream) {
    return WindowsOutput(handleOf(stream)).isConsole() && !colourRefusedByUser();
}

void writeReportLine(std::FILE* stream, std::string_view text, std::optional<Colour> colour) {
    std::fflush(stream);  // what the runtime holds for this stream goes first
    WindowsOutput output(handleOf(stream));
    if (!output.isConsole()) {
        std::string line(text);
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stream);
        std::fflush(stream);
        return;
    }
    if (colour) {
        output.setAttributes(static_cast<std::uint16_t>(*colour));
    }
    output.write(text);
    output.write("\n");
    output.restoreAttributes();
}

}  // namespace zorvek

#include "cli/CliReporter.h"

#include "console/ReportStream.h"

#include <string>

namespace zorvek {

CliReporter::CliReporter(std::FILE* out, std::FILE* err) : out_(out), err_(err), colour_(reportColourAllowed(err)) {}

void CliReporter::progress(std::string_view line) {
    writeReportLine(out_, line, std::nullopt);
}

void CliReporter::colouredLine(Colour colour, std::string_view text) {
    std::fflush(out_);  // keeps progress and errors in order on a shared terminal
    writeReportLine(err_, text, colour_ ? std::optional<Colour>(colour) : std::nullopt);
}

void CliReporter::warning(std::string_view message) {
    colouredLine(Colour::Warning, std::string("警告: ").append(message));
}

void CliReporter::error(std::string_view message) {
    colouredLine(Colour::Error, std::string("エラー: ").append(message));
}

}  // namespace zorvek

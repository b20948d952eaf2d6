#pragma once

#include "console/Console.h"

#include <cstdio>
#include <string_view>

namespace zorvek {

// Where the command line reports: progress lines on one stream, warnings and
// errors on the other, in colour only when that stream is a terminal.
class CliReporter {
public:
    CliReporter(std::FILE* out, std::FILE* err);

    void progress(std::string_view line);
    void warning(std::string_view message);
    void error(std::string_view message);

private:
    void colouredLine(Colour colour, std::string_view text);

    std::FILE* out_;
    std::FILE* err_;
    bool colour_;
};

}  // namespace zorvek

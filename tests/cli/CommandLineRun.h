#pragma once

// Runs the command line in this process, as `zorvek ARGUMENTS...` would,
// with its two streams captured.

#include <string>
#include <vector>

namespace zorvek::test {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

RunResult run(std::vector<std::string> arguments);

}  // namespace zorvek::test

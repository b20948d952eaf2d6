#pragma once

// Runs the third-party checkers (Node.js scripts over npm packages that we
// did not write) from the tests, on Linux only.

#include <filesystem>
#include <string>

namespace zorvek::test {

struct CommandResult {
    int status = -1;
    std::string output;  // standard output and standard error together
};

// A path in single quotes for the shell.
std::string shellQuoted(const std::filesystem::path& path);

CommandResult runCommand(const std::string& command);

// Why a script of `folder` needing the npm package cannot run here, or "" when it can.
std::string missingNodePackage(const std::filesystem::path& folder, const std::string& package);

}  // namespace zorvek::test

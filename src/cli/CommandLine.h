#pragma once

#include <cstdio>
#include <filesystem>

namespace zorvek {

// One job from the arguments, for scripts and batches: never asks anything.
// Progress goes to `out`, warnings and errors to `err`. Returns 0 when every
// job succeeded, 1 when any failed, 2 for a usage error. The tables are read
// from `tablesFolder` unless --tables names another.
int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                   const std::filesystem::path& tablesFolder = ".");

}  // namespace zorvek

#pragma once

#include <cstdio>

namespace zorvek {

// One job from the arguments, for scripts and batches: never asks anything.
// Progress goes to `out`, warnings and errors to `err`. Returns 0 when every
// job succeeded, 1 when any failed, 2 for a usage error.
int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace zorvek

#pragma once

namespace zorvek {

// The menu without arguments, one command-line job with them; the exit status.
int runProgram(int argc, char** argv);

}  // namespace zorvek

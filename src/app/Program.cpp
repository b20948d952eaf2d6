#include "app/Program.h"

#include "app/CommandLine.h"
#include "app/MainMenu.h"
#include "app/TablesLocation.h"
#include "app/TerminalConsole.h"

#include <cstdio>

namespace zorvek {

int runProgram(int argc, char** argv) {
    if (argc > 1) {
        return runCommandLine(argc, argv, stdout, stderr);
    }
    TerminalConsole console;
    return runInteractiveProgram(console, findTablesFolder());
}

}  // namespace zorvek

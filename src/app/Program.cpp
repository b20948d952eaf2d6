#include "app/Program.h"

#include "app/TablesLocation.h"
#include "cli/CommandLine.h"
#include "ui/MainMenu.h"

#ifdef _WIN32
#include "console/windows/WindowsConsole.h"
#else
#include "console/terminal/TerminalConsole.h"
#endif

#include <cstdio>

namespace zorvek {

namespace {

#ifdef _WIN32
using PlatformConsole = WindowsConsole;
#else
using PlatformConsole = TerminalConsole;
#endif

}  // namespace

int runProgram(int argc, char** argv) {
    if (argc > 1) {
        return runCommandLine(argc, argv, stdout, stderr, findTablesFolder());
    }
    PlatformConsole console;
    return runInteractiveProgram(console, findTablesFolder());
}

}  // namespace zorvek

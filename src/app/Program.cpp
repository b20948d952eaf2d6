#include "app/Program.h"

#include "app/CommandLine.h"
#include "app/MainMenu.h"
#include "app/TablesLocation.h"

#ifdef _WIN32
#include "app/WindowsConsole.h"
#else
#include "app/TerminalConsole.h"
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
        return runCommandLine(argc, argv, stdout, stderr);
    }
    PlatformConsole console;
    return runInteractiveProgram(console, findTablesFolder());
}

}  // namespace zorvek

#include "app/Program.h"

#ifdef _WIN32
#include "console/windows/WindowsArguments.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    zorvek::Utf8Arguments arguments;
    return zorvek::runProgram(arguments.count(), arguments.values());
#else
    return zorvek::runProgram(argc, argv);
#endif
}

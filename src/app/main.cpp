#include "app/Program.h"

int main(int argc, char** argv) {
    return zorvek::runProgram(argc, argv);
}

#include "app/Program.h"

namespace zorvek {

int runProgram(int, char**) {
    return 0;
}

}  // namespace zorvek

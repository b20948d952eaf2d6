#pragma once

#include "console/Console.h"

namespace zorvek {

// Menu entry 5: the DFF rescale dialogue. Prints its own errors.
void rescaleDffCommand(Console& console);

}  // namespace zorvek

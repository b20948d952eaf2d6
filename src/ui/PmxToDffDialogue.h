#pragma once

#include "console/Console.h"

namespace zorvek {

// Menu entry 6: an MMD model into a ped DFF. Prints its own errors.
void convertPmxToDff(Console& console);

}  // namespace zorvek

#pragma once

#include "console/Console.h"
#include "jobs/ConversionTables.h"

namespace zorvek {

// Menu entry 2: the whole IFP to VMD dialogue. Prints its own errors.
void convertIfpToVmd(Console& console, const ConversionTables& tables);

}  // namespace zorvek

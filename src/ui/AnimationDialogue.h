#pragma once

#include "console/Console.h"
#include "jobs/ConversionTables.h"

namespace zorvek {

// Menu entry 1: the whole VMD to IFP dialogue. Prints its own errors.
void convertVmdToIfp(Console& console, const ConversionTables& tables);

}  // namespace zorvek

#pragma once

#include "console/Console.h"
#include "jobs/ConversionTables.h"
#include "skeleton/ConversionMode.h"

namespace zorvek {

// The mode menu; asks again until a valid key, cancels at the end of input.
ConversionMode chooseConversionMode(Console& console);

// Menu entry 3: the whole DFF to PMX dialogue. Prints its own errors.
void convertDffToPmx(Console& console, const ConversionTables& tables);

}  // namespace zorvek

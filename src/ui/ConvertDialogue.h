#pragma once

#include "jobs/ConversionTables.h"
#include "skeleton/ConversionMode.h"
#include "ui/Console.h"

namespace zorvek {

// The mode menu; asks again until a valid key, cancels at the end of input.
ConversionMode chooseConversionMode(Console& console);

// Menu entry 3: the whole DFF to PMX dialogue. Prints its own errors.
void convertDffToPmx(Console& console, const ConversionTables& tables);

}  // namespace zorvek

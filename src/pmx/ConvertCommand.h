#pragma once

#include "common/Console.h"
#include "pmx/ConversionMode.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

namespace zorvek {

// The mode menu; asks again until a valid key, cancels at the end of input.
ConversionMode chooseConversionMode(Console& console);

// Menu entry 3: the whole DFF to PMX dialogue. Prints its own errors.
void convertDffToPmx(Console& console, const BoneTable& bones, const IkTable& iks);

}  // namespace zorvek

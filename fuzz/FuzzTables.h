#pragma once

#include "jobs/ConversionTables.h"

namespace zorvek::fuzz {

// bones.dat and iks.dat from the source tree's data folder, loaded once.
const ConversionTables& shippedTables();

}  // namespace zorvek::fuzz

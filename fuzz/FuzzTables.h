#pragma once

#include "tables/BoneTable.h"
#include "tables/IkTable.h"

namespace zorvek::fuzz {

struct ShippedTables {
    BoneTable bones;
    IkTable iks;
};

// bones.dat and iks.dat from the source tree's data folder, loaded once.
const ShippedTables& shippedTables();

}  // namespace zorvek::fuzz

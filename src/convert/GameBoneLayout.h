#pragma once

// The game's hierarchy as a PMX bone layout: one PMX bone per skin bone, in
// bone-number order and parented as the game parents their frames, then
// the IK bones of the table's used rows, then the tips that show where the
// bones point.

#include "dff/DffModel.h"
#include "rig/PmxRig.h"
#include "skeleton/ConversionMode.h"
#include "skeleton/Skeleton.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <cstdint>
#include <string>

namespace zorvek {

// Refuses what cannot be written (bone numbers without a bone matrix or with
// a gap, broken parents, IK rows naming frames that are not bones, too many
// bones) before anything is reported; its warnings are in the rig.
PmxRig layoutGameHierarchy(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode,
                           const BoneTable& bones, const IkTable& iks);

// Decimal digits of a bone id, as bone names and messages show it.
std::string boneIdText(std::int64_t boneId);

}  // namespace zorvek

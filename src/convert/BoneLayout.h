#pragma once

#include "dff/DffModel.h"
#include "rig/PmxRig.h"
#include "skeleton/ConversionMode.h"
#include "skeleton/Skeleton.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

namespace zorvek {

// The bone layout of a mode: the standard MMD skeleton, or the game's own hierarchy.
PmxRig layoutBones(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BoneTable& bones,
                   const IkTable& iks);

}  // namespace zorvek

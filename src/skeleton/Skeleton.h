#pragma once

#include "dff/DffModel.h"
#include "skeleton/ConversionMode.h"
#include "tables/BoneTable.h"

namespace zorvek {

// Fills boneMatrices and skinMatrices; throws UserMessageError for a skeleton
// that cannot be prepared (a missing bone number, no reference bone, a bone
// without a usable parent).
void prepareSkeleton(DffModel& model, ConversionMode mode, const BoneTable& bones);

}  // namespace zorvek

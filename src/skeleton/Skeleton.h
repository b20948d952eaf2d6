#pragma once

#include "dff/DffModel.h"
#include "skeleton/ConversionMode.h"
#include "tables/BoneTable.h"

#include <vector>

namespace zorvek {

// Per skin bone number, where the converted bone stands and how it is
// turned (rows 0 to 2 its axes, row 3 its place, in game units and MMD's
// axes), and the matrix that carries a bind-pose vertex onto it.
struct PreparedSkeleton {
    std::vector<Matrix44> boneMatrices;
    std::vector<Matrix44> skinMatrices;
};

// Throws UserMessageError for a skeleton that cannot be prepared (a missing
// bone number, no reference bone, a bone without a usable parent).
PreparedSkeleton prepareSkeleton(const DffModel& model, ConversionMode mode, const BoneTable& bones);

}  // namespace zorvek

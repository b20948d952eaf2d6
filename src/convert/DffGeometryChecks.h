#pragma once

#include "dff/DffModel.h"
#include "skeleton/Skeleton.h"

#include <cstddef>
#include <cstdint>

namespace zorvek {

// Face indices that a split contributes: n for triangle lists, 3 (n - 2) for strips.
std::uint64_t faceIndexCount(const MeshSplit& split, bool strips);

// Refuses a mesh that a PMX's vertex, face and material sections cannot hold:
// missing skin data, bone numbers without a skinning matrix or beyond the
// skin bones, short texture coordinate or normal sets, broken splits.
void checkGeometry(const DffModel& model, const PreparedSkeleton& skeleton, std::size_t skinBoneCount);

}  // namespace zorvek

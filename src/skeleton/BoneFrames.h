#pragma once

#include "dff/DffModel.h"
#include "tables/BoneTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zorvek {

// Refuses every frame whose bone number is neither -1 nor below boneCount.
void checkBoneNumbersWithin(const DffModel& model, std::size_t boneCount);

// For each bone number 0 ... boneCount - 1, the first frame that carries it;
// refuses a number that no frame carries.
std::vector<std::size_t> findBoneFrames(const DffModel& model, std::size_t boneCount);

// Refuses a bone frame whose parent index names no frame; -1 passes only when allowed.
void checkParentFrame(const DffModel& model, std::size_t frame, bool allowNoParent);

// The bone table's row for a frame's bone id, or nullptr (also for a frame without an id).
const BoneTableEntry* findBoneRow(const BoneTable& bones, std::int32_t boneId);

}  // namespace zorvek

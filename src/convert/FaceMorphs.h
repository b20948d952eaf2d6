#pragma once

// Bone morphs that move a ped's jaw and brows, named as MMD motions key
// lip sync and brows, so that a dance's mouth shapes open the ped's mouth.

#include "pmx/PmxModel.h"

#include <cstdint>
#include <vector>

namespace zorvek {

// The bones are PMX indices, -1 where the model lacks one; a morph whose
// bones are all missing is left out.
std::vector<PmxMorph> faceMorphs(std::int32_t jaw, std::int32_t leftBrow, std::int32_t rightBrow);

}  // namespace zorvek

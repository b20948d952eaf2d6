#pragma once

// An MMD model built in code as semi-standard models are made, with its own
// proportions (taller than a ped, long legs): 腰, 肩P/肩C, 腕捩 and 手捩 with
// their steps, 腰キャンセル, leg D bones carrying the leg's vertices, 足先EX,
// hair bones, eyes, all five fingers, the IK bones with their parents.
// Vertices lie along the bones they follow, weighted BDEF1, BDEF2 and BDEF4.

#include "pmx/PmxModel.h"

#include <cstddef>
#include <string>

namespace zorvek::test {

struct SemiStandardOptions {
    std::size_t vertexCount = 40000;
    std::size_t materialCount = 5;
    float height = 23;  // PMX units from the floor to the top of the head
};

PmxModel makeSemiStandardModel(const SemiStandardOptions& options = {});

// The index of a bone by name; throws std::out_of_range when there is none.
std::int32_t boneIndex(const PmxModel& model, std::u16string_view name);

}  // namespace zorvek::test

#pragma once

#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBuffer.h"

#include <cstddef>

namespace zorvek {

// Root, expressions, IK (only when there are IK bones) and the other skin
// bones; tip bones are in no frame.
void writeDisplayFrames(PmxBuffer& buffer, const BonePlan& plan);

// Its byte length, at the plan's bone index size.
std::size_t displayFrameSectionSize(const BonePlan& plan);

}  // namespace zorvek

#pragma once

#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBuffer.h"

namespace zorvek {

// Root, expressions, IK (only when there are IK bones) and the other skin
// bones; tip bones are in no frame.
void writeDisplayFrames(PmxBuffer& buffer, const BonePlan& plan);

}  // namespace zorvek

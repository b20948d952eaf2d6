#pragma once

#include "skeleton/ConversionMode.h"
#include "dff/DffModel.h"
#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBuffer.h"
#include "tables/IkTable.h"

namespace zorvek {

// The bone section: skin bones, IK bones, tips of skin bones, tips of IK bones.
void writeBones(PmxBuffer& buffer, const DffModel& model, ConversionMode mode, const BonePlan& plan,
                const IkTable& iks);

}  // namespace zorvek

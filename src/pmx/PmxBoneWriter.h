#pragma once

#include "dff/DffModel.h"
#include "pmx/PmxBonePlan.h"
#include "pmx/PmxBuffer.h"
#include "skeleton/ConversionMode.h"
#include "tables/IkTable.h"

#include <cstddef>

namespace zorvek {

// The bone section: skin bones, IK bones, tips of skin bones, tips of IK bones.
void writeBones(PmxBuffer& buffer, const DffModel& model, ConversionMode mode, const BonePlan& plan,
                const IkTable& iks);

// Its byte length, at the plan's bone index size.
std::size_t boneSectionSize(const DffModel& model, ConversionMode mode, const BonePlan& plan, const IkTable& iks);

}  // namespace zorvek

#pragma once

#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"

namespace zorvek {

// A rescale needs only where the vertices lie, not a copy of them.
enum class VertexArrays { Keep, PassOver };

// The parts of the clump walk inside the first Geometry; each expects the
// Geometry to be the innermost open section and leaves it so.
void readGeometryData(SectionInput& input, DffModel& model, const WarningSink& warn, DffScaledValueOffsets* offsets,
                      VertexArrays arrays);
void readMaterialList(SectionInput& input, DffModel& model, const WarningSink& warn);
void readGeometryExtension(SectionInput& input, DffModel& model, DffScaledValueOffsets* offsets);

}  // namespace zorvek

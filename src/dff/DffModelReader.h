#pragma once

#include "base/Warnings.h"
#include "dff/DffModel.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvek {

class SectionInput;

// Where the values that a rescale multiplies lie in the file (byte offsets).
struct DffScaledValueOffsets {
    std::size_t frameEntries = 0;  // first 56-byte frame entry of the FrameList Struct
    std::uint32_t numFrames = 0;
    std::size_t vertices = 0;  // first vertex position of the first morph target
    std::uint32_t numVertices = 0;
    std::size_t boneMatrices = 0;  // first inverse bone matrix of the SkinPLG
    std::uint32_t numBones = 0;
};

// Walks the first clump into the model, reporting warnings through the sink.
// Throws UserMessageError for missing sections, foreign stamps, the model
// errors and malformed files. On return no section is open. When offsets is
// given, it receives where the scaled values lie.
void readDffModel(SectionInput& input, DffModel& model, const WarningSink& warn,
                  DffScaledValueOffsets* offsets = nullptr);

// The same walk, with every check and warning, for a rescale: where the scaled
// values lie, without keeping the vertex arrays.
DffScaledValueOffsets readDffScaledValueOffsets(SectionInput& input, const WarningSink& warn);

// Numbers the textures 0, 1, 2, ... in byte-wise ascending name order.
void numberTextures(DffModel& model);

}  // namespace zorvek

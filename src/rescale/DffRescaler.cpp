#include "rescale/DffRescaler.h"

#include "pmx/DffModelReader.h"
#include "rw/SectionInput.h"

#include <cstring>

namespace zorvek {

namespace {

// Multiplies `count` consecutive float32 values, rounding each product to float32.
void scaleFloats(Bytes& bytes, std::size_t offset, std::size_t count, float factor) {
    for (std::size_t i = 0; i < count; ++i) {
        float value;
        std::memcpy(&value, bytes.data() + offset + 4 * i, sizeof value);
        value = value * factor;
        std::memcpy(bytes.data() + offset + 4 * i, &value, sizeof value);
    }
}

constexpr std::size_t frameEntrySize = 56;
constexpr std::size_t frameTranslationOffset = 36;
constexpr std::size_t boneMatrixSize = 64;
constexpr std::size_t matrixFourthRowOffset = 48;

}  // namespace

Bytes rescaleDff(std::span<const std::uint8_t> input, float factor, const WarningSink& warn) {
    DffScaledValueOffsets offsets;
    {
        DffModel model;
        SectionInput reader(input);
        readDffModel(reader, model, warn, &offsets);
    }
    Bytes output(input.begin(), input.end());
    for (std::size_t frame = 0; frame < offsets.numFrames; ++frame) {
        scaleFloats(output, offsets.frameEntries + frame * frameEntrySize + frameTranslationOffset, 3, factor);
    }
    scaleFloats(output, offsets.vertices, 3 * std::size_t{offsets.numVertices}, factor);
    // The whole fourth row, w included: rescaled files stay identical to earlier releases.
    for (std::size_t bone = 0; bone < offsets.numBones; ++bone) {
        scaleFloats(output, offsets.boneMatrices + bone * boneMatrixSize + matrixFourthRowOffset, 4, factor);
    }
    return output;
}

}  // namespace zorvek

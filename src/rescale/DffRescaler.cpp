#include "rescale/DffRescaler.h"

#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"

#include <cstring>

namespace zorvek {

namespace {

constexpr std::size_t frameEntrySize = 56;
constexpr std::size_t frameTranslationOffset = 36;
constexpr std::size_t boneMatrixSize = 64;
constexpr std::size_t matrixFourthRowOffset = 48;

// Multiplies `count` consecutive float32 values, rounding each product to float32.
void scaleFloats(std::span<std::uint8_t> dff, std::vector<ByteRange>& changed, std::size_t offset, std::size_t count,
                 float factor) {
    for (std::size_t i = 0; i < count; ++i) {
        float value;
        std::memcpy(&value, dff.data() + offset + 4 * i, sizeof value);
        value = value * factor;
        std::memcpy(dff.data() + offset + 4 * i, &value, sizeof value);
    }
    changed.push_back({offset, 4 * count});
}

}  // namespace

std::vector<ByteRange> rescaleDff(std::span<std::uint8_t> dff, float factor, const WarningSink& warn) {
    DffScaledValueOffsets offsets;
    {
        SectionInput reader(dff);
        offsets = readDffScaledValueOffsets(reader, warn);
    }
    std::vector<ByteRange> changed;
    for (std::size_t frame = 0; frame < offsets.numFrames; ++frame) {
        scaleFloats(dff, changed, offsets.frameEntries + frame * frameEntrySize + frameTranslationOffset, 3, factor);
    }
    scaleFloats(dff, changed, offsets.vertices, 3 * std::size_t{offsets.numVertices}, factor);
    // The whole fourth row, w included: rescaled files stay identical to earlier releases.
    for (std::size_t bone = 0; bone < offsets.numBones; ++bone) {
        scaleFloats(dff, changed, offsets.boneMatrices + bone * boneMatrixSize + matrixFourthRowOffset, 4, factor);
    }
    return changed;
}

Bytes rescaledCopy(std::span<const std::uint8_t> dff, float factor, const WarningSink& warn) {
    Bytes copy(dff.begin(), dff.end());
    rescaleDff(copy, factor, warn);
    return copy;
}

}  // namespace zorvek

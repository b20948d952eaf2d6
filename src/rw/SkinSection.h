#pragma once

#include "base/LargeArrays.h"
#include "base/Math.h"
#include "rw/Section.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {

struct SkinPayload {
    std::uint8_t numBones = 0;
    std::uint8_t numUsedBones = 0;
    std::uint8_t maxWeightsPerVertex = 0;
    std::vector<std::uint8_t> usedBones;
    // One record per skin vertex; the skin stores no vertex count, so it
    // follows from the chunk size.
    LargeArray<std::array<std::uint8_t, 4>> vertexBoneIndices;
    LargeArray<Vec4> vertexWeights;
    std::vector<Matrix44> inverseBoneMatrices;
    std::uint64_t inverseBoneMatricesOffset = 0;  // file offset of the first matrix
};

// The skin's vertex count: (size - 4 - NU - 64 NB) / 20, truncated toward
// zero, so trailing bytes short of a further vertex do not count. Negative
// when the chunk cannot even hold its matrices.
std::int64_t skinVertexCount(std::uint32_t size, std::uint8_t numUsedBones, std::uint8_t numBones);

template <>
class Section<SectionType::SkinPLG> final : public Section_Base {
public:
    explicit Section(SectionInput& input);
    std::string_view name() const override { return sectionName(SectionType::SkinPLG); }
    const SkinPayload& payload() const { return payload_; }
    // Hands the arrays over to a reader that keeps them, instead of a copy.
    SkinPayload takePayload() { return std::move(payload_); }

private:
    SkinPayload payload_;
};

}  // namespace zorvek

#pragma once

#include "base/LargeArrays.h"
#include "rw/Section.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {

// The vertex indices of one material.
struct BinMesh {
    std::uint32_t numIndices = 0;
    std::uint32_t materialIndex = 0;
    LargeArray<std::uint32_t> indices;
};

struct BinMeshPayload {
    std::uint32_t meshFlags = 0;  // 0: triangle lists, otherwise triangle strips
    std::uint32_t numMeshes = 0;
    std::uint32_t totalIndices = 0;
    std::vector<BinMesh> meshes;
};

template <>
class Section<SectionType::BinMeshPLG> final : public Section_Base {
public:
    explicit Section(SectionInput& input);
    std::string_view name() const override { return sectionName(SectionType::BinMeshPLG); }
    const BinMeshPayload& payload() const { return payload_; }
    // Hands the arrays over to a reader that keeps them, instead of a copy.
    BinMeshPayload takePayload() { return std::move(payload_); }

private:
    BinMeshPayload payload_;
};

}  // namespace zorvek

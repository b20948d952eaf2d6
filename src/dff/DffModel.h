#pragma once

#include "base/LargeArrays.h"
#include "base/Math.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zorvek {

struct DffFrame {
    // Rows right, up and at: the frame's axes in its parent's, for row vectors.
    std::array<Vec3, 3> rotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec3 translation;  // offset from the parent frame, in the parent's axes
    std::int32_t parentIndex = -1;
    std::int32_t boneId = -1;      // HAnim node id; -1 without extension data
    std::int32_t boneNumber = -1;  // HAnim node index: the skin bone number; -1 without extension data
    std::string frameName;         // every payload byte of the Frame chunk
};

struct MeshSplit {
    std::uint32_t materialIndex = 0;
    LargeArray<std::uint32_t> indices;
};

// The first clump of a DFF file, as read: what the conversions need of it.
struct DffModel {
    std::vector<DffFrame> frames;
    std::vector<LargeArray<Vec2>> uvSets;
    LargeArray<Vec3> positions;
    LargeArray<Vec3> normals;
    LargeArray<std::array<std::uint8_t, 4>> boneIndices;
    LargeArray<Vec4> boneWeights;
    // Byte-wise ascending names (std::string compares as unsigned bytes) to texture numbers.
    std::map<std::string, std::int32_t> textureIndices;
    std::vector<std::string> materialTextureNames;
    std::uint32_t isTriStrip = 0;
    std::vector<MeshSplit> meshSplits;
    std::vector<Matrix44> inverseBindMatrices;
};

}  // namespace zorvek

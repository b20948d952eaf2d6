#pragma once

// A ped as the game's own ped DFF files lay it out, ready to be written:
// one clump, one skinned geometry on one atomic, the HAnim node table on
// the Root frame. The writer adds what every such file holds alike (version
// stamps, material looks, the plugin chunks the game expects).

#include "base/LargeArrays.h"
#include "base/Math.h"
#include "dff/DffModel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// HAnim node flags.
inline constexpr std::int32_t hanimPop = 1;   // the last leaf of a branch
inline constexpr std::int32_t hanimPush = 2;  // more siblings follow

struct HAnimNode {
    std::int32_t id = 0;
    std::int32_t index = 0;
    std::int32_t flags = 0;
};

struct PedDffMaterial {
    std::string textureName;              // ASCII, at most 31 bytes; unique in the model
    LargeArray<std::uint32_t> triangles;  // a triangle list: three vertex indices each
};

struct PedDff {
    // Frame 0 is the clump's unnamed identity frame; then Root and the other
    // bones, each after its parent (the game's files store them in their own
    // order, not node order), one frame for each node. A bone frame has its
    // HAnim id in boneId and its node index in boneNumber (both -1 on frame
    // 0); the frame whose boneNumber is 0 (Root) carries the node table.
    // Names are written as stored (leading spaces kept).
    std::vector<DffFrame> frames;
    std::vector<HAnimNode> nodes;  // the node table, in node order

    LargeArray<Vec3> positions;  // in the bind space of the atomic's frame
    LargeArray<Vec3> normals;
    LargeArray<Vec2> uvs;
    LargeArray<std::array<std::uint8_t, 4>> boneIndices;  // node indices, largest weight first
    LargeArray<Vec4> boneWeights;                         // summing to 1; unused slots 0
    std::vector<Matrix44> inverseBindMatrices;            // one per node, row vectors

    std::vector<PedDffMaterial> materials;  // one mesh per material, in this order
    std::uint32_t atomicFrame = 0;          // the frame whose bind space the vertices are in
};

}  // namespace zorvek

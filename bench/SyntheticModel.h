#pragma once

// A synthetic skinned ped of any size for the benchmark and the fuzzers'
// seeds: the 32 bones of the shipped bones.dat in the usual San Andreas
// hierarchy, and a mesh whose vertices sit around their bones, each weighted
// to its bone and that bone's parent.

#include "support/dff/DffBuilder.h"

#include <cstdint>
#include <string>

namespace zorvek::bench {

inline constexpr int syntheticBoneCount = 32;

// At least 4 vertices; about two triangles per vertex in two material splits,
// textured with those names (they may be one).
test::SkinnedModel buildSyntheticModel(std::uint32_t vertexCount, const std::string& bodyTexture = "body",
                                       const std::string& headTexture = "head");

}  // namespace zorvek::bench

#pragma once

#include "base/LargeArrays.h"
#include "base/Math.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zorvek {

// Carries every vertex from the bind pose onto the converted bones, in
// place: each position and normal through its four skin matrices by
// weight, positions into PMX units. Normals may be empty (a model without
// them); the other arrays cover every position, and every bone has a matrix.
void reposeVertices(LargeArray<Vec3>& positions, LargeArray<Vec3>& normals,
                    const LargeArray<std::array<std::uint8_t, 4>>& bones, const LargeArray<Vec4>& weights,
                    const std::vector<Matrix44>& skinMatrices);

}  // namespace zorvek

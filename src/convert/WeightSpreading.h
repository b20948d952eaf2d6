#pragma once

#include "pmx/PmxModel.h"
#include "rig/PmxRig.h"

#include <vector>

namespace zorvek {

// Shares out the weight of every influence of a spread's bone between the
// two stops around the vertex's place along the spread (vertex positions
// and rest places in PMX units). An influence goes whole to the nearer stop
// when the vertex has no unused slot for the second. At rest every bone
// stands still, so the mesh does not move.
void spreadWeights(PmxVertices& vertices, const std::vector<WeightSpread>& spreads);

}  // namespace zorvek

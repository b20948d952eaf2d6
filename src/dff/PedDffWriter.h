#pragma once

#include "base/LargeArrays.h"
#include "dff/PedDff.h"

#include <cstddef>
#include <string>

namespace zorvek {

// The most vertices one ped geometry holds: its triangles store vertex indices in 16 bits.
inline constexpr std::size_t maxPedVertices = 65535;

// The refusal of a geometry of vertexCount vertices, more than maxPedVertices;
// the converter says the same before it gets as far as writing.
std::string tooManyVerticesMessage(std::size_t vertexCount);

// The DFF file of the ped, laid out as the game's own ped files are: one
// clump stamped 3.6.0.3 on every chunk, its frames with their HAnim and name
// chunks, one skinned geometry (positions, one UV set, normals, lit) with a
// mesh per material, one atomic that renders it. The ped is checked first:
// a value the file cannot hold or that disagrees with the rest throws
// UserMessageError, and nothing is written. The inverse bind matrices'
// fourth column is not data in RenderWare (the slots of its matrix flags and
// padding): it is written as 0, 0, 0, 1 whatever the ped holds there.
ByteBlock writePedDff(const PedDff& ped);

}  // namespace zorvek

#pragma once

#include "ifp/IfpAnimation.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Reads a GTA III or Vice City animation file, a tree of chunks under "ANPK".
IfpFile readAnpk(std::span<const std::uint8_t> bytes);

}  // namespace zorvek

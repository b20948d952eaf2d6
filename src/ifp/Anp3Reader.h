#pragma once

#include "ifp/IfpAnimation.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Reads a San Andreas animation file, whose first four bytes are "ANP3".
IfpFile readAnp3(std::span<const std::uint8_t> bytes);

}  // namespace zorvek

#pragma once

#include "common/FileIo.h"
#include "common/Warnings.h"

#include <span>

namespace zorvek {

// A copy of the DFF in which frame positions, the first geometry's
// first-morph-target vertices and the fourth row of every inverse bone matrix
// are multiplied by the factor; every other byte stays as it was. Walks the
// input with the model reader's checks, so a file it cannot read throws
// UserMessageError and yields nothing.
Bytes rescaleDff(std::span<const std::uint8_t> input, float factor, const WarningSink& warn);

}  // namespace zorvek

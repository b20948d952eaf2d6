#pragma once

#include "base/FileIo.h"
#include "base/Warnings.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zorvek {

// Multiplies, in place, the DFF's frame positions, the first geometry's
// first-morph-target vertices and the fourth row of every inverse bone matrix
// by the factor; every other byte stays as it was. The bytes are walked with
// the model reader's checks first, so a file it cannot read throws
// UserMessageError before anything changes. Returns where the bytes now
// differ, so that a writer need not write the rest again.
std::vector<ByteRange> rescaleDff(std::span<std::uint8_t> dff, float factor, const WarningSink& warn);

// The same on a copy, for callers that keep the input.
Bytes rescaledCopy(std::span<const std::uint8_t> dff, float factor, const WarningSink& warn);

}  // namespace zorvek

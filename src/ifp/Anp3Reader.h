#pragma once

#include "ifp/IfpAnimation.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zorvek {

// Reads a San Andreas animation file, whose first four bytes are "ANP3".
IfpFile readAnp3(std::span<const std::uint8_t> bytes);

// A file read as readAnp3 reads it, with the same errors, and where each of
// its animations lies: from its name to the end of its last key, so that the
// file can be written anew around some of them byte for byte.
struct Anp3Layout {
    IfpFile file;
    std::vector<std::span<const std::uint8_t>> animationBytes;  // one per animation, views into the file read
};
Anp3Layout readAnp3Layout(std::span<const std::uint8_t> bytes);

}  // namespace zorvek

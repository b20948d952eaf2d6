#pragma once

#include "image/Image.h"

#include <cstdint>

namespace zorvek::bench {

// A square RGBA image of smooth gradients with some detail, so that DXT
// blocks are not all alike; the seed varies the detail.
Image patternedImage(std::uint32_t size, std::uint32_t seed);

}  // namespace zorvek::bench

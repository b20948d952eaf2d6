#pragma once

#include "image/Image.h"

#include <cstdint>

namespace zorvek::bench {

// A square texture that looks painted or photographed rather than drawn by a
// formula: fractal value noise over a few octaves mapped through a colour
// ramp (skin, cloth, hair tones by seed), fine grain on top, and with
// `cutout` an alpha mask of soft-edged holes, as lace and hair cards carry.
// Integer arithmetic only, so every platform makes the same pixels.
Image paintedTexture(std::uint32_t size, std::uint32_t seed, bool cutout);

}  // namespace zorvek::bench

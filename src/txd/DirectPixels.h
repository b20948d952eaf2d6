#pragma once

#include "image/Image.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <span>

namespace zorvek {

// A level of 16-bit, 32-bit or luminance pixels; `pixels` holds at least
// levelBytesNeeded bytes. 5, 6 and 4-bit channels widen by repeating their
// top bits, so full scale stays full scale. Alpha is by format: 8888, 1555
// and 4444 have it, whatever values the pixels hold.
Image decodeDirectPixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                         std::span<const std::uint8_t> pixels);

}  // namespace zorvek

#pragma once

#include "image/Image.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <span>

namespace zorvek {

// A level of DXT1, DXT3 or DXT5 blocks; `blocks` holds at least
// levelBytesNeeded bytes: ceil(w/4) x ceil(h/4) blocks, rows of blocks top
// first, the parts of edge blocks outside the image ignored. DXT3 and DXT5
// have alpha; DXT1 has it when any pixel is transparent.
Image decodeDxtPixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                      std::span<const std::uint8_t> blocks);

}  // namespace zorvek

#pragma once

#include "base/FileIo.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Pixels in memory as every decoder hands them over and every encoder takes
// them: 8-bit R, G, B, A per pixel, rows top first, no padding. hasAlpha says
// whether the alpha channel carries anything; without it the files are RGB.
struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = false;
    Bytes rgba;
};

// Whether any pixel of RGBA bytes has an alpha below 255.
bool anyPixelTransparent(std::span<const std::uint8_t> rgba);

}  // namespace zorvek

#pragma once

#include "base/FileIo.h"

#include <cstdint>
#include <vector>

namespace zorvek::sample {

// 8-bit RGB pixels, row after row from the top.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The PNG file of the image: fixed settings and no time stamp, so the same
// pixels always give the same bytes with the same libpng and zlib.
Bytes encodePng(const RgbImage& image);

}  // namespace zorvek::sample

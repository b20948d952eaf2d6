#pragma once

#include "base/FileIo.h"
#include "image/Image.h"
#include "txd/PixelEncoding.h"

namespace zorvek {

// The image in DXT1 (colour only: every pixel comes back opaque) or DXT5
// blocks, laid out as decodeDxtPixels reads them, by stb_dxt in its
// high-quality mode. Edge blocks repeat the image's last row and column.
// stb_dxt decides every byte with integer and float + - * only, so every
// platform writes the same blocks.
Bytes encodeDxt(const Image& image, PixelEncoding encoding);

}  // namespace zorvek

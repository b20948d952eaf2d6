#pragma once

#include "base/FileIo.h"
#include "image/Image.h"

namespace zorvek {

// A PNG file of a checked image (ImageEncoder's encodeImage checks it): 8-bit
// RGBA, or RGB when the image has no alpha.
Bytes encodePng(const Image& image);

}  // namespace zorvek

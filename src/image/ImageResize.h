#pragma once

#include "image/Image.h"

#include <cstdint>

namespace zorvek {

// The image resampled to another size (both sides at least 1): Mitchell's
// filter when shrinking and Catmull-Rom's when enlarging, edges clamped,
// colours weighted by their alpha so that transparent pixels do not bleed
// their colour into the edges of what is drawn. The bytes are taken as they
// are (no sRGB curve), as the game's own filtering takes them, and only
// + - * / decide them, so every platform gives the same pixels. hasAlpha is
// recomputed from the result.
Image resizeImage(const Image& image, std::uint32_t width, std::uint32_t height);

}  // namespace zorvek

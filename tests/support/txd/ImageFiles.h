#pragma once

// Image files as models carry them, made in code: JPG through stb's writer,
// DDS by hand with every header field settable, so that the texture tests
// state what they read; and how far apart two images are.

#include "base/FileIo.h"
#include "image/Image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorvek::test {

// A JPG of the image's colour (alpha dropped), at stb's quality 1 to 100.
Bytes jpgFile(const Image& image, int quality);

enum class DdsPixels { Dxt1, Dxt3, Dxt5, Argb8888, Xrgb8888, Abgr8888 };

struct DdsLayout {
    DdsPixels pixels = DdsPixels::Dxt1;
    std::uint32_t width = 4;
    std::uint32_t height = 4;
    std::uint32_t headerSize = 124;
    std::uint32_t pixelFormatSize = 32;
    std::uint32_t mipMapCount = 0;  // written with its flag when above 1
    std::uint32_t fourCC = 0;       // replaces the DXT kind's when set
    std::uint32_t bitCount = 32;
    std::vector<Bytes> levels;  // after the header, as given
};

// The DDS header of the layout followed by its levels.
Bytes ddsFile(const DdsLayout& layout);

// A DDS holding the image (its levels when `levels` > 1, each halving the
// previous by its top-left pixels) in that pixel format.
Bytes ddsOf(const Image& image, DdsPixels pixels, std::uint32_t levels = 1);

// Shading along one colour line with a soft weave, as skin and cloth are
// painted (what DXT keeps within a few levels); with
// `transparent` the alpha falls from 255 at the left to 0 at the right.
Image paintedImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed, bool transparent);

struct ImageDifference {
    double rms = 0;   // over every channel of every pixel
    int largest = 0;  // of any channel
    bool sameSize = false;
};

// How far b's RGBA bytes are from a's; with `ignoreAlpha` only R, G and B count.
ImageDifference difference(const Image& a, const Image& b, bool ignoreAlpha = false);

}  // namespace zorvek::test

#include "txd/DxtPixels.h"

#include <squish.h>

#include <algorithm>
#include <array>

namespace zorvek {

namespace {

int squishFlags(PixelEncoding encoding) {
    switch (encoding) {
    case PixelEncoding::Dxt3: return squish::kDxt3;
    case PixelEncoding::Dxt5: return squish::kDxt5;
    default: return squish::kDxt1;
    }
}

std::size_t blockBytes(PixelEncoding encoding) {
    return encoding == PixelEncoding::Dxt1 ? 8 : 16;
}

// Copies the part of a decoded 4x4 block that lies inside the image. Block by
// block rather than squish's whole-image call, whose int offsets would
// overflow on the largest images a TXD can describe.
void placeBlock(const std::array<std::uint8_t, 64>& block, Image& image, std::size_t left, std::size_t top) {
    const std::size_t columns = std::min<std::size_t>(4, image.width - left);
    const std::size_t rows = std::min<std::size_t>(4, image.height - top);
    for (std::size_t y = 0; y < rows; ++y) {
        const auto from = block.begin() + static_cast<std::ptrdiff_t>(y * 16);
        const std::size_t to = ((top + y) * image.width + left) * 4;
        std::copy_n(from, columns * 4, image.rgba.begin() + static_cast<std::ptrdiff_t>(to));
    }
}

}  // namespace

Image decodeDxtPixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                      std::span<const std::uint8_t> blocks) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t{width} * height * 4);
    const int flags = squishFlags(encoding);
    const std::size_t stride = blockBytes(encoding);
    std::size_t offset = 0;
    std::array<std::uint8_t, 64> block{};
    for (std::size_t top = 0; top < height; top += 4) {
        for (std::size_t left = 0; left < width; left += 4) {
            squish::Decompress(block.data(), blocks.data() + offset, flags);
            placeBlock(block, image, left, top);
            offset += stride;
        }
    }
    image.hasAlpha = encoding != PixelEncoding::Dxt1 || anyPixelTransparent(image.rgba);
    return image;
}

}  // namespace zorvek

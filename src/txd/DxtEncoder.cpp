#include "txd/DxtEncoder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#define STB_DXT_IMPLEMENTATION
#define STB_DXT_STATIC
#include <stb/stb_dxt.h>

namespace zorvek {

Bytes encodeDxt(const Image& image, PixelEncoding encoding) {
    if (encoding != PixelEncoding::Dxt1 && encoding != PixelEncoding::Dxt5) {
        throw std::invalid_argument("encodeDxt writes DXT1 or DXT5");
    }
    if (image.width == 0 || image.height == 0 || image.rgba.size() != std::size_t{image.width} * image.height * 4) {
        throw std::invalid_argument("encodeDxt: pixels that do not match the image");
    }
    const bool alpha = encoding == PixelEncoding::Dxt5;
    const std::size_t blockSize = alpha ? 16 : 8;
    Bytes blocks(static_cast<std::size_t>(levelBytesNeeded(encoding, image.width, image.height)));
    std::array<std::uint8_t, 64> block{};
    std::size_t offset = 0;
    for (std::uint32_t top = 0; top < image.height; top += 4) {
        for (std::uint32_t left = 0; left < image.width; left += 4) {
            for (std::uint32_t y = 0; y < 4; ++y) {
                const std::uint32_t row = std::min(top + y, image.height - 1);
                for (std::uint32_t x = 0; x < 4; ++x) {
                    const std::uint32_t column = std::min(left + x, image.width - 1);
                    const std::size_t from = (std::size_t{row} * image.width + column) * 4;
                    std::copy_n(image.rgba.begin() + static_cast<std::ptrdiff_t>(from), 4,
                                block.begin() + (y * 4 + x) * 4);
                    if (!alpha) {
                        // stb_dxt wants a constant alpha when it stores none.
                        block[(y * 4 + x) * 4 + 3] = 255;
                    }
                }
            }
            stb_compress_dxt_block(blocks.data() + offset, block.data(), alpha ? 1 : 0, STB_DXT_HIGHQUAL);
            offset += blockSize;
        }
    }
    return blocks;
}

}  // namespace zorvek

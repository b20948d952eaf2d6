#include "PatternedImage.h"

namespace zorvek::bench {

Image patternedImage(std::uint32_t size, std::uint32_t seed) {
    Image image;
    image.width = image.height = size;
    image.hasAlpha = true;
    image.rgba.resize(std::size_t{size} * size * 4);
    for (std::uint32_t y = 0; y < size; ++y) {
        for (std::uint32_t x = 0; x < size; ++x) {
            std::uint8_t* pixel = &image.rgba[(std::size_t{y} * size + x) * 4];
            const std::uint32_t noise = (x * 7919u + y * 104729u + seed * 31u) % 23u;
            pixel[0] = static_cast<std::uint8_t>(x * 255 / size);
            pixel[1] = static_cast<std::uint8_t>(y * 255 / size);
            pixel[2] = static_cast<std::uint8_t>((x + y + noise * 5) & 0xFF);
            pixel[3] = static_cast<std::uint8_t>(255 - noise);
        }
    }
    return image;
}

}  // namespace zorvek::bench

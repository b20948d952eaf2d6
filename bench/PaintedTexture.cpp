#include "PaintedTexture.h"

#include <algorithm>
#include <array>

namespace zorvek::bench {

namespace {

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

// Value noise in 0..65535 at (x, y) over cells of `cell` pixels, smoothly
// interpolated (smoothstep in fixed point).
std::uint32_t valueNoise(std::uint32_t x, std::uint32_t y, std::uint32_t cell, std::uint32_t seed) {
    const std::uint32_t cx = x / cell;
    const std::uint32_t cy = y / cell;
    const std::uint64_t fx = std::uint64_t{x % cell} * 256 / cell;
    const std::uint64_t fy = std::uint64_t{y % cell} * 256 / cell;
    const std::uint64_t sx = fx * fx * (768 - 2 * fx) / 65536;  // 0..256
    const std::uint64_t sy = fy * fy * (768 - 2 * fy) / 65536;
    const std::uint64_t a = hash(cx, cy, seed) & 0xFFFF;
    const std::uint64_t b = hash(cx + 1, cy, seed) & 0xFFFF;
    const std::uint64_t c = hash(cx, cy + 1, seed) & 0xFFFF;
    const std::uint64_t d = hash(cx + 1, cy + 1, seed) & 0xFFFF;
    const std::uint64_t top = a * (256 - sx) + b * sx;
    const std::uint64_t bottom = c * (256 - sx) + d * sx;
    return static_cast<std::uint32_t>((top * (256 - sy) + bottom * sy) / 65536);
}

struct Ramp {
    std::array<std::uint8_t, 3> dark, light;
};

constexpr std::array<Ramp, 4> ramps{{
    {{{120, 70, 55}}, {{250, 214, 190}}},  // skin
    {{{20, 28, 70}}, {{120, 150, 220}}},   // denim
    {{{30, 18, 10}}, {{200, 150, 90}}},    // hair
    {{{90, 10, 30}}, {{240, 120, 150}}},   // dress
}};

}  // namespace

Image paintedTexture(std::uint32_t size, std::uint32_t seed, bool cutout) {
    Image image;
    image.width = image.height = size;
    image.rgba.resize(std::size_t{size} * size * 4);
    const Ramp& ramp = ramps[seed % ramps.size()];
    // A second ramp blended in by a coarse noise: patches of another hue, as
    // prints, make-up and shadows bring.
    const Ramp& other = ramps[(seed + 1) % ramps.size()];
    for (std::uint32_t y = 0; y < size; ++y) {
        for (std::uint32_t x = 0; x < size; ++x) {
            // Octaves from a quarter of the image down to 4 pixels, halving in weight.
            std::uint32_t sum = 0;
            std::uint32_t weights = 0;
            std::uint32_t weight = 16;
            for (std::uint32_t cell = std::max<std::uint32_t>(size / 4, 8); cell >= 4 && weight > 0; cell /= 2) {
                sum += valueNoise(x, y, cell, seed + cell) * weight;
                weights += weight;
                weight /= 2;
            }
            const std::uint32_t t = sum / weights;  // 0..65535
            const std::int32_t grain = static_cast<std::int32_t>(hash(x, y, seed ^ 0x9E37u) % 13) - 6;
            std::uint8_t* pixel = &image.rgba[(std::size_t{y} * size + x) * 4];
            const std::int32_t patch = std::clamp(
                static_cast<std::int32_t>(valueNoise(x, y, std::max<std::uint32_t>(size / 8, 4), seed * 13) >> 8) * 2 -
                    200,
                0, 255);
            const auto tone = static_cast<std::int32_t>(t);
            for (int c = 0; c < 3; ++c) {
                const std::int32_t first = (ramp.dark[c] * (65535 - tone) + ramp.light[c] * tone) / 65535;
                const std::int32_t second = (other.dark[c] * (65535 - tone) + other.light[c] * tone) / 65535;
                const std::int32_t value = (first * (255 - patch) + second * patch) / 255 + grain;
                pixel[c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
            }
            if (cutout) {
                // Holes where a coarse noise is low, with a soft edge of a few pixels.
                const std::int32_t mask =
                    static_cast<std::int32_t>(valueNoise(x, y, std::max<std::uint32_t>(size / 16, 4), seed * 7) >> 8);
                pixel[3] = static_cast<std::uint8_t>(std::clamp((mask - 96) * 16, 0, 255));
            } else {
                pixel[3] = 255;
            }
        }
    }
    image.hasAlpha = cutout;
    return image;
}

}  // namespace zorvek::bench

#include "sample/SampleTxd.h"

#include "image/Image.h"
#include "sample/SampleLayout.h"
#include "sample/SampleTextures.h"
#include "support/txd/TxdBuilder.h"
#include "support/txd/TxdPixels.h"

#include <squish.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvek::sample {

namespace {

using test::TxdPixelFormat;

// The game's San Andreas PC dictionaries name Direct3D 9 as their device.
constexpr std::uint16_t direct3D9Device = 2;
// Real TXD files end on a whole 2 KiB sector of the game's archives.
constexpr std::size_t archiveSector = 2048;

Image halve(const Image& image) {
    const std::uint32_t width = std::max<std::uint32_t>(1, image.width / 2);
    const std::uint32_t height = std::max<std::uint32_t>(1, image.height / 2);
    // A side already one pixel long stays so; the other still halves.
    const std::uint32_t spanX = image.width > 1 ? 2 : 1;
    const std::uint32_t spanY = image.height > 1 ? 2 : 1;
    const std::uint32_t count = spanX * spanY;
    Image half{width, height, image.hasAlpha, {}};
    half.rgba.reserve(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            for (std::size_t channel = 0; channel < 4; ++channel) {
                std::uint32_t sum = 0;
                for (std::uint32_t dy = 0; dy < spanY; ++dy) {
                    for (std::uint32_t dx = 0; dx < spanX; ++dx) {
                        const std::size_t pixel = std::size_t{y * spanY + dy} * image.width + x * spanX + dx;
                        sum += image.rgba[pixel * 4 + channel];
                    }
                }
                half.rgba.push_back(static_cast<std::uint8_t>((sum + count / 2) / count));
            }
        }
    }
    return half;
}

// Every level of a palettized texture shares the first level's palette; the
// box filter's new colours take the nearest entry of the colours in use.
Bytes indicesInPalette(const Image& image, const Bytes& palette, std::size_t coloursInUse) {
    Bytes indices;
    indices.reserve(image.rgba.size() / 4);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        std::size_t best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t entry = 0; entry < coloursInUse; ++entry) {
            int distance = 0;
            for (std::size_t channel = 0; channel < 4; ++channel) {
                const int difference = int{image.rgba[i + channel]} - int{palette[entry * 4 + channel]};
                distance += difference * difference;
            }
            if (distance < bestDistance) {
                best = entry;
                bestDistance = distance;
            }
        }
        indices.push_back(static_cast<std::uint8_t>(best));
    }
    return indices;
}

Bytes smallerLevel(const Image& level, TxdPixelFormat format, const test::TextureLayout& texture) {
    switch (format) {
    case TxdPixelFormat::Dxt1: return test::compressDxt(level, squish::kDxt1);
    case TxdPixelFormat::Bgra8888: return test::directPixels(level, format);
    case TxdPixelFormat::Pal8: {
        // Palettes list their colours in order of first use: the largest index in use ends the list.
        const std::size_t inUse =
            std::size_t{*std::max_element(texture.levels[0].begin(), texture.levels[0].end())} + 1;
        return indicesInPalette(level, texture.palette, inUse);
    }
    default: throw std::logic_error("the sample uses no other texture format");
    }
}

// The image, then each half the size of the one before, down to 1x1.
std::vector<Image> mipChain(const Image& image) {
    std::vector<Image> levels{image};
    while (levels.back().width > 1 || levels.back().height > 1) {
        levels.push_back(halve(levels.back()));
    }
    return levels;
}

test::TextureLayout mipmappedTexture(const std::string& name, const Image& image, TxdPixelFormat format) {
    const std::vector<Image> levels = mipChain(image);
    test::TextureLayout texture = test::d3d9Texture(name, levels[0], format);
    texture.rasterFormat |= test::rasterMipmaps;
    for (std::size_t level = 1; level < levels.size(); ++level) {
        texture.levels.push_back(smallerLevel(levels[level], format, texture));
    }
    return texture;
}

}  // namespace

Bytes buildSampleTxd() {
    test::TxdLayout txd;
    txd.deviceId = direct3D9Device;
    txd.alignment = archiveSector;
    txd.textures = {mipmappedTexture(textureNames[SkinMaterial], paintSkin(), TxdPixelFormat::Dxt1),
                    mipmappedTexture(textureNames[ClothesMaterial], paintClothes(), TxdPixelFormat::Bgra8888),
                    mipmappedTexture(textureNames[HairMaterial], paintHair(), TxdPixelFormat::Pal8)};
    return test::buildTxd(txd);
}

}  // namespace zorvek::sample

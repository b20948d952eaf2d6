// The committed texture dictionary: what the converter reads from it, and
// its layout next to the game's San Andreas PC files.

#include "rw/Section.h"
#include "rw/SectionInput.h"
#include "sample/SampleLayout.h"
#include "sample/SampleTextures.h"
#include "support/TempDir.h"
#include "support/txd/TxdBuilder.h"
#include "txd/DirectPixels.h"
#include "txd/DxtPixels.h"
#include "txd/NativeRasterHeader.h"
#include "txd/PalettePixels.h"
#include "txd/PixelEncoding.h"
#include "txd/TextureDictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

const std::filesystem::path committedTxd = std::filesystem::path(ZORVEK_SOURCE_DIR) / "samples" / "zorvek_sample.txd";

const Bytes& txdFile() {
    static const Bytes file = readBytes(committedTxd);
    return file;
}

// How close a decoded level must come to the painted image or its halving.
enum class Fidelity {
    Exact,
    // Smaller levels only: the box filter's averages that the palette lacks take the nearest entry.
    NearestPaletteEntry,
    // Four colours on a line per 4x4 block, their ends in 5-6-5 bits: half a
    // 5-bit step off, and where the block's colours spread apart (the face's
    // features) half that spread further.
    Dxt1,
};

struct ExpectedTexture {
    std::string name;
    Image (*paint)();
    std::uint32_t size;
    std::uint32_t rasterFormat;
    std::uint32_t d3dFormat;
    std::uint8_t depth;
    std::uint8_t flags;
    bool hasAlpha;
    Fidelity fidelity;
};

const ExpectedTexture expectedTextures[] = {
    {"sample_skin", sample::paintSkin, 256, raster565 | rasterMipmaps, fourCC("DXT1"), 16, d3d9Compressed, false,
     Fidelity::Dxt1},
    {"sample_clothes", sample::paintClothes, 128, raster8888 | rasterMipmaps, 21, 32, 0, true, Fidelity::Exact},
    {"sample_hair", sample::paintHair, 128, rasterPalette8 | raster8888 | rasterMipmaps, 41, 8, 0, false,
     Fidelity::NearestPaletteEntry},
};

std::uint8_t channel(const Image& image, std::uint32_t x, std::uint32_t y, std::size_t c) {
    return image.rgba[(std::size_t{y} * image.width + x) * 4 + c];
}

// The largest range of one channel over the 4x4 block that holds (x, y).
int blockSpread(const Image& image, std::uint32_t x, std::uint32_t y) {
    int spread = 0;
    for (std::size_t c = 0; c < 4; ++c) {
        int low = 255;
        int high = 0;
        for (std::uint32_t by = y / 4 * 4; by < std::min(y / 4 * 4 + 4, image.height); ++by) {
            for (std::uint32_t bx = x / 4 * 4; bx < std::min(x / 4 * 4 + 4, image.width); ++bx) {
                low = std::min<int>(low, channel(image, bx, by, c));
                high = std::max<int>(high, channel(image, bx, by, c));
            }
        }
        spread = std::max(spread, high - low);
    }
    return spread;
}

int allowedDifference(Fidelity fidelity, std::size_t level, const Image& reference, std::uint32_t x, std::uint32_t y) {
    switch (fidelity) {
    case Fidelity::Exact: return 0;
    case Fidelity::NearestPaletteEntry: return level == 0 ? 0 : 1;
    case Fidelity::Dxt1: return 4 + blockSpread(reference, x, y) / 2;
    }
    return 0;
}

// Empty when no channel of the rows from `firstRow` on lies further from the
// reference than `allowed(x, y)`; else the first pixel that does.
template <typename Allowed>
std::string firstPixelTooFar(const Image& decoded, const Image& reference, Allowed allowed,
                             std::uint32_t firstRow = 0) {
    if (decoded.width != reference.width || decoded.height != reference.height) {
        return "size " + std::to_string(decoded.width) + "x" + std::to_string(decoded.height);
    }
    for (std::uint32_t y = firstRow; y < reference.height; ++y) {
        for (std::uint32_t x = 0; x < reference.width; ++x) {
            const int limit = allowed(x, y);
            for (std::size_t c = 0; c < 4; ++c) {
                const int difference = std::abs(int{channel(decoded, x, y, c)} - int{channel(reference, x, y, c)});
                if (difference > limit) {
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") channel " + std::to_string(c) +
                           " off by " + std::to_string(difference) + ", allowed " + std::to_string(limit);
                }
            }
        }
    }
    return "";
}

std::string firstPixelTooFar(const Image& decoded, const Image& reference, Fidelity fidelity, std::size_t level) {
    return firstPixelTooFar(decoded, reference, [&](std::uint32_t x, std::uint32_t y) {
        return allowedDifference(fidelity, level, reference, x, y);
    });
}

// The reference halving the generator's box filter must agree with.
Image halved(const Image& image) {
    const std::uint32_t width = std::max<std::uint32_t>(1, image.width / 2);
    const std::uint32_t height = std::max<std::uint32_t>(1, image.height / 2);
    Image half{width, height, image.hasAlpha, Bytes(std::size_t{width} * height * 4)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            for (std::size_t c = 0; c < 4; ++c) {
                auto at = [&](std::uint32_t sx, std::uint32_t sy) {
                    return std::uint32_t{image.rgba[(std::size_t{sy} * image.width + sx) * 4 + c]};
                };
                const std::uint32_t x1 = std::min(2 * x + 1, image.width - 1);
                const std::uint32_t y1 = std::min(2 * y + 1, image.height - 1);
                const std::uint32_t sum = at(2 * x, 2 * y) + at(x1, 2 * y) + at(2 * x, y1) + at(x1, y1);
                half.rgba[(std::size_t{y} * width + x) * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
            }
        }
    }
    return half;
}

struct StoredTexture {
    std::uint32_t stamp = 0;
    NativeRasterHeader header;
    std::span<const std::uint8_t> palette;
    std::vector<std::span<const std::uint8_t>> levels;
    std::uint64_t bytesAfterLevels = 0;
};

struct StoredDictionary {
    std::uint32_t stamp = 0;
    std::uint16_t textureCount = 0;
    std::uint16_t deviceId = 0;
    std::uint64_t end = 0;
    std::vector<StoredTexture> textures;
};

// Walks the chunks as they are stored, every level of every texture kept.
StoredDictionary storedDictionary(const Bytes& file) {
    SectionInput input(file, StampRule::AnyRw3);
    StoredDictionary stored;
    const Section<SectionType::TextureDictionary> dictionary(input);
    stored.stamp = dictionary.header().version;
    stored.end = dictionary.payloadOffset() + dictionary.size();
    {
        const Section<SectionType::Struct> data(input);
        stored.textureCount = input.readU16();
        stored.deviceId = input.readU16();
    }
    for (std::uint16_t i = 0; i < stored.textureCount; ++i) {
        const Section<SectionType::TextureNative> native(input);
        const Section<SectionType::Struct> data(input);
        StoredTexture texture;
        texture.stamp = native.header().version;
        const std::uint32_t platform = input.readU32();
        texture.header = readNativeRasterHeader(input, platform);
        if (texture.header.rasterFormat & rasterPal8) {
            texture.palette = input.readView(pal8Entries * 4);
        }
        for (std::uint8_t level = 0; level < texture.header.levelCount; ++level) {
            texture.levels.push_back(input.readView(input.readU32()));
        }
        texture.bytesAfterLevels = input.bytesLeftInSection();
        stored.textures.push_back(std::move(texture));
    }
    return stored;
}

const StoredDictionary& stored() {
    static const StoredDictionary dictionary = storedDictionary(txdFile());
    return dictionary;
}

std::optional<Image> decodeLevel(const StoredTexture& texture, std::size_t level) {
    const std::uint32_t width = std::max(1u, std::uint32_t{texture.header.width} >> level);
    const std::uint32_t height = std::max(1u, std::uint32_t{texture.header.height} >> level);
    const std::optional<PixelEncoding> encoding = pixelEncodingOf(texture.header);
    if (!encoding || texture.levels[level].size() != levelBytesNeeded(*encoding, width, height)) {
        return std::nullopt;
    }
    switch (*encoding) {
    case PixelEncoding::Dxt1: return decodeDxtPixels(*encoding, width, height, texture.levels[level]);
    case PixelEncoding::Pal8:
        return decodePalettePixels(*encoding, width, height, texture.levels[level], texture.palette,
                                   rasterFormatHasAlpha(texture.header.rasterFormat));
    default: return decodeDirectPixels(*encoding, width, height, texture.levels[level]);
    }
}

TEST(SampleTxd, ReadsAsTheThreeTexturesTheMaterialsName) {
    std::vector<std::string> warnings;
    const TextureDictionary dictionary =
        readTextureDictionary(txdFile(), [&](const std::string& message) { warnings.push_back(message); });
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(dictionary.deviceId, 2);
    ASSERT_EQ(dictionary.textures.size(), std::size(expectedTextures));
    for (std::size_t i = 0; i < dictionary.textures.size(); ++i) {
        const ExpectedTexture& expected = expectedTextures[i];
        const Texture& texture = dictionary.textures[i];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(texture.name, expected.name);
        EXPECT_EQ(texture.maskName, "");
        EXPECT_EQ(texture.image.width, expected.size);
        EXPECT_EQ(texture.image.height, expected.size);
        EXPECT_EQ(texture.image.hasAlpha, expected.hasAlpha);
        EXPECT_FALSE(anyPixelTransparent(texture.image.rgba));
        EXPECT_EQ(firstPixelTooFar(texture.image, expected.paint(), expected.fidelity, 0), "");
    }
}

// Below the head the skin is one tone with a little grain, which DXT1 keeps to a few steps.
TEST(SampleTxd, TheSkinBelowTheHeadComesBackWithinThreeStepsPerChannel) {
    const TextureDictionary dictionary = readTextureDictionary(txdFile(), nullptr);
    ASSERT_FALSE(dictionary.textures.empty());
    const auto belowTheHead = static_cast<std::uint32_t>(sample::skinHeadRows * 256);
    const auto threeSteps = [](std::uint32_t, std::uint32_t) { return 3; };
    EXPECT_EQ(firstPixelTooFar(dictionary.textures[0].image, sample::paintSkin(), threeSteps, belowTheHead), "");
}

TEST(SampleTxd, IsASanAndreasDirect3D9DictionaryOfOneFormatPerTexture) {
    EXPECT_EQ(stored().stamp, 0x1803FFFFu);
    EXPECT_EQ(stored().deviceId, 2);
    ASSERT_EQ(stored().textures.size(), std::size(expectedTextures));
    for (std::size_t i = 0; i < stored().textures.size(); ++i) {
        const ExpectedTexture& expected = expectedTextures[i];
        const StoredTexture& texture = stored().textures[i];
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(texture.stamp, 0x1803FFFFu);
        EXPECT_EQ(texture.header.platform, platformD3D9);
        EXPECT_EQ(texture.header.name, expected.name);
        EXPECT_EQ(texture.header.rasterFormat, expected.rasterFormat);
        EXPECT_EQ(texture.header.alphaOrD3dFormat, expected.d3dFormat);
        EXPECT_EQ(texture.header.depth, expected.depth);
        EXPECT_EQ(texture.header.compressionOrFlags, expected.flags);
        EXPECT_EQ(texture.header.rasterType, 4);
        EXPECT_EQ(texture.bytesAfterLevels, 0u);
    }
}

TEST(SampleTxd, EveryTextureHoldsItsMipChainDownToOnePixel) {
    ASSERT_EQ(stored().textures.size(), std::size(expectedTextures));
    for (std::size_t i = 0; i < stored().textures.size(); ++i) {
        const ExpectedTexture& expected = expectedTextures[i];
        const StoredTexture& texture = stored().textures[i];
        SCOPED_TRACE(expected.name);
        ASSERT_EQ(texture.levels.size(), static_cast<std::size_t>(std::bit_width(expected.size)));
        Image reference = expected.paint();
        for (std::size_t level = 0; level < texture.levels.size(); ++level) {
            SCOPED_TRACE("level " + std::to_string(level));
            const std::optional<Image> decoded = decodeLevel(texture, level);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(firstPixelTooFar(*decoded, reference, expected.fidelity, level), "");
            reference = halved(reference);
        }
    }
}

TEST(SampleTxd, EndsWithZerosUpToAWholeTwoKilobyteSector) {
    const Bytes& file = txdFile();
    EXPECT_EQ(file.size() % 2048, 0u);
    ASSERT_LE(stored().end, file.size());
    EXPECT_LT(file.size() - stored().end, 2048u);
    EXPECT_TRUE(std::all_of(file.begin() + static_cast<std::ptrdiff_t>(stored().end), file.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
}

}  // namespace
}  // namespace zorvek::test

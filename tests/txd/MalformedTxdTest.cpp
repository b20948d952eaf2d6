#include "TxdTestSupport.h"
#include "support/AllocationWatch.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

// Small textures of every kind of layout: direct colour, a 256-entry palette,
// a 4-bit palette (whose entry count is worked out from the level sizes),
// packed 4-bit indices, DXT blocks, and two levels.
std::vector<TextureLayout> layoutSamples() {
    std::vector<Rgba> pixels;
    for (std::uint8_t i = 0; i < 6; ++i) {
        const auto alpha = static_cast<std::uint8_t>(i % 2 ? 255 : 0);
        pixels.push_back({static_cast<std::uint8_t>(i * 40), 0x42, 0x84, alpha});
    }
    const Image image = makeImage(3, 2, pixels, true);
    TextureLayout mips = d3d8Texture("mips", image, TxdPixelFormat::Bgra8888);
    mips.levels.push_back(Bytes(4, 1));
    return {
        d3d8Texture("direct", image, TxdPixelFormat::Argb1555),
        d3d9Texture("pal8", image, TxdPixelFormat::Pal8),
        d3d8Texture("pal4", image, TxdPixelFormat::Pal4),
        d3d9Texture("packed", image, TxdPixelFormat::Pal4Packed),
        d3d9Texture("dxt5", image, TxdPixelFormat::Dxt5),
        mips,
    };
}

TEST(MalformedTxd, EveryCutOfATextureStructIsABrokenFile) {
    for (const TextureLayout& texture : layoutSamples()) {
        SCOPED_TRACE(texture.name);
        const Bytes payload = textureNativeStruct(texture);
        ASSERT_EQ(readError(buildTxd(txdOf({texture}))), noUserError);
        for (std::size_t length = 0; length < payload.size(); ++length) {
            Chunk dictionary = textureDictionaryChunk(txdOf({texture}));
            dictionary.at({SectionType::TextureNative, SectionType::Struct}).payload.resize(length);
            ASSERT_EQ(readError(serialize(dictionary)), brokenStruct) << "cut at " << length;
        }
    }
}

TEST(MalformedTxd, EveryCutOfTheFileIsRefused) {
    TxdLayout txd = txdOf(layoutSamples());
    txd.alignment = 0;
    const Bytes file = buildTxd(txd);
    for (std::size_t length = 0; length < file.size(); ++length) {
        const std::string error = readError(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        if (length < chunkHeaderSize) {
            ASSERT_EQ(error, "TextureDictionaryが見つかりません") << "cut at " << length;
        } else {
            ASSERT_EQ(error, brokenDictionary) << "cut at " << length;
        }
    }
}

struct BrokenCase {
    const char* label;
    TextureLayout texture;
    std::string expected = brokenStruct;
};

TextureLayout validGrey() {
    TextureLayout texture;
    texture.rasterFormat = rasterLum8;
    texture.depth = 8;
    texture.width = 2;
    texture.height = 2;
    texture.levels = {{1, 2, 3, 4}};
    return texture;
}

std::vector<BrokenCase> brokenCases() {
    std::vector<BrokenCase> cases;
    auto add = [&cases](const char* label, auto edit) {
        TextureLayout texture = validGrey();
        edit(texture);
        cases.push_back({label, texture});
    };
    add("width 0", [](TextureLayout& t) { t.width = 0; });
    add("height 0", [](TextureLayout& t) { t.height = 0; });
    add("no levels", [](TextureLayout& t) { t.levelCount = 0; });
    add("a level one byte short", [](TextureLayout& t) { t.levels[0].pop_back(); });
    add("a level size word past the Struct", [](TextureLayout& t) { t.levelSizes = {5}; });
    add("a level size of 0xFFFFFFFF", [](TextureLayout& t) { t.levelSizes = {0xFFFFFFFF}; });
    add("a level size word smaller than needed", [](TextureLayout& t) { t.levelSizes = {3}; });
    add("65535 x 65535 with a short level", [](TextureLayout& t) { t.width = t.height = 65535; });
    add("65535 x 65535 DXT1 with a short level", [](TextureLayout& t) {
        t.width = t.height = 65535;
        t.compressionOrFlags = 1;
    });
    add("a cut 256-entry palette", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette8 | raster8888;
        t.palette = Bytes(100 * 4, 0xFF);
        t.levels.clear();
    });
    add("a palette without its level", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette8 | raster8888;
        t.palette = Bytes(256 * 4, 0xFF);
        t.levels.clear();
    });
    add("a 4-bit palette index past 32 entries", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette4 | raster8888;
        t.palette = Bytes(32 * 4, 0xFF);
        t.levels = {{0, 1, 31, 32}};
    });
    add("a 4-bit palette index past 16 entries", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette4 | raster8888;
        t.palette = Bytes(16 * 4, 0xFF);
        t.levels = {{0, 1, 15, 16}};
    });
    add("a packed 4-bit level one byte short", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette4 | raster8888;
        t.depth = 4;
        t.palette = Bytes(16 * 4, 0xFF);
        t.levels = {{0x10}};
    });
    add("an odd-width packed 4-bit level one byte short", [](TextureLayout& t) {
        t.rasterFormat = rasterPalette4 | raster8888;
        t.depth = 4;
        t.width = 3;
        t.palette = Bytes(16 * 4, 0xFF);
        t.levels = {{0x10, 0x00, 0x10}};  // rows of 3 pixels take 2 bytes each
    });
    return cases;
}

TEST(MalformedTxd, SizesAndCountsTheStructCannotHoldAreABrokenFile) {
    for (const BrokenCase& testCase : brokenCases()) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(readError(buildTxd(txdOf({testCase.texture}))), testCase.expected);
    }
}

TEST(MalformedTxd, TheDictionaryHeadMustFitItsStruct) {
    Chunk dictionary = textureDictionaryChunk(txdOf({validGrey()}));
    dictionary.child(SectionType::Struct).payload = {1, 0, 2};
    EXPECT_EQ(readError(serialize(dictionary)), "ファイルが壊れています (TextureDictionary\\Struct)");
}

TEST(MalformedTxd, MoreTexturesCountedThanStoredIsRefused) {
    TxdLayout txd = txdOf({validGrey(), validGrey()});
    txd.textureCount = 3;
    EXPECT_EQ(readError(buildTxd(txd)), "TextureDictionary\\TextureNativeが見つかりません");
}

struct HugeCase {
    const char* label;
    Bytes file;
    std::string expected;
};

std::vector<HugeCase> hugeCases() {
    TxdLayout manyTextures = txdOf({validGrey()});
    manyTextures.textureCount = 65535;
    TextureLayout wide = validGrey();
    wide.width = wide.height = 65535;
    wide.rasterFormat = raster8888;
    wide.levels = {Bytes(64, 0)};
    TextureLayout endless = validGrey();
    endless.levelSizes = {0xFFFFFFFF};
    TextureLayout palette = validGrey();
    palette.rasterFormat = rasterPalette8 | raster8888;
    palette.palette = Bytes(255 * 4, 0x80);
    palette.levels.clear();
    return {
        {"65535 textures in a short file", buildTxd(manyTextures), brokenDictionary},
        {"65535 x 65535 8888 with 64 bytes", buildTxd(txdOf({wide})), brokenStruct},
        {"a level of 0xFFFFFFFF bytes", buildTxd(txdOf({endless})), brokenStruct},
        {"a palette cut one entry short", buildTxd(txdOf({palette})), brokenStruct},
    };
}

TEST(MalformedTxd, HugeCountsAndSizesFailWithoutLargeAllocations) {
    for (const HugeCase& testCase : hugeCases()) {
        SCOPED_TRACE(testCase.label);
        resetLargestAllocation();
        const std::string error = readError(testCase.file);
        const std::size_t largest = largestAllocation();
        EXPECT_EQ(error, testCase.expected);
        EXPECT_LT(largest, std::size_t{64} * 1024);
    }
}

}  // namespace
}  // namespace zorvek::test

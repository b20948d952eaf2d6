// DXT blocks written by hand, with the colours they stand for worked out by
// hand: 5/6-bit endpoints widened by repeating their top bits, the thirds and
// halves between them, and the alpha ramps of DXT5. The values are chosen so
// every division is exact.

#include "TxdTestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace zorvek::test {
namespace {

TextureLayout dxtTexture(std::uint32_t platform, int kind, std::uint16_t width, std::uint16_t height, Bytes blocks) {
    TextureLayout texture;
    texture.platform = platform;
    texture.rasterFormat = kind == 1 ? raster565 : raster4444;
    texture.depth = 16;
    texture.width = width;
    texture.height = height;
    texture.levels = {std::move(blocks)};
    if (platform == d3d8Platform) {
        texture.compressionOrFlags = static_cast<std::uint8_t>(kind);
    } else {
        texture.alphaOrD3dFormat = kind == 1 ? fourCC("DXT1") : kind == 3 ? fourCC("DXT3") : fourCC("DXT5");
        texture.compressionOrFlags = d3d9Compressed;
    }
    return texture;
}

// Colour indices 0, 1, 2, 3 along every row.
const Bytes rampIndices = {0xE4, 0xE4, 0xE4, 0xE4};

Bytes colourBlock(std::uint16_t colour0, std::uint16_t colour1, const Bytes& indices) {
    ByteWriter out;
    out.u16(colour0).u16(colour1).bytes(indices);
    return out.take();
}

// 16 three-bit indices, pixel 0 in the lowest bits.
Bytes alphaIndexBits(const std::array<std::uint8_t, 16>& indices) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 16; ++i) {
        bits |= std::uint64_t{indices[i]} << (3 * i);
    }
    Bytes bytes;
    for (int i = 0; i < 6; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    return bytes;
}

std::vector<Rgba> repeatRow(const std::vector<Rgba>& row) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < 4; ++y) {
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
}

struct DxtCase {
    const char* label;
    int kind;
    Bytes block;
    std::vector<Rgba> expected;
    bool hasAlpha;
};

std::vector<DxtCase> dxtCases() {
    const std::array<std::uint8_t, 16> eachAlphaCode = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7};
    Bytes dxt5Ramp8 = {210, 0};
    const Bytes ramp8Bits = alphaIndexBits(eachAlphaCode);
    dxt5Ramp8.insert(dxt5Ramp8.end(), ramp8Bits.begin(), ramp8Bits.end());
    const Bytes white = colourBlock(0xFFFF, 0xFFFF, {0, 0, 0, 0});
    dxt5Ramp8.insert(dxt5Ramp8.end(), white.begin(), white.end());

    Bytes dxt5Ramp6 = {0, 250};
    dxt5Ramp6.insert(dxt5Ramp6.end(), ramp8Bits.begin(), ramp8Bits.end());
    dxt5Ramp6.insert(dxt5Ramp6.end(), white.begin(), white.end());

    // DXT3: four alpha bits a pixel, low nibble first: 0, 5, 10, 15 along every row.
    Bytes dxt3 = {0x50, 0xFA, 0x50, 0xFA, 0x50, 0xFA, 0x50, 0xFA};
    const Bytes greenRamp = colourBlock(0x0000, 0x07E0, rampIndices);
    dxt3.insert(dxt3.end(), greenRamp.begin(), greenRamp.end());

    auto dxt5Pixels = [](std::array<std::uint8_t, 8> codes) {
        std::vector<Rgba> pixels;
        for (int i = 0; i < 16; ++i) {
            pixels.push_back({255, 255, 255, codes[static_cast<std::size_t>(i % 8)]});
        }
        return pixels;
    };
    return {
        {"DXT1, colour0 > colour1: four colours", 1, colourBlock(0xF800, 0x001F, rampIndices),
         repeatRow({{255, 0, 0, 255}, {0, 0, 255, 255}, {170, 0, 85, 255}, {85, 0, 170, 255}}), false},
        {"DXT1, colour0 <= colour1: three colours and transparent black", 1, colourBlock(0x0000, 0x8410, rampIndices),
         repeatRow({{0, 0, 0, 255}, {132, 130, 132, 255}, {66, 65, 66, 255}, {0, 0, 0, 0}}), true},
        {"DXT3: explicit alpha, always four colours", 3, dxt3,
         repeatRow({{0, 0, 0, 0x00}, {0, 255, 0, 0x55}, {0, 85, 0, 0xAA}, {0, 170, 0, 0xFF}}), true},
        {"DXT5, alpha0 > alpha1: eight values", 5, dxt5Ramp8, dxt5Pixels({210, 0, 180, 150, 120, 90, 60, 30}), true},
        {"DXT5, alpha0 <= alpha1: six values, 0 and 255", 5, dxt5Ramp6, dxt5Pixels({0, 250, 50, 100, 150, 200, 0, 255}),
         true},
    };
}

TEST(DxtBlocks, KnownBlocksDecodeToTheirColours) {
    for (const DxtCase& testCase : dxtCases()) {
        for (const std::uint32_t platform : {d3d8Platform, d3d9Platform}) {
            SCOPED_TRACE(std::string(testCase.label) + ", platform " + std::to_string(platform));
            const Texture texture = onlyTexture(dxtTexture(platform, testCase.kind, 4, 4, testCase.block));
            EXPECT_EQ(pixelsOf(texture.image), testCase.expected);
            EXPECT_EQ(texture.image.hasAlpha, testCase.hasAlpha);
        }
    }
}

TEST(DxtBlocks, SizesNotAMultipleOfFourUseThePartOfEachEdgeBlockInside) {
    // 5 x 6: two blocks across and two down; the right and bottom blocks are mostly outside.
    const Bytes red = colourBlock(0xF800, 0xF800, {0, 0, 0, 0});
    const Bytes green = colourBlock(0x07E0, 0x07E0, {0, 0, 0, 0});
    const Bytes blue = colourBlock(0x001F, 0x001F, {0, 0, 0, 0});
    const Bytes white = colourBlock(0xFFFF, 0xFFFF, {0, 0, 0, 0});
    Bytes blocks;
    for (const Bytes* block : {&red, &green, &blue, &white}) {
        blocks.insert(blocks.end(), block->begin(), block->end());
    }
    const Image image = onlyTexture(dxtTexture(d3d8Platform, 1, 5, 6, blocks)).image;
    ASSERT_EQ(image.width, 5u);
    ASSERT_EQ(image.height, 6u);
    const std::vector<Rgba> pixels = pixelsOf(image);
    ASSERT_EQ(pixels.size(), 30u);
    auto at = [&](std::size_t x, std::size_t y) { return pixels[y * 5 + x]; };
    EXPECT_EQ(at(3, 3), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(at(4, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(at(0, 5), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(at(4, 5), (Rgba{255, 255, 255, 255}));
}

TEST(DxtBlocks, OneAndTwoPixelMipSizesNeedAWholeBlock) {
    for (const std::uint16_t size : {std::uint16_t{1}, std::uint16_t{2}}) {
        SCOPED_TRACE(size);
        const Bytes block = colourBlock(0xF800, 0x001F, rampIndices);
        const Image image = onlyTexture(dxtTexture(d3d9Platform, 1, size, size, block)).image;
        const std::vector<Rgba> row = {{255, 0, 0, 255}, {0, 0, 255, 255}};
        std::vector<Rgba> expected;
        for (std::size_t y = 0; y < size; ++y) {
            expected.insert(expected.end(), row.begin(), row.begin() + size);
        }
        EXPECT_EQ(pixelsOf(image), expected);
        EXPECT_EQ(readError(buildTxd(txdOf({dxtTexture(d3d9Platform, 1, size, size, Bytes(7, 0))}))), brokenStruct);
    }
}

}  // namespace
}  // namespace zorvek::test

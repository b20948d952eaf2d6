// Stored pixels written byte by byte, with the colours worked out by hand from
// each format's bit layout: the reader's channel order and widening are
// checked against the format, not against the builder's own packing.

#include "TxdTestSupport.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

struct KnownPixelCase {
    const char* label;
    std::uint32_t rasterFormat;
    std::uint32_t d3dFormat;
    std::uint8_t depth;
    Bytes stored;  // two pixels
    std::vector<Rgba> expected;
};

const KnownPixelCase knownPixelCases[] = {
    {"1555: alpha bit, 5-bit channels widened",
     raster1555,
     25,
     16,
     {0x10, 0xFC, 0xE0, 0x03},  // 0xFC10: a1 r31 g0 b16; 0x03E0: a0 g31
     {{255, 0, 132, 255}, {0, 255, 0, 0}}},
    {"555: the top bit is no alpha",
     raster555,
     24,
     16,
     {0x1F, 0x80, 0x08, 0x21},  // 0x801F: b31, top bit set; 0x2108: r8 g8 b8
     {{0, 0, 255, 255}, {66, 66, 66, 255}}},
    {"565: six bits of green",
     raster565,
     23,
     16,
     {0x00, 0xF8, 0x10, 0x04},  // 0xF800: r31; 0x0410: g32 b16
     {{255, 0, 0, 255}, {0, 130, 132, 255}}},
    {"4444: alpha in the top nibble",
     raster4444,
     26,
     16,
     {0x34, 0x12, 0x0F, 0xF0},  // 0x1234: a1 r2 g3 b4; 0xF00F: a15 b15
     {{0x22, 0x33, 0x44, 0x11}, {0, 0, 255, 255}}},
    {"LUM8: grey", rasterLum8, 50, 8, {0x7B, 0x00}, {{0x7B, 0x7B, 0x7B, 255}, {0, 0, 0, 255}}},
    {"8888: B, G, R, A bytes",
     raster8888,
     21,
     32,
     {0x10, 0x20, 0x30, 0x40, 0xFF, 0x00, 0x80, 0x00},
     {{0x30, 0x20, 0x10, 0x40}, {0x80, 0x00, 0xFF, 0x00}}},
    {"888: B, G, R and padding",
     raster888,
     22,
     32,
     {0x10, 0x20, 0x30, 0x00, 0x01, 0x02, 0x03, 0x7F},
     {{0x30, 0x20, 0x10, 255}, {0x03, 0x02, 0x01, 255}}},
};

TextureLayout twoPixelTexture(const KnownPixelCase& testCase, std::uint32_t platform) {
    TextureLayout texture;
    texture.platform = platform;
    texture.rasterFormat = testCase.rasterFormat;
    texture.alphaOrD3dFormat = platform == d3d9Platform ? testCase.d3dFormat : 0;
    texture.width = 2;
    texture.height = 1;
    texture.depth = testCase.depth;
    texture.levels = {testCase.stored};
    return texture;
}

TEST(KnownPixels, EachDirectFormatDecodesByItsBitLayout) {
    for (const KnownPixelCase& testCase : knownPixelCases) {
        for (const std::uint32_t platform : {d3d8Platform, d3d9Platform}) {
            SCOPED_TRACE(std::string(testCase.label) + ", platform " + std::to_string(platform));
            const Texture texture = onlyTexture(twoPixelTexture(testCase, platform));
            EXPECT_EQ(texture.image.width, 2u);
            EXPECT_EQ(texture.image.height, 1u);
            EXPECT_EQ(pixelsOf(texture.image), testCase.expected);
        }
    }
}

TEST(KnownPixels, Direct3D9TakesTheD3dFormatOverTheRasterFormat) {
    // A raster format of 8888 but D3DFMT_R5G6B5: the pixels are 16-bit words.
    TextureLayout texture = twoPixelTexture(knownPixelCases[2], d3d9Platform);
    texture.rasterFormat = raster8888;
    EXPECT_EQ(pixelsOf(onlyTexture(texture).image), knownPixelCases[2].expected);
}

TEST(KnownPixels, Direct3D9WithoutAD3dFormatFallsBackToTheRasterFormat) {
    TextureLayout texture = twoPixelTexture(knownPixelCases[0], d3d9Platform);
    texture.alphaOrD3dFormat = 0;
    EXPECT_EQ(pixelsOf(onlyTexture(texture).image), knownPixelCases[0].expected);
}

TEST(KnownPixels, Direct3D8IgnoresItsHasAlphaWord) {
    TextureLayout texture = twoPixelTexture(knownPixelCases[6], d3d8Platform);
    texture.alphaOrD3dFormat = 1;
    const Texture read = onlyTexture(texture);
    EXPECT_EQ(pixelsOf(read.image), knownPixelCases[6].expected);
    EXPECT_FALSE(read.image.hasAlpha);
}

TEST(KnownPixels, RowsComeTopFirst) {
    TextureLayout texture;
    texture.rasterFormat = rasterLum8;
    texture.depth = 8;
    texture.width = 2;
    texture.height = 3;
    texture.levels = {{1, 2, 3, 4, 5, 6}};
    const Image image = onlyTexture(texture).image;
    ASSERT_EQ(image.rgba.size(), 24u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(image.rgba[i * 4], i + 1) << "pixel " << i;
    }
}

}  // namespace
}  // namespace zorvek::test

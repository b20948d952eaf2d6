// Images written in every format through the builder's packers and read back:
// channels each format keeps exactly come back unchanged.

#include "TxdTestSupport.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

// Channel values that a 5-bit, 6-bit or 4-bit channel keeps exactly
// (the top bits repeated into the low ones).
constexpr std::array<std::uint8_t, 4> fiveBitValues = {0x00, 0x42, 0x84, 0xFF};
constexpr std::array<std::uint8_t, 4> sixBitValues = {0x00, 0x41, 0x82, 0xFF};
constexpr std::array<std::uint8_t, 4> fourBitValues = {0x00, 0x55, 0xAA, 0xFF};
constexpr std::array<std::uint8_t, 4> anyValues = {0x00, 0x37, 0xC9, 0xFF};

struct FormatCase {
    TxdPixelFormat format;
    const char* label;
    std::array<std::uint8_t, 4> red, green, blue, alpha;
    bool greyOnly = false;
};

const FormatCase formatCases[] = {
    {TxdPixelFormat::Argb1555, "1555", fiveBitValues, fiveBitValues, fiveBitValues, {0, 255, 255, 0}},
    {TxdPixelFormat::Rgb565, "565", fiveBitValues, sixBitValues, fiveBitValues, {255, 255, 255, 255}},
    {TxdPixelFormat::Argb4444, "4444", fourBitValues, fourBitValues, fourBitValues, fourBitValues},
    {TxdPixelFormat::Xrgb1555, "555", fiveBitValues, fiveBitValues, fiveBitValues, {255, 255, 255, 255}},
    {TxdPixelFormat::Lum8, "LUM8", anyValues, anyValues, anyValues, {255, 255, 255, 255}, true},
    {TxdPixelFormat::Bgra8888, "8888", anyValues, anyValues, anyValues, anyValues},
    {TxdPixelFormat::Bgrx8888, "888", anyValues, anyValues, anyValues, {255, 255, 255, 255}},
    {TxdPixelFormat::Pal8, "PAL8", anyValues, anyValues, anyValues, anyValues},
    {TxdPixelFormat::Pal4, "PAL4 a byte a pixel", anyValues, anyValues, anyValues, anyValues},
    {TxdPixelFormat::Pal4Packed, "PAL4 packed", anyValues, anyValues, anyValues, anyValues},
};

// A pattern over the format's exact values that every pixel position varies.
Image patternImage(const FormatCase& testCase, std::uint32_t width, std::uint32_t height) {
    std::vector<Rgba> pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t k = (x * 3 + y * 5) % 4;
            const std::uint8_t red = testCase.red[k];
            const std::uint8_t green = testCase.greyOnly ? red : testCase.green[(k + 1) % 4];
            const std::uint8_t blue = testCase.greyOnly ? red : testCase.blue[(k + 2) % 4];
            pixels.push_back({red, green, blue, testCase.alpha[(x + y) % 4]});
        }
    }
    return makeImage(width, height, pixels, true);
}

struct Size {
    std::uint32_t width, height;
};

constexpr Size sizes[] = {{4, 4}, {5, 3}, {1, 1}, {7, 2}};

TEST(RoundTrip, EveryUncompressedFormatReadsBackExactly) {
    for (const FormatCase& testCase : formatCases) {
        for (const Size size : sizes) {
            const Image image = patternImage(testCase, size.width, size.height);
            for (const bool d3d9 : {false, true}) {
                SCOPED_TRACE(std::string(testCase.label) + (d3d9 ? ", D3D9 " : ", D3D8 ") + std::to_string(size.width) +
                             "x" + std::to_string(size.height));
                const TextureLayout texture = d3d9 ? d3d9Texture("pattern", image, testCase.format)
                                                   : d3d8Texture("pattern", image, testCase.format);
                const Texture read = onlyTexture(texture);
                EXPECT_EQ(read.name, "pattern");
                EXPECT_EQ(read.image.width, size.width);
                EXPECT_EQ(read.image.height, size.height);
                EXPECT_EQ(pixelsOf(read.image), pixelsOf(image));
            }
        }
    }
}

// One flat colour per 4x4 block, each exact in 565, so squish's encoding is exact too.
Image blockImage(std::uint32_t width, std::uint32_t height, bool transparentBlock, std::uint8_t alpha) {
    const std::array<Rgba, 4> colours = {
        {{0xFF, 0x00, 0x00, alpha}, {0x00, 0x82, 0x84, alpha}, {0x42, 0x41, 0xFF, alpha}, {0xFF, 0xFF, 0xFF, alpha}}};
    std::vector<Rgba> pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t block = (x / 4 + y / 4 * 3) % 4;
            pixels.push_back(transparentBlock && block == 3 ? Rgba{0, 0, 0, 0} : colours[block]);
        }
    }
    return makeImage(width, height, pixels, true);
}

struct DxtFormatCase {
    TxdPixelFormat format;
    const char* label;
    bool transparentBlock;
    std::uint8_t alpha;
};

const DxtFormatCase dxtFormatCases[] = {
    {TxdPixelFormat::Dxt1, "DXT1 opaque", false, 255},
    {TxdPixelFormat::Dxt1, "DXT1 with a transparent block", true, 255},
    {TxdPixelFormat::Dxt3, "DXT3", true, 0x99},
    {TxdPixelFormat::Dxt5, "DXT5", true, 0x9C},
};

constexpr Size dxtSizes[] = {{8, 8}, {12, 4}, {5, 3}, {2, 2}, {1, 1}, {9, 6}};

TEST(RoundTrip, DxtImagesOfFlatBlocksReadBackExactly) {
    for (const DxtFormatCase& testCase : dxtFormatCases) {
        for (const Size size : dxtSizes) {
            const Image image = blockImage(size.width, size.height, testCase.transparentBlock, testCase.alpha);
            for (const bool d3d9 : {false, true}) {
                SCOPED_TRACE(std::string(testCase.label) + (d3d9 ? ", D3D9 " : ", D3D8 ") + std::to_string(size.width) +
                             "x" + std::to_string(size.height));
                const TextureLayout texture = d3d9 ? d3d9Texture("blocks", image, testCase.format)
                                                   : d3d8Texture("blocks", image, testCase.format);
                EXPECT_EQ(pixelsOf(onlyTexture(texture).image), pixelsOf(image));
            }
        }
    }
}

TEST(RoundTrip, OnlyTheFirstLevelIsReadAndLongerLevelsAreFine) {
    const Image image = patternImage(formatCases[5], 4, 2);
    TextureLayout texture = d3d8Texture("mips", image, TxdPixelFormat::Bgra8888);
    texture.rasterFormat |= rasterMipmaps;
    texture.levels[0].insert(texture.levels[0].end(), {9, 9, 9, 9, 9, 9});
    texture.levels.push_back(Bytes(8, 0x11));
    texture.levels.push_back(Bytes(4, 0x22));
    EXPECT_EQ(pixelsOf(onlyTexture(texture).image), pixelsOf(image));
}

}  // namespace
}  // namespace zorvek::test

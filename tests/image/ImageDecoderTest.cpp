// Image files into pixels: each format a model's textures come in, their
// sizes checked before anything is decoded, and resizing.
#include "image/ImageDecoder.h"
#include "image/ImageEncoder.h"
#include "image/ImageResize.h"
#include "support/ExpectError.h"
#include "support/txd/ImageFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace zorvek::test {
namespace {

struct FormatCase {
    const char* label;
    std::function<Bytes(const Image&)> write;
    bool keepsAlpha;
    double rmsBound;  // 0: exact
};

class DecodedFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DecodedFormat, GivesTheWrittenPixels) {
    const FormatCase& c = GetParam();
    const Image source = paintedImage(37, 21, 4, c.keepsAlpha);
    const Image decoded = decodeImage(c.write(source));
    const ImageDifference d = difference(source, decoded, !c.keepsAlpha);
    EXPECT_TRUE(d.sameSize);
    EXPECT_LE(d.rms, c.rmsBound);
    if (c.rmsBound == 0) {
        EXPECT_EQ(d.largest, 0);
    }
    EXPECT_EQ(decoded.hasAlpha, c.keepsAlpha);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecodedFormat,
    ::testing::Values(FormatCase{"Png", [](const Image& i) { return encodeImage(i, ImageFormat::Png); }, true, 0},
                      FormatCase{"Bmp", [](const Image& i) { return encodeImage(i, ImageFormat::Bmp); }, true, 0},
                      FormatCase{"Tga", [](const Image& i) { return encodeImage(i, ImageFormat::Tga); }, true, 0},
                      FormatCase{"OpaquePng",
                                 [](const Image& i) {
                                     Image opaque = i;
                                     opaque.hasAlpha = false;
                                     return encodeImage(opaque, ImageFormat::Png);
                                 },
                                 false, 0},
                      FormatCase{"Jpg", [](const Image& i) { return jpgFile(i, 95); }, false, 3.0}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.label); });

// A BMP header claiming a size: the smallest file whose header stb reads.
Bytes bmpHeader(std::int32_t width, std::int32_t height) {
    Bytes file = encodeImage(paintedImage(2, 2, 1, false), ImageFormat::Bmp);
    for (int i = 0; i < 4; ++i) {
        file[18 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) >> (8 * i));
        file[22 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (8 * i));
    }
    return file;
}

TEST(ImageDecoderRefusals, SizesPastTheLimitBeforeDecoding) {
    EXPECT_USER_ERROR(decodeImage(bmpHeader(16385, 4)), "画像が大きすぎます (16385x4)");
    EXPECT_USER_ERROR(decodeImage(bmpHeader(16384, 8192)), "画像が大きすぎます (16384x8192)");
}

TEST(ImageDecoderRefusals, WhatIsNoImage) {
    EXPECT_USER_ERROR(decodeImage(Bytes{}), "画像を読み込めません (unknown image type)");
    const Bytes text{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_USER_ERROR(decodeImage(text), "画像を読み込めません (unknown image type)");
    Bytes png = encodeImage(paintedImage(8, 8, 1, false), ImageFormat::Png);
    png.resize(png.size() / 2);
    EXPECT_NE(userErrorOf([&] { decodeImage(png); }), noUserError);
}

// A Huffman table of more codes than the decoder's arrays hold: refused
// before the decoder builds it past their end, wherever the table lies.
TEST(ImageDecoderRefusals, JpegHuffmanTablesOfMoreThan256Codes) {
    const Bytes valid = jpgFile(paintedImage(16, 16, 1, false), 90);
    EXPECT_USER_ERROR(decodeImage(valid), noUserError);
    std::size_t tables = 0;
    for (std::size_t at = 0; at + 21 < valid.size(); ++at) {
        if (valid[at] != 0xFF || valid[at + 1] != 0xC4) {
            continue;
        }
        ++tables;
        Bytes broken = valid;
        for (std::size_t i = 0; i < 16; ++i) {
            broken[at + 5 + i] = 17;  // 272 codes
        }
        EXPECT_USER_ERROR(decodeImage(broken), "画像を読み込めません (bad DHT header)");
        EXPECT_FALSE(peekImageSize(broken));
    }
    EXPECT_GT(tables, 0u);
}

TEST(ImageResize, KeepsAnImageOfItsOwnSizeAndAnEvenColour) {
    const Image source = paintedImage(10, 6, 2, true);
    EXPECT_EQ(resizeImage(source, 10, 6).rgba, source.rgba);
    Image even = source;
    for (std::size_t i = 0; i < even.rgba.size(); i += 4) {
        even.rgba[i] = 200, even.rgba[i + 1] = 100, even.rgba[i + 2] = 50, even.rgba[i + 3] = 255;
    }
    for (const auto& [w, h] : {std::pair{16u, 8u}, std::pair{4u, 4u}, std::pair{1u, 1u}, std::pair{33u, 2u}}) {
        const Image resized = resizeImage(even, w, h);
        ASSERT_EQ(resized.rgba.size(), std::size_t{w} * h * 4);
        for (std::size_t i = 0; i < resized.rgba.size(); i += 4) {
            EXPECT_EQ(resized.rgba[i], 200);
            EXPECT_EQ(resized.rgba[i + 1], 100);
            EXPECT_EQ(resized.rgba[i + 2], 50);
            EXPECT_EQ(resized.rgba[i + 3], 255);
        }
        EXPECT_FALSE(resized.hasAlpha);
    }
}

TEST(ImageResize, HalvingAveragesNeighbours) {
    // Columns of black and white: halved, grey away from the clamped edges.
    Image stripes{16, 2, false, {}};
    for (int i = 0; i < 32; ++i) {
        const std::uint8_t v = i % 2 == 0 ? 0 : 255;
        stripes.rgba.insert(stripes.rgba.end(), {v, v, v, 255});
    }
    const Image half = resizeImage(stripes, 8, 1);
    for (std::size_t x = 2; x < 6; ++x) {
        EXPECT_NEAR(half.rgba[x * 4], 128, 2) << x;
    }
}

}  // namespace
}  // namespace zorvek::test

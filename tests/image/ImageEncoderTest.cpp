#include "StbDecoding.h"
#include "base/UserMessageError.h"
#include "image/ImageEncoder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zorvek::test {
namespace {

// Every channel varies over the image, alpha included.
Image gradient(std::uint32_t width, std::uint32_t height, bool hasAlpha) {
    Image image{width, height, hasAlpha, {}};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            image.rgba.push_back(static_cast<std::uint8_t>(x * 37 + y));
            image.rgba.push_back(static_cast<std::uint8_t>(y * 23 + 5));
            image.rgba.push_back(static_cast<std::uint8_t>((x ^ y) * 11));
            image.rgba.push_back(static_cast<std::uint8_t>(255 - x * 13 - y * 7));
        }
    }
    return image;
}

Bytes opaque(Bytes rgba) {
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 255;
    }
    return rgba;
}

struct EncodeCase {
    ImageFormat format;
    const char* label;
    Bytes magic;  // the format's signature at the start of the file
};

const EncodeCase encodeCases[] = {
    {ImageFormat::Png, "PNG", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
    {ImageFormat::Bmp, "BMP", {'B', 'M'}},
    // A TGA has no signature: byte 2 is the image type, 10 for run-length true colour.
    {ImageFormat::Tga, "TGA", {0, 0, 10}},
};

struct SizeCase {
    std::uint32_t width, height;
};

constexpr SizeCase sizeCases[] = {{1, 1}, {3, 2}, {17, 9}, {64, 3}};

TEST(ImageEncoder, EveryFormatDecodesBackToThePixelsWritten) {
    for (const EncodeCase& testCase : encodeCases) {
        for (const SizeCase size : sizeCases) {
            for (const bool hasAlpha : {true, false}) {
                SCOPED_TRACE(std::string(testCase.label) + " " + std::to_string(size.width) + "x" +
                             std::to_string(size.height) + (hasAlpha ? " RGBA" : " RGB"));
                const Image image = gradient(size.width, size.height, hasAlpha);
                const Bytes file = encodeImage(image, testCase.format);
                ASSERT_GE(file.size(), testCase.magic.size());
                EXPECT_TRUE(std::equal(testCase.magic.begin(), testCase.magic.end(), file.begin()));
                const std::optional<DecodedImage> decoded = decodeWithStb(file);
                ASSERT_TRUE(decoded);
                EXPECT_EQ(decoded->width, static_cast<int>(size.width));
                EXPECT_EQ(decoded->height, static_cast<int>(size.height));
                EXPECT_EQ(decoded->channelsInFile, hasAlpha ? 4 : 3);
                // Without alpha the file has none: it reads back opaque.
                EXPECT_EQ(decoded->rgba, hasAlpha ? image.rgba : opaque(image.rgba));
            }
        }
    }
}

TEST(ImageEncoder, WritingAFileStoresTheEncodedBytes) {
    const TempDir folder;
    const Image image = gradient(5, 4, true);
    writeImageFile(folder / "out.tga", image, ImageFormat::Tga);
    EXPECT_EQ(readBytes(folder / "out.tga"), encodeImage(image, ImageFormat::Tga));
}

TEST(ImageEncoder, PixelsThatDoNotMatchTheSizeAreRefused) {
    Image image = gradient(3, 3, false);
    image.rgba.pop_back();
    EXPECT_THROW(encodeImage(image, ImageFormat::Png), std::invalid_argument);
    EXPECT_THROW(encodeImage(Image{0, 4, false, {}}, ImageFormat::Bmp), std::invalid_argument);
    EXPECT_THROW(encodeImage(Image{4, 0, false, {}}, ImageFormat::Tga), std::invalid_argument);
}

TEST(ImageEncoder, ImagesTooLargeForTheFormatsAreAUserError) {
    // 65535 x 65535 RGBA is 17 GB: more than the encoder's 32-bit sizes hold.
    const Image huge{65535, 65535, true, {}};
    try {
        encodeImage(huge, ImageFormat::Png);
        FAIL() << "no error";
    } catch (const UserMessageError& error) {
        EXPECT_STREQ(error.what(), "画像が大きすぎます");
    }
}

}  // namespace
}  // namespace zorvek::test

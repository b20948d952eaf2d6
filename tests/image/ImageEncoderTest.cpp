#include "StbDecoding.h"
#include "base/UserMessageError.h"
#include "image/ImageEncoder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

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

// A texture-sized image whose quarters compress very differently: a smooth
// gradient, noise no compressor shrinks, one flat colour, and hard-edged
// stripes; alpha varies across all of them.
Image variedTexture(std::uint32_t size, bool hasAlpha) {
    Image image{size, size, hasAlpha, Bytes(std::size_t{size} * size * 4)};
    std::uint32_t noise = 12345;
    for (std::uint32_t y = 0; y < size; ++y) {
        for (std::uint32_t x = 0; x < size; ++x) {
            std::uint8_t* pixel = &image.rgba[(std::size_t{y} * size + x) * 4];
            noise = noise * 1103515245u + 12345u;
            const bool right = x >= size / 2;
            const bool bottom = y >= size / 2;
            for (int c = 0; c < 3; ++c) {
                const auto shift = static_cast<unsigned>(8 + c * 5);
                pixel[c] = !right && !bottom  ? static_cast<std::uint8_t>((x * (c + 1) + y) / 8)
                           : right && !bottom ? static_cast<std::uint8_t>(noise >> shift)
                           : !right           ? static_cast<std::uint8_t>(90 + c * 40)
                                              : static_cast<std::uint8_t>((x / 3 + y / 5) % 2 ? 255 : c * 20);
            }
            pixel[3] = static_cast<std::uint8_t>(x % 7 == 0 ? noise >> 24 : 255 - y % 256);
        }
    }
    return image;
}

TEST(ImageEncoder, ALargeVariedTextureDecodesBackToItsPixels) {
    const Image rgba = variedTexture(2048, true);
    const Image rgb = variedTexture(2048, false);
    for (const EncodeCase& testCase : encodeCases) {
        for (const Image* image : {&rgba, &rgb}) {
            SCOPED_TRACE(std::string(testCase.label) + (image->hasAlpha ? " RGBA" : " RGB"));
            const std::optional<DecodedImage> decoded = decodeWithStb(encodeImage(*image, testCase.format));
            ASSERT_TRUE(decoded);
            EXPECT_EQ(decoded->width, 2048);
            EXPECT_EQ(decoded->height, 2048);
            EXPECT_EQ(decoded->channelsInFile, image->hasAlpha ? 4 : 3);
            // One comparison, not one failure per pixel.
            EXPECT_TRUE(decoded->rgba == (image->hasAlpha ? image->rgba : opaque(image->rgba)));
        }
    }
}

// PNG's CRC-32 bit by bit, independent of the encoder's.
std::uint32_t crc32Of(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        }
    }
    return ~crc;
}

std::uint32_t bigEndianAt(const Bytes& file, std::size_t at) {
    return std::uint32_t{file[at]} << 24 | std::uint32_t{file[at + 1]} << 16 | std::uint32_t{file[at + 2]} << 8 |
           file[at + 3];
}

// stb's reader ignores the chunks' CRCs, which stricter readers refuse.
TEST(ImageEncoder, PngChunksFollowEachOtherWithTheirChecksums) {
    for (const Image& image : {gradient(17, 9, true), gradient(300, 200, false)}) {
        SCOPED_TRACE(image.hasAlpha ? "RGBA" : "RGB");
        const Bytes file = encodeImage(image, ImageFormat::Png);
        std::vector<std::string> types;
        std::size_t at = 8;
        while (at + 12 <= file.size()) {
            const std::uint32_t length = bigEndianAt(file, at);
            ASSERT_LE(at + 12 + length, file.size());
            types.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               file.begin() + static_cast<std::ptrdiff_t>(at + 8));
            EXPECT_EQ(bigEndianAt(file, at + 8 + length), crc32Of(&file[at + 4], 4 + length)) << types.back();
            at += 12 + length;
        }
        EXPECT_EQ(at, file.size());
        EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
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

// The DDS reader: every pixel format MMD models carry, the blocks of DDS
// files already of a texture's size kept as they are, and every malformed
// size refused before anything is allocated for it.
#include "TxdTestSupport.h"

#include "support/AllocationWatch.h"
#include "support/txd/ImageFiles.h"
#include "txd/DdsReader.h"
#include "txd/DxtPixels.h"
#include "txd/TexturePacking.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorvek::test {
namespace {

struct DdsCase {
    const char* label;
    DdsPixels pixels;
    bool transparent;
    PixelEncoding encoding;
    double rmsBound;
};

class DdsFormats : public ::testing::TestWithParam<DdsCase> {};

TEST_P(DdsFormats, ReadToTheImagesPixels) {
    const DdsCase& c = GetParam();
    const Image source = paintedImage(12, 8, 5, c.transparent);
    const DdsImage dds = readDds(ddsOf(source, c.pixels));
    EXPECT_EQ(dds.encoding, c.encoding);
    EXPECT_EQ(dds.width, 12u);
    EXPECT_EQ(dds.height, 8u);
    EXPECT_EQ(dds.image.hasAlpha, c.transparent);
    const ImageDifference d = difference(source, dds.image, c.pixels == DdsPixels::Xrgb8888);
    EXPECT_LE(d.rms, c.rmsBound);
    if (c.encoding == PixelEncoding::Bgra8888) {
        EXPECT_TRUE(dds.levels.empty());
    } else {
        ASSERT_EQ(dds.levels.size(), 1u);
        EXPECT_EQ(dds.levels[0].size(), levelBytesNeeded(c.encoding, 12, 8));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DdsFormats,
    ::testing::Values(DdsCase{"Dxt1", DdsPixels::Dxt1, false, PixelEncoding::Dxt1, 5.0},
                      DdsCase{"Dxt3", DdsPixels::Dxt3, true, PixelEncoding::Dxt3, 5.0},
                      DdsCase{"Dxt5", DdsPixels::Dxt5, true, PixelEncoding::Dxt5, 5.0},
                      DdsCase{"A8R8G8B8", DdsPixels::Argb8888, true, PixelEncoding::Bgra8888, 0.0},
                      DdsCase{"X8R8G8B8", DdsPixels::Xrgb8888, false, PixelEncoding::Bgra8888, 0.0},
                      DdsCase{"A8B8G8R8", DdsPixels::Abgr8888, true, PixelEncoding::Bgra8888, 0.0}),
    [](const ::testing::TestParamInfo<DdsCase>& info) { return std::string(info.param.label); });

TexturePackSettings withMipmaps() {
    TexturePackSettings settings;
    settings.mipmaps = true;
    return settings;
}

TexturePackSettings cappedAt(std::uint32_t side) {
    TexturePackSettings settings;
    settings.maxSide = side;
    return settings;
}

TexturePackSettings uncompressed() {
    TexturePackSettings settings;
    settings.format = TextureFormat::Bgra;
    return settings;
}

struct KeptCase {
    const char* label;
    DdsPixels pixels;
    std::uint32_t width, height, fileLevels;
    TexturePackSettings settings;
    bool kept;  // the file's blocks written as they are
    std::size_t levels;
};

class DdsBlocks : public ::testing::TestWithParam<KeptCase> {};

TEST_P(DdsBlocks, AreKeptOnlyWhenAlreadyOfTheTexturesSize) {
    const KeptCase& c = GetParam();
    const Image source = paintedImage(c.width, c.height, 9, c.pixels != DdsPixels::Dxt1);
    const Bytes file = ddsOf(source, c.pixels, c.fileLevels);
    const DdsImage dds = readDds(file);
    const NativeTexture texture = packImageFile("t", file, c.settings);
    ASSERT_EQ(texture.levels.size(), c.levels);
    const bool same =
        texture.encoding == dds.encoding && texture.width == c.width && texture.height == c.height &&
        std::equal(texture.levels[0].begin(), texture.levels[0].end(), dds.levels[0].begin(), dds.levels[0].end());
    EXPECT_EQ(same, c.kept);
    if (c.kept) {
        for (std::size_t l = 0; l < c.levels; ++l) {
            EXPECT_TRUE(std::equal(texture.levels[l].begin(), texture.levels[l].end(), dds.levels[l].begin(),
                                   dds.levels[l].end()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DdsBlocks,
    ::testing::Values(KeptCase{"Dxt1PowerOfTwo", DdsPixels::Dxt1, 32, 16, 1, {}, true, 1},
                      KeptCase{"Dxt3PowerOfTwo", DdsPixels::Dxt3, 16, 16, 1, {}, true, 1},
                      KeptCase{"Dxt5PowerOfTwo", DdsPixels::Dxt5, 8, 32, 1, {}, true, 1},
                      KeptCase{"TopLevelOnlyOfAChain", DdsPixels::Dxt1, 16, 16, 5, {}, true, 1},
                      KeptCase{"TheWholeChainWithMipmaps", DdsPixels::Dxt5, 16, 8, 5, withMipmaps(), true, 5},
                      KeptCase{"AShortChainIsRemade", DdsPixels::Dxt5, 16, 8, 2, withMipmaps(), false, 5},
                      KeptCase{"NotAPowerOfTwo", DdsPixels::Dxt1, 24, 16, 1, {}, false, 1},
                      KeptCase{"LargerThanTheCap", DdsPixels::Dxt1, 64, 64, 1, cappedAt(32), false, 1},
                      KeptCase{"UncompressedAsked", DdsPixels::Dxt1, 16, 16, 1, uncompressed(), false, 1}),
    [](const ::testing::TestParamInfo<KeptCase>& info) { return std::string(info.param.label); });

const std::string broken = "DDSファイルが壊れています";

TEST(DdsRefusals, EveryCutOfAValidFileIsBroken) {
    const Bytes whole = ddsOf(paintedImage(8, 8, 1, true), DdsPixels::Dxt5, 4);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_USER_ERROR(readDds(cut), broken) << size;
    }
    EXPECT_USER_ERROR(readDds(whole), noUserError);
}

struct RefusalCase {
    const char* label;
    std::function<void(DdsLayout&)> change;
    std::string message;
};

class DdsRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(DdsRefusal, SaysWhatIsWrongWithoutAllocatingForIt) {
    DdsLayout layout;
    GetParam().change(layout);
    const Bytes file = ddsFile(layout);
    resetLargestAllocation();
    EXPECT_USER_ERROR(readDds(file), GetParam().message);
    EXPECT_LT(largestAllocation(), std::size_t{1} << 16);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DdsRefusal,
    ::testing::Values(
        RefusalCase{"HugeWidth", [](DdsLayout& l) { l.width = 0x7FFFFFFF; }, "画像が大きすぎます (2147483647x4)"},
        RefusalCase{"TooManyPixels", [](DdsLayout& l) { l.width = l.height = 16384; },
                    "画像が大きすぎます (16384x16384)"},
        RefusalCase{"LargeButShort", [](DdsLayout& l) { l.width = l.height = 4096; }, broken},
        RefusalCase{"NoWidth", [](DdsLayout& l) { l.width = 0; }, broken},
        RefusalCase{"HeaderSize", [](DdsLayout& l) { l.headerSize = 100; }, broken},
        RefusalCase{"PixelFormatSize", [](DdsLayout& l) { l.pixelFormatSize = 24; }, broken},
        RefusalCase{"MoreLevelsThanTheChain",
                    [](DdsLayout& l) {
                        l.width = l.height = 8;
                        l.mipMapCount = 5;
                    },
                    broken},
        RefusalCase{"OtherFourCC", [](DdsLayout& l) { l.fourCC = fourCC("ATI2"); }, "対応していないDDS形式です (ATI2)"},
        RefusalCase{"Dx10Header", [](DdsLayout& l) { l.fourCC = fourCC("DX10"); }, "対応していないDDS形式です (DX10)"},
        RefusalCase{"TwentyFourBit",
                    [](DdsLayout& l) {
                        l.pixels = DdsPixels::Argb8888;
                        l.bitCount = 24;
                    },
                    "対応していないDDS形式です (24 bit)"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.label); });

TEST(DdsRefusals, MasksThatAreNotWholeBytes) {
    Bytes file = ddsOf(paintedImage(4, 4, 1, true), DdsPixels::Argb8888);
    file[4 + 88] = 0xF0;  // the red mask's low byte: 0x00FF00F0
    EXPECT_USER_ERROR(readDds(file), "対応していないDDS形式です (masks 0x00FF00F0 0x0000FF00 0x000000FF 0xFF000000)");
}

}  // namespace
}  // namespace zorvek::test

// Images packed into a TXD by our writer, read back by our reader: the sizes,
// formats, flags and levels each rule gives, and the pixels within what the
// stored format keeps.
#include "TxdTestSupport.h"

#include "image/ImageResize.h"
#include "support/txd/ImageFiles.h"
#include "txd/TexturePacking.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zorvek::test {
namespace {

struct SideCase {
    std::uint32_t side;
    std::uint32_t cap;
    std::uint32_t expected;
};

class TextureSide : public ::testing::TestWithParam<SideCase> {};

TEST_P(TextureSide, IsTheNearestPowerOfTwoWithinTheCap) {
    EXPECT_EQ(textureSide(GetParam().side, GetParam().cap), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sides, TextureSide,
                         ::testing::Values(SideCase{1, 2048, 1}, SideCase{2, 2048, 2}, SideCase{3, 2048, 4},
                                           SideCase{5, 2048, 4}, SideCase{6, 2048, 8},  // a tie goes up
                                           SideCase{700, 2048, 512}, SideCase{768, 2048, 1024},
                                           SideCase{1500, 2048, 1024}, SideCase{1536, 2048, 2048},
                                           SideCase{3000, 2048, 2048}, SideCase{16384, 2048, 2048},
                                           SideCase{1000, 256, 256}, SideCase{100, 300, 128}, SideCase{300, 300, 256},
                                           SideCase{40, 0, 1}, SideCase{9000, 99999, 2048}));

// The fields of the first texture native of a written dictionary, from where
// the layout puts them.
struct WrittenHeader {
    std::uint32_t platform, filter, rasterFormat, d3dFormat;
    std::uint16_t width, height;
    std::uint8_t depth, levels, rasterType, flags;
    std::string name, mask;
};

std::uint32_t u32At(const ByteBlock& file, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, file.data() + at, 4);
    return value;
}

WrittenHeader firstHeader(const ByteBlock& file) {
    constexpr std::size_t payload = 52;  // dictionary, its Struct and its count, the native and its Struct
    WrittenHeader h{};
    h.platform = u32At(file, payload);
    h.filter = u32At(file, payload + 4);
    h.name = reinterpret_cast<const char*>(file.data() + payload + 8);
    h.mask = reinterpret_cast<const char*>(file.data() + payload + 40);
    h.rasterFormat = u32At(file, payload + 72);
    h.d3dFormat = u32At(file, payload + 76);
    h.width = static_cast<std::uint16_t>(u32At(file, payload + 80) & 0xFFFF);
    h.height = static_cast<std::uint16_t>(u32At(file, payload + 80) >> 16);
    h.depth = file.data()[payload + 84];
    h.levels = file.data()[payload + 85];
    h.rasterType = file.data()[payload + 86];
    h.flags = file.data()[payload + 87];
    return h;
}

struct PackCase {
    const char* label;
    std::uint32_t width, height;
    bool transparent;
    TexturePackSettings settings;
    std::uint16_t packedWidth, packedHeight;
    std::uint32_t rasterFormat;
    std::uint32_t d3dFormat;
    std::uint8_t flags, depth, levels;
    double rmsBound;  // of every channel, against the source resized
    int largestBound;
};

constexpr std::uint32_t dxt1 = fourCC("DXT1");
constexpr std::uint32_t dxt5 = fourCC("DXT5");
constexpr TexturePackSettings settingsOf(TextureFormat format, bool mipmaps, std::uint32_t maxSide) {
    TexturePackSettings settings;
    settings.format = format;
    settings.mipmaps = mipmaps;
    settings.maxSide = maxSide;
    return settings;
}

constexpr TexturePackSettings dxt = settingsOf(TextureFormat::Dxt, false, 2048);
constexpr TexturePackSettings bgra = settingsOf(TextureFormat::Bgra, false, 2048);
constexpr TexturePackSettings dxtMips = settingsOf(TextureFormat::Dxt, true, 2048);

const PackCase packCases[] = {
    {"OpaqueIsDxt1", 64, 64, false, dxt, 64, 64, 0x0200, dxt1, 0x08, 16, 1, 5.0, 24},
    {"TransparentIsDxt5", 64, 64, true, dxt, 64, 64, 0x0300, dxt5, 0x09, 16, 1, 5.0, 24},
    {"OpaqueUncompressedIs888", 64, 32, false, bgra, 64, 32, 0x0600, 22, 0x00, 32, 1, 0.0, 0},
    {"TransparentUncompressedIs8888", 32, 64, true, bgra, 32, 64, 0x0500, 21, 0x01, 32, 1, 0.0, 0},
    {"ResizedToTheNearestPowerOfTwo", 100, 40, false, dxt, 128, 32, 0x0200, dxt1, 0x08, 16, 1, 5.0, 24},
    {"ATieResizesUp", 24, 48, true, bgra, 32, 64, 0x0500, 21, 0x01, 32, 1, 0.0, 0},
    {"CappedByMaxTexture", 256, 512, false, settingsOf(TextureFormat::Dxt, false, 128), 128, 128, 0x0200, dxt1, 0x08,
     16, 1, 5.0, 24},
    {"CappedByMaxTextureRoundedDown", 256, 256, false, settingsOf(TextureFormat::Bgra, false, 100), 64, 64, 0x0600, 22,
     0x00, 32, 1, 0.0, 0},
    {"NeverPast2048", 3000, 8, false, bgra, 2048, 8, 0x0600, 22, 0x00, 32, 1, 0.0, 0},
    {"MipLevelsDownToOnePixel", 64, 16, false, dxtMips, 64, 16, 0x8200, dxt1, 0x08, 16, 7, 5.0, 24},
    {"MipLevelsUncompressed", 8, 8, true, settingsOf(TextureFormat::Bgra, true, 2048), 8, 8, 0x8500, 21, 0x01, 32, 4,
     0.0, 0},
    {"SmallerThanABlock", 2, 2, true, dxt, 2, 2, 0x0300, dxt5, 0x09, 16, 1, 5.0, 24},
};

class PackedTexture : public ::testing::TestWithParam<PackCase> {};

TEST_P(PackedTexture, IsStoredAsTheRulesSayAndReadsBack) {
    const PackCase& c = GetParam();
    const Image source = paintedImage(c.width, c.height, 7, c.transparent);
    const ByteBlock file = writeTextureDictionary({packImage("skin", source, c.settings)});
    const WrittenHeader h = firstHeader(file);
    EXPECT_EQ(h.platform, 9u);
    EXPECT_EQ(h.filter, 0x1106u);
    EXPECT_EQ(h.name, "skin");
    EXPECT_EQ(h.mask, "");
    EXPECT_EQ(h.width, c.packedWidth);
    EXPECT_EQ(h.height, c.packedHeight);
    EXPECT_EQ(h.rasterFormat, c.rasterFormat);
    EXPECT_EQ(h.d3dFormat, c.d3dFormat);
    EXPECT_EQ(h.flags, c.flags);
    EXPECT_EQ(h.depth, c.depth);
    EXPECT_EQ(h.levels, c.levels);
    EXPECT_EQ(h.rasterType, 4);

    const ReadResult read = readTxd(Bytes(file.begin(), file.end()));
    ASSERT_EQ(read.dictionary.textures.size(), 1u);
    EXPECT_TRUE(read.warnings.empty());
    EXPECT_EQ(read.dictionary.deviceId, 2);
    const Image expected = resizeImage(source, c.packedWidth, c.packedHeight);
    const ImageDifference d = difference(expected, read.dictionary.textures[0].image, !c.transparent);
    EXPECT_TRUE(d.sameSize);
    EXPECT_LE(d.rms, c.rmsBound);
    EXPECT_LE(d.largest, c.largestBound);
    EXPECT_EQ(read.dictionary.textures[0].image.hasAlpha, c.transparent);
}

INSTANTIATE_TEST_SUITE_P(Rules, PackedTexture, ::testing::ValuesIn(packCases),
                         [](const ::testing::TestParamInfo<PackCase>& info) { return std::string(info.param.label); });

// Every level of a mip chain, read from the written levels: each half the
// last, the last 1x1, each the image at that size within DXT's error.
TEST(PackedMipLevels, HalveDownToOnePixelAndHoldTheImage) {
    const Image source = paintedImage(64, 16, 3, false);
    const NativeTexture texture = packImage("m", source, dxtMips);
    ASSERT_EQ(texture.levels.size(), 7u);
    std::uint32_t w = 64, h = 16;
    Image level = source;
    for (std::size_t l = 0; l < texture.levels.size(); ++l) {
        const Bytes& stored = texture.levels[l];
        EXPECT_EQ(stored.size(), levelBytesNeeded(PixelEncoding::Dxt1, w, h));
        level = resizeImage(level, w, h);
        const ImageDifference d = difference(level, decodeRaster({PixelEncoding::Dxt1, w, h, stored, {}, false}), true);
        EXPECT_LE(d.rms, 5.0) << w << "x" << h;
        if (l + 1 == texture.levels.size()) {
            EXPECT_EQ(w, 1u);
            EXPECT_EQ(h, 1u);
        }
        w = std::max<std::uint32_t>(1, w / 2);
        h = std::max<std::uint32_t>(1, h / 2);
    }
}

TEST(TextureAlpha, FlagFollowsTheStoredPixelsOnly) {
    Image source = paintedImage(16, 16, 1, false);
    EXPECT_EQ(firstHeader(writeTextureDictionary({packImage("a", source, dxt)})).flags, 0x08);
    source.rgba[3] = 254;  // one pixel barely transparent
    EXPECT_EQ(firstHeader(writeTextureDictionary({packImage("a", source, dxt)})).flags, 0x09);
    EXPECT_EQ(firstHeader(writeTextureDictionary({packImage("a", source, bgra)})).flags, 0x01);
}

TEST(TextureDictionaryLayout, EveryChunkStampedAndTheDictionaryInOrder) {
    const ByteBlock file = writeTextureDictionary(
        {packImage("one", paintedImage(4, 4, 1, false), dxt), packImage("two", paintedImage(8, 8, 2, true), bgra)});
    // Chunks in order: dictionary, Struct, native, Struct, Extension, native, Struct, Extension, Extension.
    const std::vector<std::uint32_t> expectedTypes{0x16, 0x1, 0x15, 0x1, 0x3, 0x15, 0x1, 0x3, 0x3};
    std::vector<std::uint32_t> types;
    std::size_t at = 0;
    const auto walk = [&](auto&& self, std::size_t end) -> void {
        while (at < end) {
            const std::uint32_t type = u32At(file, at);
            const std::uint32_t size = u32At(file, at + 4);
            EXPECT_EQ(u32At(file, at + 8), 0x1803FFFFu);
            types.push_back(type);
            at += 12;
            if (type == 0x16 || type == 0x15) {
                self(self, at + size);
            } else {
                at += size;
            }
        }
    };
    walk(walk, file.size());
    EXPECT_EQ(types, expectedTypes);
    EXPECT_EQ(u32At(file, 24), 2u << 16 | 2u);  // two textures, device 2
    const ReadResult read = readTxd(Bytes(file.begin(), file.end()));
    ASSERT_EQ(read.dictionary.textures.size(), 2u);
    EXPECT_EQ(read.dictionary.textures[0].name, "one");
    EXPECT_EQ(read.dictionary.textures[1].name, "two");
    EXPECT_EQ(read.dictionary.textures[1].maskName, "");
}

TEST(TextureDictionaryLayout, RefusesWhatItCannotHold) {
    NativeTexture texture = packImage(std::string(31, 'n'), paintedImage(4, 4, 1, false), dxt);
    EXPECT_NO_THROW(writeTextureDictionary({texture}));
    texture.name += 'n';
    EXPECT_THROW(writeTextureDictionary({texture}), std::invalid_argument);
    texture.name = "n";
    texture.levels.front().pop_back();
    EXPECT_THROW(writeTextureDictionary({texture}), std::invalid_argument);
}

}  // namespace
}  // namespace zorvek::test

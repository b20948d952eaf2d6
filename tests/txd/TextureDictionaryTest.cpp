#include "TxdTestSupport.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

TextureLayout greyTexture(const std::string& name, std::uint8_t grey) {
    TextureLayout texture;
    texture.name = name;
    texture.rasterFormat = rasterLum8;
    texture.depth = 8;
    texture.levels = {{grey}};
    return texture;
}

std::vector<std::string> namesOf(const TextureDictionary& dictionary) {
    std::vector<std::string> names;
    for (const Texture& texture : dictionary.textures) {
        names.push_back(texture.name);
    }
    return names;
}

Bytes field(std::initializer_list<std::uint8_t> start, std::uint8_t fill) {
    Bytes bytes(start);
    bytes.resize(32, fill);
    return bytes;
}

TEST(TextureDictionary, TexturesComeInFileOrderWithTheirNamesAndMasks) {
    TxdLayout txd = txdOf({greyTexture("body", 1), greyTexture("head", 2), greyTexture("hands", 3)});
    txd.textures[1].maskName = "headm";
    txd.deviceId = 2;
    const ReadResult result = readTxd(buildTxd(txd));
    EXPECT_EQ(namesOf(result.dictionary), (std::vector<std::string>{"body", "head", "hands"}));
    EXPECT_EQ(result.dictionary.textures[1].maskName, "headm");
    EXPECT_EQ(result.dictionary.textures[0].maskName, "");
    EXPECT_EQ(result.dictionary.textures[2].image.rgba[0], 3);
    EXPECT_EQ(result.dictionary.deviceId, 2);
    EXPECT_TRUE(result.warnings.empty());
}

struct NameCase {
    const char* label;
    Bytes field;
    std::string expected;
};

const NameCase nameCases[] = {
    {"garbage after the zero byte", field({'s', 'k', 'i', 'n', 0, 'x', 'y', 0xFF}, 0xCD), "skin"},
    {"no zero byte: all 32 bytes", field({'a'}, 'b'), "a" + std::string(31, 'b')},
    {"Latin-1 letters become UTF-8", field({'c', 0xE9, 0xDF, 0xFF, 0}, 0), "c\xC3\xA9\xC3\x9F\xC3\xBF"},
    {"empty", field({0}, 'z'), ""},
};

TEST(TextureDictionary, NamesEndAtTheirFirstZeroByteAndDecodeAsLatin1) {
    for (const NameCase& testCase : nameCases) {
        SCOPED_TRACE(testCase.label);
        TextureLayout texture = greyTexture("", 0);
        texture.nameField = testCase.field;
        texture.maskField = testCase.field;
        const Texture read = onlyTexture(texture);
        EXPECT_EQ(read.name, testCase.expected);
        EXPECT_EQ(read.maskName, testCase.expected);
    }
}

TEST(TextureDictionary, TexturesOfOtherPlatformsAreSkippedWithAWarning) {
    TextureLayout ps2 = greyTexture("ps2", 9);
    ps2.platform = ps2Platform;
    ps2.otherPlatformPayload = Bytes{1, 2, 3};
    TextureLayout xbox = greyTexture("xbox", 9);
    xbox.platform = 5;
    TextureLayout unknown = greyTexture("odd", 9);
    unknown.platform = 0x1234;
    const ReadResult result = readTxd(buildTxd(txdOf({greyTexture("a", 1), ps2, xbox, greyTexture("b", 2), unknown})));
    EXPECT_EQ(namesOf(result.dictionary), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{
                  "TXDの2番目のテクスチャはPC用ではないため読み込みません (プラットフォーム: PS2)",
                  "TXDの3番目のテクスチャはPC用ではないため読み込みません (プラットフォーム: Xbox)",
                  "TXDの5番目のテクスチャはPC用ではないため読み込みません (プラットフォーム: 0x00001234)",
              }));
}

TEST(TextureDictionary, FormatsThePcGamesNeverUseAreSkippedWithAWarning) {
    TextureLayout dxt2 = greyTexture("premultiplied", 0);
    dxt2.compressionOrFlags = 2;
    TextureLayout d3d9Odd = greyTexture("float", 0);
    d3d9Odd.platform = d3d9Platform;
    d3d9Odd.alphaOrD3dFormat = 116;
    TextureLayout noColour = greyTexture("nothing", 0);
    noColour.rasterFormat = 0x0700;
    TextureLayout bothPalettes = greyTexture("palettes", 0);
    bothPalettes.rasterFormat = rasterPalette8 | rasterPalette4 | raster8888;
    const ReadResult result = readTxd(buildTxd(txdOf({dxt2, greyTexture("kept", 5), d3d9Odd, noColour, bothPalettes})));
    EXPECT_EQ(namesOf(result.dictionary), (std::vector<std::string>{"kept"}));
    EXPECT_EQ(
        result.warnings,
        (std::vector<std::string>{
            "テクスチャ「premultiplied」は対応していない形式のため読み込みません (ラスター形式: 0x0400, 圧縮: 2)",
            "テクスチャ「float」は対応していない形式のため読み込みません (ラスター形式: 0x0400, D3D形式: 0x00000074)",
            "テクスチャ「nothing」は対応していない形式のため読み込みません (ラスター形式: 0x0700, 圧縮: 0)",
            "テクスチャ「palettes」は対応していない形式のため読み込みません (ラスター形式: 0x6500, 圧縮: 0)",
        }));
}

TEST(TextureDictionary, NoWarningSinkIsNeeded) {
    TextureLayout ps2 = greyTexture("ps2", 0);
    ps2.platform = ps2Platform;
    EXPECT_EQ(readTextureDictionary(buildTxd(txdOf({ps2, greyTexture("a", 1)})), nullptr).textures.size(), 1u);
}

TEST(TextureDictionary, StampsOfEveryGameAreAccepted) {
    for (const std::uint32_t stamp :
         {0x0800FFFFu, 0x0C02FFFFu, 0x1003FFFFu, 0x1005FFFFu, 0x1803FFFFu, 0x00000310u, 0x00000314u, 0x1803002Au}) {
        SCOPED_TRACE(stamp);
        TxdLayout txd = txdOf({greyTexture("a", 7)});
        txd.version = stamp;
        EXPECT_EQ(namesOf(readTxd(buildTxd(txd)).dictionary), (std::vector<std::string>{"a"}));
    }
}

TEST(TextureDictionary, StampsOfNoRenderWare3ReleaseAreRefused) {
    for (const std::uint32_t stamp : {0x2000FFFFu, 0x000002FFu, 0x00000400u, 0u}) {
        SCOPED_TRACE(stamp);
        TxdLayout txd = txdOf({greyTexture("a", 7)});
        txd.version = stamp;
        EXPECT_EQ(readError(buildTxd(txd)), "不明なRW Version IDです");
        // The texture's own chunks are checked too.
        Chunk dictionary = textureDictionaryChunk(txdOf({greyTexture("a", 7)}));
        stampAll(dictionary.child(SectionType::TextureNative), stamp);
        EXPECT_EQ(readError(serialize(dictionary)), "不明なRW Version IDです");
    }
}

TEST(TextureDictionary, BytesAfterTheDictionaryAreIgnored) {
    TxdLayout txd = txdOf({greyTexture("a", 7)});
    txd.alignment = 2048;
    const Bytes padded = buildTxd(txd);
    EXPECT_EQ(padded.size(), 2048u);
    EXPECT_EQ(namesOf(readTxd(padded).dictionary), (std::vector<std::string>{"a"}));

    Bytes withGarbage = buildTxd(txdOf({greyTexture("b", 7)}));
    const Bytes second = serialize(textureDictionaryChunk(txdOf({greyTexture("second", 1)})));
    withGarbage.insert(withGarbage.end(), second.begin(), second.end());
    withGarbage.insert(withGarbage.end(), {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(namesOf(readTxd(withGarbage).dictionary), (std::vector<std::string>{"b"}));
}

TEST(TextureDictionary, AnEmptyDictionaryHasNoTextures) {
    const ReadResult result = readTxd(buildTxd(TxdLayout{}));
    EXPECT_TRUE(result.dictionary.textures.empty());
    EXPECT_TRUE(result.warnings.empty());
}

TEST(TextureDictionary, AFileWithoutADictionaryIsRefused) {
    EXPECT_EQ(readError(buildDff(sampleSkinnedModel())), "TextureDictionaryが見つかりません");
    EXPECT_EQ(readError({}), "TextureDictionaryが見つかりません");
}

}  // namespace
}  // namespace zorvek::test

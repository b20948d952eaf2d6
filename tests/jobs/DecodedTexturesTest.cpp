// Which textures of a dictionary a conversion decodes: those the model's
// materials name, found as RenderWare finds them, and no others.

#include "jobs/TextureExport.h"
#include "support/txd/TxdPixels.h"
#include "txd/TextureDictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zorvek {
namespace {

// A dictionary of 8888 textures, each one grey pixel, so that a decoded
// texture shows which entry it came from.
Bytes dictionaryOf(const std::vector<std::pair<std::string, std::uint8_t>>& textures) {
    test::TxdLayout layout;
    for (const auto& [name, grey] : textures) {
        const Image image = test::makeImage(1, 1, {{grey, grey, grey, 255}}, false);
        layout.textures.push_back(test::d3d9Texture(name, image, test::TxdPixelFormat::Bgra8888));
    }
    return test::buildTxd(layout);
}

DffModel modelNaming(const std::vector<std::string>& names) {
    DffModel model;
    for (const std::string& name : names) {
        model.textureIndices.emplace(name, static_cast<std::int32_t>(model.textureIndices.size()));
    }
    return model;
}

struct DecodeCase {
    const char* label;
    std::vector<std::string> modelNames;
    std::vector<std::pair<std::string, std::uint8_t>> dictionary;
    std::vector<std::pair<std::string, std::uint8_t>> decoded;  // name and grey, in dictionary order
};

const DecodeCase decodeCases[] = {
    {"the unused ones are left out",
     {"body", "head"},
     {{"body", 10}, {"hands", 20}, {"head", 30}},
     {{"body", 10}, {"head", 30}}},
    {"names match without regard to case",
     {"BODY", "Head"},
     {{"Body", 10}, {"hEAD", 20}},
     {{"Body", 10}, {"hEAD", 20}}},
    {"only the first of a name, as RenderWare finds it",
     {"body"},
     {{"Body", 10}, {"body", 20}, {"BODY", 30}},
     {{"Body", 10}}},
    {"the dictionary's order, not the model's", {"zz", "aa"}, {{"zz", 10}, {"aa", 20}}, {{"zz", 10}, {"aa", 20}}},
    {"a name the dictionary lacks decodes nothing", {"missing"}, {{"body", 10}}, {}},
    {"a model without textures decodes nothing", {}, {{"body", 10}, {"head", 20}}, {}},
};

TEST(DecodedTextures, OnlyTheTexturesTheModelNamesAreDecoded) {
    for (const DecodeCase& testCase : decodeCases) {
        SCOPED_TRACE(testCase.label);
        const Bytes file = dictionaryOf(testCase.dictionary);
        const TextureDictionary decoded =
            decodeModelTextures(modelNaming(testCase.modelNames), readStoredTextureDictionary(file, nullptr));
        std::vector<std::pair<std::string, std::uint8_t>> found;
        for (const Texture& texture : decoded.textures) {
            ASSERT_EQ(texture.image.rgba.size(), 4u);
            found.emplace_back(texture.name, texture.image.rgba[0]);
        }
        EXPECT_EQ(found, testCase.decoded);
    }
}

// The dictionary read without decoding keeps what decoding needs: decoded
// afterwards, every texture is what the decoding reader gives.
TEST(DecodedTextures, StoredTexturesDecodeAsTheDictionaryReaderDecodesThem) {
    test::TxdLayout layout;
    const Image image = test::makeImage(4, 4, std::vector<test::Rgba>(16, {200, 100, 50, 128}), true);
    const std::pair<const char*, test::TxdPixelFormat> formats[] = {{"dxt5", test::TxdPixelFormat::Dxt5},
                                                                    {"pal8", test::TxdPixelFormat::Pal8},
                                                                    {"pal4", test::TxdPixelFormat::Pal4Packed},
                                                                    {"4444", test::TxdPixelFormat::Argb4444}};
    for (const auto& [name, format] : formats) {
        layout.textures.push_back(test::d3d9Texture(name, image, format));
    }
    const Bytes file = test::buildTxd(layout);
    const TextureDictionary dictionary = readTextureDictionary(file, nullptr);
    const StoredTextureDictionary stored = readStoredTextureDictionary(file, nullptr);
    ASSERT_EQ(stored.textures.size(), dictionary.textures.size());
    for (std::size_t i = 0; i < stored.textures.size(); ++i) {
        SCOPED_TRACE(stored.textures[i].name);
        const Texture texture = decodeTexture(stored.textures[i]);
        EXPECT_EQ(texture.name, dictionary.textures[i].name);
        EXPECT_EQ(texture.image.width, 4u);
        EXPECT_EQ(texture.image.hasAlpha, dictionary.textures[i].image.hasAlpha);
        EXPECT_EQ(texture.image.rgba, dictionary.textures[i].image.rgba);
    }
}

}  // namespace
}  // namespace zorvek

// The sections before the bones, decoded field by field.
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

using test::convert;
using test::makeWriterModel;

TEST(PmxHeader, FixedSettingsAndOneByteBoneIndices) {
    test::PreparedModel model = makeWriterModel();
    const ByteBlock bytes =
        buildPmx(model, model.skeleton, ConversionMode::None, {}, {}, test::makeTexts(), [](const std::string&) {});
    const Bytes expected{0x50, 0x4D, 0x58, 0x20, 0x00, 0x00, 0x00, 0x40, 8, 0, 0, 4, 4, 4, 1, 4, 4};
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 17), expected);
}

TEST(PmxModelInformation, NameTwiceAndTheFixedComments) {
    const test::DecodedPmx pmx =
        convert(makeWriterModel(), ConversionMode::None, {}, {}, {u"h\u00E9ro.dff", u"", {}}).pmx;
    EXPECT_EQ(pmx.modelName, u"h\u00E9ro.dff");
    EXPECT_EQ(pmx.englishModelName, u"h\u00E9ro.dff");
    EXPECT_EQ(pmx.comment, u"このファイルはBRASKEでコンバートされました");
    EXPECT_EQ(pmx.englishComment, u"This file has been converted by BRASKE");
}

TEST(PmxVertices, ReposedThroughTheWeightedSkinMatricesTimesTen) {
    const test::DecodedPmx pmx = convert(makeWriterModel(), ConversionMode::None).pmx;
    ASSERT_EQ(pmx.vertices.size(), 3u);
    // Bone 1 moves by (1, 0, 0).
    EXPECT_EQ(pmx.vertices[0].position, (Vec3{20, 20, 30}));
    EXPECT_EQ(pmx.vertices[0].normal, (Vec3{0, 1, 0}));
    // Half bone 1, half bone 2 (X to Y, then up by 1 in Z).
    EXPECT_EQ(pmx.vertices[1].position, (Vec3{0, 15, 35}));
    EXPECT_EQ(pmx.vertices[1].normal, (Vec3{0.5f, 0.5f, 0}));
    // All weights 0.
    EXPECT_EQ(pmx.vertices[2].position, (Vec3{0, 0, 0}));
    EXPECT_EQ(pmx.vertices[2].normal, (Vec3{0, 0, 0}));
    const test::DecodedVertex& v = pmx.vertices[1];
    EXPECT_EQ(v.uv, (Vec2{0.75f, 1}));
    EXPECT_FALSE(v.additionalUv);
    EXPECT_EQ(v.deformType, 2);
    EXPECT_EQ(v.bones, (std::array<std::int32_t, 4>{1, 2, 0, 0}));
    EXPECT_EQ(v.weights, (Vec4{0.5f, 0.5f, 0, 0}));
    EXPECT_EQ(v.edgeScale, 1.0f);
}

TEST(PmxVertices, WithoutNormalsEveryNormalIsZero) {
    test::PreparedModel model = makeWriterModel();
    model.normals.clear();
    for (const test::DecodedVertex& vertex : convert(model, ConversionMode::None).pmx.vertices) {
        EXPECT_EQ(vertex.normal, (Vec3{0, 0, 0}));
    }
}

struct UvCase {
    const char* name;
    int sets;
    std::uint8_t headerCount;
    Vec2 uv;
    std::optional<Vec4> additional;
};

class PmxUvSets : public testing::TestWithParam<UvCase> {};

TEST_P(PmxUvSets, OnlyExactlyTwoSetsAddAnAdditionalUv) {
    test::PreparedModel model = makeWriterModel();
    model.uvSets.clear();
    for (int set = 0; set < GetParam().sets; ++set) {
        const float base = static_cast<float>(set);
        model.uvSets.push_back({{base, 0.5f}, {base, 0.25f}, {base, 0.125f}});
    }
    const test::DecodedPmx pmx = convert(model, ConversionMode::None).pmx;
    EXPECT_EQ(pmx.settings[1], GetParam().headerCount);
    EXPECT_EQ(pmx.vertices[1].uv, GetParam().uv);
    EXPECT_EQ(pmx.vertices[1].additionalUv, GetParam().additional);
}

INSTANTIATE_TEST_SUITE_P(Cases, PmxUvSets,
                         testing::Values(UvCase{"None", 0, 0, {0, 0}, std::nullopt},
                                         UvCase{"One", 1, 0, {0, 0.25f}, std::nullopt},
                                         UvCase{"Two", 2, 1, {0, 0.25f}, Vec4{1, 0.25f, 0, 0}},
                                         UvCase{"Three", 3, 0, {0, 0.25f}, std::nullopt}),
                         [](const testing::TestParamInfo<UvCase>& info) { return info.param.name; });

TEST(PmxUvSets, AnEmptySecondSetStillFillsTheAnnouncedSlot) {
    test::PreparedModel model = makeWriterModel();
    model.uvSets.push_back({});
    const test::DecodedPmx pmx = convert(model, ConversionMode::None).pmx;
    EXPECT_EQ(pmx.settings[1], 1);
    EXPECT_EQ(pmx.vertices[2].uv, (Vec2{0, 0.125f}));
    EXPECT_EQ(pmx.vertices[2].additionalUv, (Vec4{0, 0, 0, 0}));
}

struct FaceCase {
    const char* name;
    std::uint32_t isTriStrip;
    std::vector<MeshSplit> splits;
    std::vector<std::uint32_t> faces;
    std::vector<std::int32_t> materialCounts;
};

class PmxFaces : public testing::TestWithParam<FaceCase> {};

TEST_P(PmxFaces, WrittenWithTheWindingTurnedAndCountedPerMaterial) {
    test::PreparedModel model = makeWriterModel();
    model.positions.resize(6, Vec3{});
    model.boneIndices.resize(6, {0, 0, 0, 0});
    model.boneWeights.resize(6, Vec4{});
    model.normals.clear();
    model.uvSets.clear();
    model.isTriStrip = GetParam().isTriStrip;
    model.meshSplits = GetParam().splits;
    const test::DecodedPmx pmx = convert(model, ConversionMode::None).pmx;
    EXPECT_EQ(pmx.faces, GetParam().faces);
    std::vector<std::int32_t> counts;
    for (const test::DecodedMaterial& material : pmx.materials) {
        counts.push_back(material.faceIndexCount);
    }
    EXPECT_EQ(counts, GetParam().materialCounts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmxFaces,
    testing::Values(FaceCase{"List", 0, {{0, {0, 1, 2, 3, 4, 5}}}, {0, 2, 1, 3, 5, 4}, {6}},
                    FaceCase{"TwoListSplits", 0, {{1, {5, 4, 3}}, {0, {0, 1, 2}}}, {5, 3, 4, 0, 2, 1}, {3, 3}},
                    // Every strip triangle keeps the same order, no alternation.
                    FaceCase{"Strip", 1, {{0, {0, 1, 2, 3, 4}}}, {0, 2, 1, 1, 3, 2, 2, 4, 3}, {9}},
                    FaceCase{"StripOfTwo", 2, {{0, {0, 1}}, {1, {3, 3, 4}}}, {3, 4, 3}, {0, 3}}),
    [](const testing::TestParamInfo<FaceCase>& info) { return info.param.name; });

TEST(PmxTextures, NameOrderWithTheExtensionAsTyped) {
    test::PreparedModel model = makeWriterModel();
    model.textureIndices = {{"Z", 0}, {"a", 1}, {"b\xE9", 2}};
    model.materialTextureNames = {"b\xE9", "", "Z"};
    model.meshSplits = {{0, {0, 1, 2}}, {1, {}}, {2, {}}};
    for (const auto& [extension, paths] :
         {std::pair<std::u16string, std::vector<std::u16string>>{u".png", {u"Z.png", u"a.png", u"b\u00E9.png"}},
          {u"bmp", {u"Zbmp", u"abmp", u"b\u00E9bmp"}}}) {
        const test::DecodedPmx pmx = convert(model, ConversionMode::None, {}, {}, {u"m", extension, {}}).pmx;
        EXPECT_EQ(pmx.textures, paths);
        ASSERT_EQ(pmx.materials.size(), 3u);
        EXPECT_EQ(pmx.materials[0].texture, 2);
        EXPECT_EQ(pmx.materials[1].texture, -1);  // no texture
        EXPECT_EQ(pmx.materials[2].texture, 0);
        EXPECT_EQ(pmx.materials[0].name, u"b\u00E9");
        EXPECT_EQ(pmx.materials[0].englishName, u"b\u00E9");
        EXPECT_EQ(pmx.materials[1].name, u"");
    }
}

// A texture written under another name (a batch met other pixels of the same
// name) keeps its place in the section; only its entry reads differently.
TEST(PmxTextures, ARenamedTextureKeepsItsPlaceAndIndex) {
    test::PreparedModel model = makeWriterModel();
    model.textureIndices = {{"Z", 0}, {"a", 1}};
    model.materialTextureNames = {"a", "Z"};
    model.meshSplits = {{0, {0, 1, 2}}, {1, {}}};
    const test::DecodedPmx pmx = convert(model, ConversionMode::None, {}, {}, {u"m", u".png", {{"a", u"hero_a"}}}).pmx;
    EXPECT_EQ(pmx.textures, (std::vector<std::u16string>{u"Z.png", u"hero_a.png"}));
    EXPECT_EQ(pmx.materials[0].texture, 1);
    EXPECT_EQ(pmx.materials[0].name, u"a") << "materials keep the model's names";
}

TEST(PmxTextures, MaterialsNameTheTexturesByTheirPlaceInTheSection) {
    test::PreparedModel model = makeWriterModel();
    model.textureIndices = {{"b", -1}, {"a", -1}};  // not yet numbered
    model.materialTextureNames = {"b", "a"};
    model.meshSplits = {{0, {0, 1, 2}}, {1, {}}};
    const test::DecodedPmx pmx = convert(model, ConversionMode::None).pmx;
    EXPECT_EQ(pmx.textures, (std::vector<std::u16string>{u"a.png", u"b.png"}));
    EXPECT_EQ(pmx.materials[0].texture, 1);
    EXPECT_EQ(pmx.materials[1].texture, 0);
}

TEST(PmxMaterials, SameFixedLookForEverySplit) {
    const test::DecodedMaterial m = convert(makeWriterModel(), ConversionMode::None).pmx.materials.at(0);
    EXPECT_EQ(m.diffuse, (Vec4{1, 1, 1, 1}));
    EXPECT_EQ(m.specular, (Vec3{0.25f, 0.25f, 0.25f}));
    EXPECT_EQ(m.specularStrength, 5.0f);
    EXPECT_EQ(m.ambient, (Vec3{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(m.drawFlags, 0x0E);
    EXPECT_EQ(m.edgeColour, (Vec4{0, 0, 0, 0}));
    EXPECT_EQ(m.edgeSize, 0.0f);
    EXPECT_EQ(m.texture, 0);
    EXPECT_EQ(m.sphereTexture, -1);
    EXPECT_EQ(m.sphereMode, 0);
    EXPECT_EQ(m.sharedToon, 1);
    EXPECT_EQ(m.toon, 0);
    EXPECT_EQ(m.memo, u"");
    EXPECT_EQ(m.faceIndexCount, 3);
}

}  // namespace
}  // namespace zorvek

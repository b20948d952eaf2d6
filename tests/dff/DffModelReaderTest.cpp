#include "ReaderTestSupport.h"
#include "support/PlainArrays.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

TEST(DffModelReader, ReadsTheSampleModel) {
    const SkinnedModel sample = sampleSkinnedModel();
    const ReadResult result = readModel(sample);
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(result.warnings.empty());
    const DffModel& model = result.model;

    struct FrameExpectation {
        Vec3 translation;
        std::int32_t parentIndex, boneId, boneNumber;
        std::string name;
    };
    const std::vector<FrameExpectation> frames = {
        {{0, 0, 0}, -1, -1, -1, ""},
        {{0, 0, 1}, 0, 0, 0, "Root"},
        {{0, 0.125f, 0.25f}, 1, 2, 1, "Pelvis"},
        {{0, 0, 0.5f}, 2, 1, 2, "Spine"},
    };
    ASSERT_EQ(model.frames.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(model.frames[i].translation, frames[i].translation);
        EXPECT_EQ(model.frames[i].parentIndex, frames[i].parentIndex);
        EXPECT_EQ(model.frames[i].boneId, frames[i].boneId);
        EXPECT_EQ(model.frames[i].boneNumber, frames[i].boneNumber);
        EXPECT_EQ(model.frames[i].frameName, frames[i].name);
    }

    const GeometrySpec& geometry = sample.geometries[0];
    EXPECT_EQ(plain(model.uvSets), geometry.uvSets);
    EXPECT_EQ(plain(model.positions), geometry.positions);
    EXPECT_EQ(plain(model.normals), geometry.normals);
    EXPECT_EQ(plain(model.boneIndices), geometry.skin.boneIndices);
    EXPECT_EQ(plain(model.boneWeights), geometry.skin.weights);
    EXPECT_EQ(model.inverseBindMatrices, geometry.skin.inverseMatrices);
    EXPECT_EQ(model.textureIndices, (std::map<std::string, std::int32_t>{{"body", -1}}));
    EXPECT_EQ(model.materialTextureNames, (std::vector<std::string>{"body", ""}));
    EXPECT_EQ(model.isTriStrip, 0u);
    ASSERT_EQ(model.meshSplits.size(), 2u);
    EXPECT_EQ(model.meshSplits[0].materialIndex, 0u);
    EXPECT_EQ(plain(model.meshSplits[0].indices), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(model.meshSplits[1].materialIndex, 1u);
    EXPECT_EQ(plain(model.meshSplits[1].indices), (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(DffModelReader, ReportsWhereTheScaledValuesLie) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.geometries[0].flags |= geometryPrelit;
    sample.geometries[0].prelit.assign(4, {1, 2, 3, 4});
    const Bytes file = buildDff(sample);
    const ReadResult result = readModel(file);
    ASSERT_EQ(result.error, "");
    const DffScaledValueOffsets& offsets = result.offsets;

    // Clump header, its Struct (12 + 12), the FrameList and Struct headers, numFrames.
    EXPECT_EQ(offsets.frameEntries, 12u + 24 + 12 + 12 + 4);
    EXPECT_EQ(offsets.numFrames, 4u);
    for (std::size_t i = 0; i < sample.frames.size(); ++i) {
        const std::size_t at = offsets.frameEntries + 56 * i + 36;
        EXPECT_EQ((Vec3{getF32(file, at), getF32(file, at + 4), getF32(file, at + 8)}), sample.frames[i].translation);
    }
    EXPECT_EQ(offsets.numVertices, 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = offsets.vertices + 12 * i;
        EXPECT_EQ((Vec3{getF32(file, at), getF32(file, at + 4), getF32(file, at + 8)}),
                  sample.geometries[0].positions[i]);
    }
    // The bounding sphere's radius and the two flags stand just before the first vertex.
    EXPECT_EQ(getF32(file, offsets.vertices - 12), 1.0f);
    EXPECT_EQ(offsets.numBones, 3u);
    for (std::size_t bone = 0; bone < 3; ++bone) {
        for (std::size_t k = 0; k < 16; ++k) {
            EXPECT_EQ(getF32(file, offsets.boneMatrices + 64 * bone + 4 * k),
                      sample.geometries[0].skin.inverseMatrices[bone].m[k]);
        }
    }
    EXPECT_EQ(offsets.boneMatrices + 64 * 3, file.size() - payloadSize(toClump(sample).children.back()) - 12);
}

TEST(DffModelReader, NumbersTexturesInByteOrder) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.geometries[0].materials = {texturedMaterial({"b.png"}), texturedMaterial({"A"}), MaterialSpec(),
                                      texturedMaterial({"a"}),     texturedMaterial({"A"}), texturedMaterial({"\xE9"})};
    ReadResult result = readModel(sample);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.model.materialTextureNames, (std::vector<std::string>{"b.png", "A", "", "a", "A", "\xE9"}));
    EXPECT_EQ(result.model.textureIndices,
              (std::map<std::string, std::int32_t>{{"A", -1}, {"a", -1}, {"b.png", -1}, {"\xE9", -1}}));
    numberTextures(result.model);
    // Unsigned bytes: 0xE9 sorts after every ASCII name.
    EXPECT_EQ(result.model.textureIndices,
              (std::map<std::string, std::int32_t>{{"A", 0}, {"a", 1}, {"b.png", 2}, {"\xE9", 3}}));
}

TEST(DffModelReader, AMaterialWithTwoTexturesKeepsTheFirstAndWarnsOnce) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.geometries[0].materials = {texturedMaterial({"first", "second"}), texturedMaterial({"third"})};
    const ReadResult result = readModel(sample);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.model.materialTextureNames, (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(result.model.textureIndices.count("second"), 0u);
    EXPECT_EQ(result.warnings,
              (std::vector<std::string>{"複数のテクスチャが使われている材質がありますが無視されます"}));
}

struct GeometryCase {
    const char* label;
    std::uint32_t flags;
    std::optional<std::uint8_t> numTexSets;
    std::size_t uvSetsRead;
    bool normalsRead;
    std::vector<std::string> warnings;
};

TEST(DffModelReader, GeometryFlagsDecideWhatIsRead) {
    const std::string prelit = "頂点カラーが含まれていますが無視されます";
    const std::string noTexCoords = "テクスチャ座標が含まれていません";
    const std::string noNormals = "法線が含まれていません";
    const std::vector<GeometryCase> cases = {
        {"0x80 alone", geometryTextured2 | geometryNormals, 2, 2, true, {}},
        {"both texture flags", geometryTextured | geometryTextured2 | geometryNormals, 2, 2, true, {}},
        {"neither texture flag", geometryNormals, 2, 0, true, {noTexCoords}},
        {"texture flag without sets", geometryTextured | geometryNormals, 0, 0, true, {}},
        {"no normals", geometryTextured, std::nullopt, 2, false, {noNormals}},
        {"prelit", geometryPrelit | geometryTextured | geometryNormals, std::nullopt, 2, true, {prelit}},
        {"all three warnings in order",
         geometryPrelit | geometryPositions,
         2,
         0,
         false,
         {prelit, noTexCoords, noNormals}},
    };
    for (const GeometryCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        SkinnedModel sample = sampleSkinnedModel();
        GeometrySpec& geometry = sample.geometries[0];
        geometry.flags = testCase.flags;
        geometry.numTexSets = testCase.numTexSets;
        geometry.uvSets = {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}, {{0.5f, 0}, {1, 0.5f}, {0, 0.25f}, {2, 2}}};
        geometry.prelit.assign(4, {255, 128, 0, 255});
        const ReadResult result = readModel(sample);
        ASSERT_EQ(result.error, "");
        EXPECT_EQ(result.warnings, testCase.warnings);
        const std::vector<std::vector<Vec2>> sets(geometry.uvSets.begin(),
                                                  geometry.uvSets.begin() + static_cast<long>(testCase.uvSetsRead));
        EXPECT_EQ(plain(result.model.uvSets), sets);
        EXPECT_EQ(plain(result.model.positions), geometry.positions);
        EXPECT_EQ(plain(result.model.normals), testCase.normalsRead ? geometry.normals : std::vector<Vec3>{});
    }
}

TEST(DffModelReader, OnlyTheFirstMorphTargetAndTheFirstGeometryAreRead) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.geometries[0].extraMorphTargets = {{{9, 9, 9}, {9, 9, 9}, {9, 9, 9}, {9, 9, 9}}};
    GeometrySpec broken = sample.geometries[0];
    broken.positions.clear();
    broken.writeSkin = false;
    sample.geometries.push_back(broken);
    sample.numAtomics = 2;
    Chunk clump = toClump(sample);
    // Whatever the second geometry holds, it is never looked at.
    clump.child(SectionType::GeometryList).child(SectionType::Geometry, 1).child(SectionType::Struct).size = 0xFFFFFFF0;
    const ReadResult result = readModel(serialize(clump));
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(plain(result.model.positions), sample.geometries[0].positions);
    const std::string several = "ファイルに複数のモデルが含まれていますが無視されます";
    EXPECT_EQ(result.warnings, (std::vector<std::string>{several, several}));
}

TEST(DffModelReader, ALaterHierarchyReplacesTheNodeTable) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.frames = {boneFrame("Root", {}, -1, 0, {{0, 0, 0}, {5, 1, 0}}), boneFrame("A", {}, 0, 5),
                     boneFrame("B", {}, 1, 7, {{7, 3, 0}, {0, 4, 0}}), boneFrame("C", {}, 2, 0)};
    const ReadResult replaced = readModel(sample);
    ASSERT_EQ(replaced.error, "");
    std::vector<std::int32_t> numbers;
    for (const DffFrame& frame : replaced.model.frames) {
        numbers.push_back(frame.boneNumber);
    }
    EXPECT_EQ(numbers, (std::vector<std::int32_t>{0, 1, 3, 4}));

    sample.frames.push_back(boneFrame("D", {}, 3, 5));
    EXPECT_EQ(readModel(sample).error, "不明なBone IDがあります");
}

TEST(DffModelReader, KeepsStripFlagsAndEveryNameByte) {
    SkinnedModel sample = sampleSkinnedModel();
    sample.geometries[0].binMeshFlags = 1;
    sample.frames[2].name = std::string("Pel\0vis", 7);
    const ReadResult result = readModel(sample);
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.model.isTriStrip, 1u);
    EXPECT_EQ(result.model.frames[2].frameName, std::string("Pel\0vis", 7));
}

}  // namespace
}  // namespace zorvek::test

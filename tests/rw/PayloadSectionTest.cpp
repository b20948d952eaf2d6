#include "RwTestSupport.h"
#include "rw/BinMeshSection.h"
#include "rw/HAnimSection.h"
#include "rw/SkinSection.h"
#include "rw/TextSections.h"
#include "support/PlainArrays.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

struct TextCase {
    const char* label;
    SectionType type;
    std::string payload;
    std::string text;
};

std::string openText(SectionInput& input, SectionType type) {
    if (type == SectionType::String) {
        return Section<SectionType::String>(input).text();
    }
    return Section<SectionType::Frame>(input).text();
}

TEST(TextSections, StringsStopAtTheFirstZeroAndFrameNamesKeepEveryByte) {
    using namespace std::string_literals;
    const std::vector<TextCase> cases = {
        {"string with a zero", SectionType::String, "abc\0"s, "abc"},
        {"string without a zero", SectionType::String, "abc", "abc"},
        {"string cut at the first of two zeros", SectionType::String, "a\0b\0"s, "a"},
        {"string starting with a zero", SectionType::String, "\0xyz"s, ""},
        {"frame name with a zero", SectionType::Frame, "abc\0"s, "abc\0"s},
        {"frame name with inner zero", SectionType::Frame, "a\0b"s, "a\0b"s},
        {"frame name of high bytes", SectionType::Frame, "\x83\x7B\x81\x5B\x83\x93", "\x83\x7B\x81\x5B\x83\x93"},
    };
    for (const TextCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        const Bytes file = serialize({leafChunk(testCase.type, bytesOf(testCase.payload)), structChunk({})});
        SectionInput input(file);
        EXPECT_EQ(openText(input, testCase.type), testCase.text);
        EXPECT_EQ(input.tell(), 12 + testCase.payload.size());
    }
}

TEST(TextSections, AnEmptyOrCutOffNameIsABrokenFile) {
    struct Case {
        const char* label;
        SectionType type;
        Bytes file;
        std::string message;
    };
    Chunk tooLong = leafChunk(SectionType::String, bytesOf("abcd"));
    tooLong.size = 40;
    const std::vector<Case> cases = {
        {"empty string", SectionType::String, serialize(leafChunk(SectionType::String, {})),
         "ファイルが壊れています (String)"},
        {"empty frame name", SectionType::Frame,
         serialize(containerChunk(SectionType::Clump, {leafChunk(SectionType::Frame, {})})),
         "ファイルが壊れています (Clump\\Frame)"},
        {"string past the end of the file", SectionType::String, serialize(tooLong), "ファイルが壊れています (String)"},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        SectionInput input(testCase.file);
        if (testCase.type == SectionType::Frame) {
            const Section<SectionType::Clump> clump(input);
            EXPECT_EQ(userErrorOf([&] { openText(input, testCase.type); }), testCase.message);
            EXPECT_EQ(input.innermostSection(), &clump);
        } else {
            EXPECT_EQ(userErrorOf([&] { openText(input, testCase.type); }), testCase.message);
            EXPECT_EQ(input.innermostSection(), nullptr);
        }
    }
}

TEST(HAnimSection, WithoutNodesOnlyTwelveBytesAreRead) {
    ByteWriter payload;
    payload.i32(0x100).i32(31).i32(0).i32(7).i32(36).i32(99).i32(99).i32(99);
    const Bytes file = serialize(leafChunk(SectionType::HAnimPLG, payload.take()));
    SectionInput input(file);
    const Section<SectionType::HAnimPLG> hanim(input);
    EXPECT_EQ(hanim.payload().hanimVersion, 0x100);
    EXPECT_EQ(hanim.payload().nodeId, 31);
    EXPECT_EQ(hanim.payload().numNodes, 0);
    EXPECT_EQ(hanim.payload().hierarchyFlags, 0);
    EXPECT_EQ(hanim.payload().keyFrameSize, 0);
    EXPECT_TRUE(hanim.payload().nodes.empty());
    EXPECT_EQ(input.tell(), 12u + 12u);
}

TEST(HAnimSection, ReadsTheHierarchy) {
    const Bytes file = serialize(hanimChunk(5, {{5, 0, 3}, {-2, 1, 0}}));
    SectionInput input(file);
    const Section<SectionType::HAnimPLG> hanim(input);
    const HAnimPayload& payload = hanim.payload();
    EXPECT_EQ(payload.nodeId, 5);
    EXPECT_EQ(payload.numNodes, 2);
    EXPECT_EQ(payload.keyFrameSize, 36);
    ASSERT_EQ(payload.nodes.size(), 2u);
    EXPECT_EQ(payload.nodes[0].nodeId, 5);
    EXPECT_EQ(payload.nodes[0].nodeFlags, 3);
    EXPECT_EQ(payload.nodes[1].nodeId, -2);
    EXPECT_EQ(payload.nodes[1].nodeIndex, 1);
    EXPECT_EQ(input.tell(), file.size());
}

TEST(BinMeshSection, ReadsEveryMeshInOrder) {
    Chunk chunk = binMeshChunk(1, {{3, {0, 1, 2, 3}}, {0, {}}, {7, {9}}});
    putU32(chunk.payload, 8, 12345);  // the total is not checked
    const Bytes file = serialize(chunk);
    SectionInput input(file);
    const Section<SectionType::BinMeshPLG> binMesh(input);
    const BinMeshPayload& payload = binMesh.payload();
    EXPECT_EQ(payload.meshFlags, 1u);
    EXPECT_EQ(payload.numMeshes, 3u);
    EXPECT_EQ(payload.totalIndices, 12345u);
    ASSERT_EQ(payload.meshes.size(), 3u);
    EXPECT_EQ(payload.meshes[0].materialIndex, 3u);
    EXPECT_EQ(plain(payload.meshes[0].indices), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_TRUE(payload.meshes[1].indices.empty());
    EXPECT_EQ(payload.meshes[2].numIndices, 1u);
    EXPECT_EQ(plain(payload.meshes[2].indices), (std::vector<std::uint32_t>{9}));
}

SkinSpec twoBoneSkin() {
    SkinSpec skin;
    skin.usedBones = {0, 1};
    skin.maxWeightsPerVertex = 2;
    skin.boneIndices = {{0, 1, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}};
    skin.weights = {{0.5f, 0.5f, 0, 0}, {1, 0, 0, 0}, {0.25f, 0.75f, 0, 0}};
    skin.inverseMatrices = {translationMatrix({1, 2, 3}), translationMatrix({-1, -2, -3})};
    return skin;
}

TEST(SkinSection, TheVertexCountFollowsFromTheSizeAndSpareBytesAreNotRead) {
    SkinSpec skin = twoBoneSkin();
    skin.spareBytes = Bytes(12, 0xEE);
    const Bytes file = serialize(skinChunk(skin));
    SectionInput input(file);
    const Section<SectionType::SkinPLG> opened(input);
    EXPECT_EQ(opened.size(), 206u);
    const SkinPayload& payload = opened.payload();
    EXPECT_EQ(payload.numBones, 2);
    EXPECT_EQ(payload.numUsedBones, 2);
    EXPECT_EQ(payload.maxWeightsPerVertex, 2);
    EXPECT_EQ(payload.usedBones, (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(plain(payload.vertexBoneIndices), skin.boneIndices);
    EXPECT_EQ(plain(payload.vertexWeights), skin.weights);
    EXPECT_EQ(payload.inverseBoneMatrices, skin.inverseMatrices);
    EXPECT_EQ(payload.inverseBoneMatricesOffset, 12u + 4 + 2 + 60);
    EXPECT_EQ(input.tell(), 12u + 4 + 2 + 60 + 128);
}

TEST(SkinSection, VertexCountTruncatesTowardZero) {
    struct Case {
        std::uint32_t size;
        std::uint8_t numUsedBones, numBones;
        std::int64_t vertices;
    };
    const std::vector<Case> cases = {
        {206, 2, 2, 3},  {194, 2, 2, 3}, {193, 2, 2, 2},
        {134, 2, 2, 0},  {120, 0, 2, 0},  // -12 / 20: zero, not -1
        {100, 2, 2, -1}, {0, 0, 0, 0},   {0xFFFFFFFF, 255, 255, 214747535},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(skinVertexCount(testCase.size, testCase.numUsedBones, testCase.numBones), testCase.vertices)
            << testCase.size;
    }
}

TEST(SkinSection, CountsThePayloadCannotHoldAreABrokenFile) {
    struct Case {
        const char* label;
        Chunk chunk;
    };
    SkinSpec noMatrices = twoBoneSkin();
    noMatrices.boneIndices.clear();
    noMatrices.weights.clear();
    noMatrices.inverseMatrices.resize(1);
    noMatrices.numBones = 2;  // claims two matrices, holds one: V = -64 / 20
    SkinSpec shortOfOneMatrix = noMatrices;
    shortOfOneMatrix.spareBytes = Bytes(60, 0);  // V = -4 / 20 = 0, the matrices still do not fit
    SkinSpec usedBonesMissing;
    usedBonesMissing.usedBones = {};
    Chunk usedBonesChunk = skinChunk(usedBonesMissing);
    usedBonesChunk.payload[1] = 200;
    const std::vector<Case> cases = {
        {"negative vertex count", skinChunk(noMatrices)},
        {"matrices past the end", skinChunk(shortOfOneMatrix)},
        {"used bones past the end", usedBonesChunk},
        {"head past the end", leafChunk(SectionType::SkinPLG, {2, 2})},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        const Bytes file = serialize(containerChunk(SectionType::Extension, {testCase.chunk}));
        SectionInput input(file);
        const Section<SectionType::Extension> extension(input);
        EXPECT_EQ(userErrorOf([&] { Section<SectionType::SkinPLG> skin(input); }),
                  "ファイルが壊れています (Extension\\SkinPLG)");
        EXPECT_EQ(input.innermostSection(), &extension);
    }
}

TEST(PayloadSections, CountsThePayloadCannotHoldAreABrokenFile) {
    struct Case {
        const char* label;
        Chunk chunk;
        std::string message;
    };
    Chunk negativeNodes = hanimChunk(1, {{1, 0, 0}});
    putI32(negativeNodes.payload, 8, -1);
    Chunk hugeNodes = hanimChunk(1, {{1, 0, 0}});
    putI32(hugeNodes.payload, 8, 0x7FFFFFFF);
    Chunk oneNodeShort = hanimChunk(1, {{1, 0, 0}, {2, 1, 0}});
    oneNodeShort.payload.resize(oneNodeShort.payload.size() - 1);
    Chunk hugeMeshes = binMeshChunk(0, {{0, {1, 2, 3}}});
    putU32(hugeMeshes.payload, 4, 0xFFFFFFFF);
    Chunk hugeIndices = binMeshChunk(0, {{0, {1, 2, 3}}});
    putU32(hugeIndices.payload, 12, 0x40000000);
    Chunk oneIndexShort = binMeshChunk(0, {{0, {1, 2, 3}}});
    oneIndexShort.payload.resize(oneIndexShort.payload.size() - 4);
    const std::vector<Case> cases = {
        {"negative node count", negativeNodes, "ファイルが壊れています (HAnimPLG)"},
        {"huge node count", hugeNodes, "ファイルが壊れています (HAnimPLG)"},
        {"nodes cut short", oneNodeShort, "ファイルが壊れています (HAnimPLG)"},
        {"hanim head cut short", leafChunk(SectionType::HAnimPLG, Bytes(8, 0)), "ファイルが壊れています (HAnimPLG)"},
        {"huge mesh count", hugeMeshes, "ファイルが壊れています (BinMeshPLG)"},
        {"huge index count", hugeIndices, "ファイルが壊れています (BinMeshPLG)"},
        {"indices cut short", oneIndexShort, "ファイルが壊れています (BinMeshPLG)"},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        // Bytes after the chunk must not be taken for its payload.
        const Bytes file = serialize({testCase.chunk, leafChunk(0x253F2F3, Bytes(64, 0))});
        SectionInput input(file);
        EXPECT_EQ(userErrorOf([&] {
                      if (testCase.chunk.type == typeId(SectionType::HAnimPLG)) {
                          Section<SectionType::HAnimPLG> hanim(input);
                      } else {
                          Section<SectionType::BinMeshPLG> binMesh(input);
                      }
                  }),
                  testCase.message);
        EXPECT_EQ(input.innermostSection(), nullptr);
        EXPECT_EQ(input.tell(), 12 + payloadSize(testCase.chunk));
    }
}

}  // namespace
}  // namespace zorvek::test

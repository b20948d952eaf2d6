// PMD files cut short, with counts larger than their bytes, values the
// format does not have and indices past their sections.
#include "support/mmd/MmdBuilder.h"

#include "pmx/MmdModelReader.h"
#include "pmx/PmdReader.h"
#include "support/AllocationWatch.h"
#include "support/ExpectError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace zorvek::test {
namespace {

const std::string notPmd = "PMDファイルではありません";
std::string broken(const std::string& path) {
    return "ファイルが壊れています (PMD\\" + path + ")";
}

std::string readError(const Bytes& bytes) {
    return userErrorOf([&] { readPmd(bytes); });
}

// Every cut is refused, except where a file may end: after the display
// frames and after each extension.
TEST(MalformedPmd, EveryCutOfAValidFileIsRefusedOrEndsBeforeAnExtension) {
    std::vector<std::size_t> validEnds;
    const Bytes file = buildPmd(everySectionPmd(), &validEnds);
    ASSERT_EQ(validEnds.size(), 5u);
    ASSERT_EQ(validEnds.back(), file.size());
    ASSERT_EQ(readError(file), noUserError);
    for (std::size_t length = 0; length < file.size(); ++length) {
        const Bytes part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        const std::string error = readError(part);
        if (length < 3) {
            ASSERT_EQ(error, notPmd) << length;
        } else if (std::find(validEnds.begin(), validEnds.end(), length) != validEnds.end()) {
            ASSERT_EQ(error, noUserError) << length;
        } else {
            ASSERT_EQ(error.rfind("ファイルが壊れています (PMD\\", 0), 0u) << "cut at " << length << ": " << error;
        }
    }
}

// Offsets in everySectionPmd's file.
constexpr std::size_t vertexCountAt = 3 + 4 + 20 + 256;
constexpr std::size_t faceCountAt = vertexCountAt + 4 + 3 * 38;
constexpr std::size_t materialCountAt = faceCountAt + 4 + 6 * 2;
constexpr std::size_t boneCountAt = materialCountAt + 4 + 3 * 70;
constexpr std::size_t ikCountAt = boneCountAt + 2 + 8 * 39;
constexpr std::size_t morphCountAt = ikCountAt + 2 + 11 + 2 * 2;
constexpr std::size_t baseVertexCountAt = morphCountAt + 2 + 20;

TEST(MalformedPmd, ACutNamesTheSectionItFallsIn) {
    std::vector<std::size_t> validEnds;
    const Bytes file = buildPmd(everySectionPmd(), &validEnds);
    const auto cutAt = [&](std::size_t length) {
        return readError(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    };
    EXPECT_EQ(cutAt(5), broken("ヘッダ\\バージョン"));
    EXPECT_EQ(cutAt(7 + 19), broken("ヘッダ\\モデル名"));
    EXPECT_EQ(cutAt(283 + 3), broken("頂点\\個数"));
    // Records of a fixed size: a cut among them leaves too few bytes for their count.
    EXPECT_EQ(cutAt(283 + 4 + 38 + 36), broken("頂点\\個数"));
    EXPECT_EQ(cutAt(validEnds[0] - 1), broken("表示枠\\ボーン"));
    EXPECT_EQ(cutAt(validEnds[0] + 1), broken("英語名\\モデル名"));
    EXPECT_EQ(cutAt(validEnds[1] + 1), broken("トゥーンテクスチャ\\ファイル名"));
    EXPECT_EQ(cutAt(validEnds[2] + 5), broken("剛体\\個数"));
    // Records of a variable size: the cut is found in the field it falls in.
    EXPECT_EQ(cutAt(ikCountAt + 2 + 11 + 1), broken("IK\\リンク"));
    // Inside the last morph's second vertex: after the base (25 + 2 * 16 bytes), あ (25 + 16) and its own head.
    EXPECT_EQ(cutAt(morphCountAt + 2 + 57 + 41 + 25 + 16 + 3), broken("モーフ\\頂点数"));
    EXPECT_EQ(cutAt(validEnds[3] + 2), broken("ジョイント\\個数"));
}

struct EditCase {
    std::string label;
    std::function<void(PmdFile&)> edit;
    std::string expected;
};

class MalformedPmdFile : public testing::TestWithParam<EditCase> {};

TEST_P(MalformedPmdFile, IsRefusedNamingTheField) {
    PmdFile file = everySectionPmd();
    GetParam().edit(file);
    EXPECT_EQ(readError(buildPmd(file)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedPmdFile,
    testing::Values(
        EditCase{"Version2", [](PmdFile& f) { f.version = 2; }, "対応していないPMDのバージョンです (2)"},
        EditCase{"WeightOver100", [](PmdFile& f) { f.vertices[1].weight = 101; }, broken("頂点\\ウェイト")},
        EditCase{"VertexBonePastTheBones", [](PmdFile& f) { f.vertices[2].bones[1] = 8; }, broken("頂点\\ボーン")},
        EditCase{"FaceVertexPastTheVertices", [](PmdFile& f) { f.faces[4] = 3; }, broken("面\\頂点")},
        EditCase{"FaceCountNotAMultipleOfThree", [](PmdFile& f) { f.faces.push_back(0); }, broken("面\\個数")},
        EditCase{"MaterialFacesPastTheFaces", [](PmdFile& f) { f.materials[2].faceIndexCount = 3; },
                 broken("材質\\面数")},
        EditCase{"MaterialFacesNotTriangles", [](PmdFile& f) { f.materials[0].faceIndexCount = 2; },
                 broken("材質\\面数")},
        EditCase{"ToonTen", [](PmdFile& f) { f.materials[0].toon = 10; }, broken("材質\\トゥーン")},
        EditCase{"BoneParentPastTheBones", [](PmdFile& f) { f.bones[3].parent = 8; }, broken("ボーン\\親")},
        EditCase{"BoneTailPastTheBones", [](PmdFile& f) { f.bones[1].tail = 9; }, broken("ボーン\\接続先")},
        EditCase{"InfluencingBonePastTheBones", [](PmdFile& f) { f.bones[6].ikParent = 8; }, broken("ボーン\\IK")},
        EditCase{"IkBonePastTheBones", [](PmdFile& f) { f.iks[0].bone = 8; }, broken("IK\\ボーン")},
        EditCase{"IkTargetPastTheBones", [](PmdFile& f) { f.iks[0].target = 8; }, broken("IK\\ターゲット")},
        EditCase{"IkLinkPastTheBones", [](PmdFile& f) { f.iks[0].links[1] = 8; }, broken("IK\\リンク")},
        EditCase{"MorphTypeFive", [](PmdFile& f) { f.morphs[1].type = 5; }, broken("モーフ\\種類")},
        EditCase{"BaseVertexPastTheVertices", [](PmdFile& f) { f.morphs[0].vertices[1].index = 3; },
                 broken("モーフ\\頂点")},
        EditCase{"OffsetPastTheBase", [](PmdFile& f) { f.morphs[2].vertices[1].index = 2; }, broken("モーフ\\頂点")},
        EditCase{"TwoBases", [](PmdFile& f) { f.morphs[1].type = 0; }, broken("モーフ\\頂点")},
        EditCase{"OffsetsWithoutABase", [](PmdFile& f) { f.morphs[0].type = 4; }, broken("モーフ\\頂点")},
        EditCase{"DisplayedMorphPastTheMorphs", [](PmdFile& f) { f.morphDisplay[0] = 3; }, broken("表示枠\\表情")},
        EditCase{"DisplayedBonePastTheBones", [](PmdFile& f) { f.boneDisplay[1].bone = 8; }, broken("表示枠\\ボーン")},
        EditCase{"BoneInFrameZero", [](PmdFile& f) { f.boneDisplay[0].frame = 0; }, broken("表示枠\\ボーン")},
        EditCase{"BoneInFramePastTheFrames", [](PmdFile& f) { f.boneDisplay[2].frame = 3; }, broken("表示枠\\ボーン")},
        EditCase{"RigidBodyBonePastTheBones", [](PmdFile& f) { f.rigidBodies[0].bone = 8; }, broken("剛体\\ボーン")},
        EditCase{"JointBodyPastTheBodies", [](PmdFile& f) { f.joints[0].bodyB = 2; }, broken("ジョイント\\剛体")}),
    [](const testing::TestParamInfo<EditCase>& info) { return info.param.label; });

struct CountCase {
    std::string label;
    std::size_t offset;
    std::string expected;
};

TEST(MalformedPmd, HugeCountsAreRefusedBeforeAllocating) {
    std::vector<std::size_t> validEnds;
    const Bytes file = buildPmd(everySectionPmd(), &validEnds);
    const std::vector<CountCase> cases = {
        {"vertices", vertexCountAt, broken("頂点\\個数")},
        {"faces", faceCountAt, broken("面\\個数")},
        {"materials", materialCountAt, broken("材質\\個数")},
        {"base vertices", baseVertexCountAt, broken("モーフ\\頂点数")},
        {"rigid bodies", validEnds[2], broken("剛体\\個数")},
        {"joints", validEnds[3], broken("ジョイント\\個数")},
    };
    for (const std::uint32_t huge : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        for (const CountCase& c : cases) {
            SCOPED_TRACE(c.label + " " + std::to_string(huge));
            const Bytes bytes = patched32(file, c.offset, huge);
            resetLargestAllocation();
            const std::string error = readError(bytes);
            const std::size_t largest = largestAllocation();
            EXPECT_EQ(error, c.expected);
            EXPECT_LT(largest, std::size_t{64} * 1024);
        }
    }
    // Two-byte counts cannot be huge, only larger than what follows.
    for (const auto& [offset, expected] :
         {std::pair{boneCountAt, broken("ボーン\\個数")}, std::pair{ikCountAt, broken("IK\\個数")},
          std::pair{morphCountAt, broken("モーフ\\個数")}}) {
        Bytes bytes = file;
        bytes.at(offset) = 0xFF;
        bytes.at(offset + 1) = 0xFF;
        EXPECT_EQ(readError(bytes), expected) << offset;
    }
}

TEST(MalformedPmd, OtherMagicIsNotPmd) {
    for (const std::string text : {"", "Pm", "PMD", "pmd", "Pmx "}) {
        EXPECT_EQ(readError(Bytes(text.begin(), text.end())), notPmd) << text;
    }
    // "Pmd" picks the PMD reader even when nothing follows.
    EXPECT_EQ(userErrorOf([] { readMmdModel(Bytes{'P', 'm', 'd'}); }), broken("ヘッダ\\バージョン"));
}

}  // namespace
}  // namespace zorvek::test

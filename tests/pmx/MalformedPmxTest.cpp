// PMX files cut short, with counts larger than their bytes, settings the
// format does not have and indices past their sections: each is refused
// with the message that names where, and none allocates for its counts.
#include "support/mmd/MmdBuilder.h"

#include "pmx/MmdModelReader.h"
#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "support/AllocationWatch.h"
#include "support/ExpectError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>

namespace zorvek::test {
namespace {

const std::string notPmx = "PMXファイルではありません";
std::string broken(const std::string& path) {
    return "ファイルが壊れています (PMX\\" + path + ")";
}

constexpr std::size_t headerSize = 17;
const std::array<std::string, 9> sectionNames = {"頂点",   "面",     "テクスチャ", "材質",      "ボーン",
                                                 "モーフ", "表示枠", "剛体",       "ジョイント"};

std::string readError(const Bytes& bytes) {
    return userErrorOf([&] { readPmx(bytes); });
}

Bytes cut(const Bytes& file, std::size_t length) {
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
}

Bytes written(const PmxModel& model) {
    const ByteBlock block = writePmx(model);
    return Bytes(block.begin(), block.end());
}

PmxModel smallModel() {
    return everySectionModel(PmxTextEncoding::Utf16, 2, 1);
}

// The section a cut at `length` falls in, as the message names it.
std::string sectionOfCut(const std::vector<std::size_t>& starts, std::size_t length) {
    if (length < headerSize) {
        return "ヘッダ";
    }
    if (length < starts[0]) {
        return "モデル情報";
    }
    const auto after = std::upper_bound(starts.begin(), starts.end(), length);
    return sectionNames.at(static_cast<std::size_t>(after - starts.begin()) - 1);
}

TEST(MalformedPmx, EveryCutOfAValidFileIsRefusedNamingItsSection) {
    for (const PmxTextEncoding encoding : {PmxTextEncoding::Utf16, PmxTextEncoding::Utf8}) {
        for (const std::uint8_t width : {1, 4}) {
            const PmxModel model = everySectionModel(encoding, width, 2);
            const Bytes file = written(model);
            const std::vector<std::size_t> starts = pmxSectionStarts(model);
            ASSERT_EQ(starts.back(), file.size());
            ASSERT_EQ(readError(file), noUserError);
            for (std::size_t length = 0; length < file.size(); ++length) {
                const std::string error = readError(cut(file, length));
                if (length < 4) {
                    ASSERT_EQ(error, notPmx) << length;
                    continue;
                }
                const std::string prefix = "ファイルが壊れています (PMX\\" + sectionOfCut(starts, length) + "\\";
                ASSERT_EQ(error.substr(0, prefix.size()), prefix) << "cut at " << length << ": " << error;
                ASSERT_EQ(error.back(), ')') << error;
            }
        }
    }
}

// 2.1 files end with the soft bodies, whose count must be there.
TEST(MalformedPmx, EveryCutOfA21FileIsRefused) {
    const Bytes file = pmx21File();
    ASSERT_EQ(readError(file), noUserError);
    for (std::size_t length = 4; length < file.size(); ++length) {
        const std::string error = readError(cut(file, length));
        ASSERT_EQ(error.rfind("ファイルが壊れています (PMX\\", 0), 0u) << "cut at " << length << ": " << error;
    }
    // The last byte is the soft body's second pin.
    EXPECT_EQ(readError(cut(file, file.size() - 1)), broken("ソフトボディ\\ピン頂点"));
}

struct EditCase {
    std::string label;
    std::function<void(PmxModel&)> edit;
    std::string expected;
};

class MalformedPmxModel : public testing::TestWithParam<EditCase> {};

// Our writer writes whatever the model holds, so a model with one bad
// reference makes a file with exactly that fault.
TEST_P(MalformedPmxModel, IsRefusedNamingTheField) {
    PmxModel model = smallModel();
    GetParam().edit(model);
    EXPECT_EQ(readError(written(model)), GetParam().expected);
}

PmxBone& ikBone(PmxModel& m) {
    return m.bones.at(2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedPmxModel,
    testing::Values(
        EditCase{"VertexBonePastTheBones", [](PmxModel& m) { m.vertices.smallBones[0][0] = 3; },
                 broken("頂点\\ボーン")},
        EditCase{"VertexBoneBelowMinusOne",
                 [](PmxModel& m) {
                     m.vertices.bones = {{-2, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, 0}};
                     m.vertices.smallBones.clear();
                 },
                 broken("頂点\\ボーン")},
        EditCase{"FaceVertexPastTheVertices", [](PmxModel& m) { m.faceIndices[1] = 3; }, broken("面\\頂点")},
        EditCase{"FaceCountNotAMultipleOfThree",
                 [](PmxModel& m) {
                     m.faceIndices.push_back(0);
                     m.materials[1].faceIndexCount = 1;
                 },
                 broken("面\\個数")},
        EditCase{"MaterialTexturePastTheTextures", [](PmxModel& m) { m.materials[0].texture = 2; },
                 broken("材質\\テクスチャ")},
        EditCase{"SphereBelowMinusOne", [](PmxModel& m) { m.materials[0].sphereTexture = -2; },
                 broken("材質\\スフィア")},
        EditCase{"OwnToonPastTheTextures", [](PmxModel& m) { m.materials[1].toon = 5; }, broken("材質\\トゥーン")},
        EditCase{"MaterialFacesPastTheFaces", [](PmxModel& m) { m.materials[1].faceIndexCount = 3; },
                 broken("材質\\面数")},
        EditCase{"MaterialFacesNegative", [](PmxModel& m) { m.materials[1].faceIndexCount = -3; },
                 broken("材質\\面数")},
        EditCase{"BoneParentPastTheBones", [](PmxModel& m) { m.bones[1].parent = 3; }, broken("ボーン\\親")},
        EditCase{"TailBonePastTheBones", [](PmxModel& m) { m.bones[0].tailBone = 7; }, broken("ボーン\\接続先")},
        EditCase{"InheritedBonePastTheBones", [](PmxModel& m) { m.bones[1].inheritParent = 3; },
                 broken("ボーン\\付与")},
        EditCase{"IkTargetNone", [](PmxModel& m) { ikBone(m).ik.target = -1; }, broken("ボーン\\IK")},
        EditCase{"IkLinkPastTheBones", [](PmxModel& m) { ikBone(m).ik.links[1].bone = 3; }, broken("ボーン\\IKリンク")},
        EditCase{"GroupMorphPastTheMorphs", [](PmxModel& m) { m.morphs[0].groupOffsets[0].morph = 9; },
                 broken("モーフ\\グループ")},
        EditCase{"VertexMorphPastTheVertices", [](PmxModel& m) { m.morphs[1].vertexOffsets[0].vertex = 3; },
                 broken("モーフ\\頂点")},
        EditCase{"BoneMorphOfNoBone", [](PmxModel& m) { m.morphs[2].boneOffsets[0].bone = -1; },
                 broken("モーフ\\ボーン")},
        EditCase{"UvMorphPastTheVertices", [](PmxModel& m) { m.morphs[3].uvOffsets[0].vertex = 70000; },
                 broken("モーフ\\UV")},
        EditCase{"MaterialMorphPastTheMaterials", [](PmxModel& m) { m.morphs.back().materialOffsets[1].material = 2; },
                 broken("モーフ\\材質")},
        EditCase{"MorphTypeOfNoFormat", [](PmxModel& m) { m.morphs[3].type = 11; }, broken("モーフ\\種類")},
        EditCase{"FlipMorphIn20", [](PmxModel& m) { m.morphs[0].type = 9; }, broken("モーフ\\種類")},
        EditCase{"DisplayedBonePastTheBones", [](PmxModel& m) { m.displayFrames[0].elements[0].index = 3; },
                 broken("表示枠\\要素")},
        EditCase{"DisplayedMorphPastTheMorphs", [](PmxModel& m) { m.displayFrames[1].elements[0].index = 6; },
                 broken("表示枠\\要素")},
        EditCase{"RigidBodyBonePastTheBones", [](PmxModel& m) { m.rigidBodies[0].bone = 3; }, broken("剛体\\ボーン")},
        EditCase{"JointBodyPastTheBodies", [](PmxModel& m) { m.joints[0].bodyB = 2; }, broken("ジョイント\\剛体")},
        EditCase{"Version22", [](PmxModel& m) { m.header.version = 2.2f; }, "対応していないPMXのバージョンです (2.2)"},
        EditCase{"Version1", [](PmxModel& m) { m.header.version = 1.0f; }, "対応していないPMXのバージョンです (1)"}),
    [](const testing::TestParamInfo<EditCase>& info) { return info.param.label; });

struct PatchCase {
    std::string label;
    std::size_t offset;
    std::uint8_t value;
    std::string expected;
};

class MalformedPmxByte : public testing::TestWithParam<PatchCase> {};

// A byte of the header, or a type byte that decides what follows.
TEST_P(MalformedPmxByte, IsRefusedNamingTheField) {
    Bytes file = written(smallModel());
    file.at(GetParam().offset) = GetParam().value;
    EXPECT_EQ(readError(file), GetParam().expected);
}

// The first vertex's deform byte, after its count, position, normal, UV and one additional UV.
constexpr std::size_t firstDeform = 4 + 12 + 12 + 8 + 16;

std::size_t sectionStart(std::size_t section) {
    return pmxSectionStarts(smallModel()).at(section);
}

std::vector<PatchCase> patchCases() {
    std::vector<PatchCase> cases = {
        {"MagicWithoutItsSpace", 3, 0, notPmx},
        {"LowerCaseMagic", 0, 'p', notPmx},
        {"SevenSettings", 8, 7, broken("ヘッダ\\設定")},
        {"EncodingTwo", 9, 2, broken("ヘッダ\\文字コード")},
        {"FiveAdditionalUvs", 10, 5, broken("ヘッダ\\追加UV数")},
        {"DeformFive", sectionStart(0) + firstDeform, 5, broken("頂点\\変形方式")},
        {"QdefIn20", sectionStart(0) + firstDeform, 4, broken("頂点\\変形方式")},
        // The first display frame's first element: after the count, two texts of "Root", the special byte and the
        // element count.
        {"DisplayElementTypeTwo", sectionStart(6) + 4 + 12 + 12 + 1 + 4, 2, broken("表示枠\\要素")},
    };
    for (std::size_t width = 0; width < 6; ++width) {
        for (const std::uint8_t value : {0, 3, 8}) {
            cases.push_back({"IndexWidth" + std::to_string(width) + "Of" + std::to_string(value), 11 + width, value,
                             broken("ヘッダ\\インデックスサイズ")});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedPmxByte, testing::ValuesIn(patchCases()),
                         [](const testing::TestParamInfo<PatchCase>& info) { return info.param.label; });

TEST(MalformedPmx, MoreSettingsThanEightAreSkipped) {
    // A later version's extra setting byte, read past.
    Bytes file = written(smallModel());
    file.at(8) = 9;
    file.insert(file.begin() + headerSize, 0x55);
    EXPECT_EQ(readError(file), noUserError);
}

TEST(MalformedPmx, TextLengthsOddNegativeOrPastTheEnd) {
    const Bytes file = written(smallModel());
    for (const std::uint32_t length : {1u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu}) {
        EXPECT_EQ(readError(patched32(file, headerSize, length)), broken("モデル情報\\モデル名")) << length;
    }
}

struct CountCase {
    std::string label;
    std::size_t offset;
    std::string expected;
};

TEST(MalformedPmx, HugeCountsAreRefusedBeforeAllocating) {
    const PmxModel model = smallModel();
    const std::vector<std::size_t> starts = pmxSectionStarts(model);
    std::vector<CountCase> cases;
    for (std::size_t section = 0; section < sectionNames.size(); ++section) {
        cases.push_back({sectionNames[section], starts[section], broken(sectionNames[section] + "\\個数")});
    }
    // The first morph's offsets: after the count, its name, English name, panel and type.
    cases.push_back({"morph offsets", starts[5] + 4 + (4 + 2 * 4) + (4 + 2 * 5) + 2, broken("モーフ\\オフセット数")});
    // The first display frame's elements: after the count, two texts of "Root" and the special byte.
    cases.push_back({"display elements", starts[6] + 4 + 12 + 12 + 1, broken("表示枠\\要素数")});
    const Bytes file = written(model);
    for (const std::uint32_t huge : {0x7FFFFFFFu, 0x40000000u, 0xFFFFFFFFu}) {
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
}

TEST(MalformedPmx, NeitherPmxNorPmd) {
    for (const std::string text : {"", "PM", "PMX", "pmx ", "Pmx ", "Polygon Model Data"}) {
        EXPECT_EQ(userErrorOf([&] { readMmdModel(Bytes(text.begin(), text.end())); }),
                  "PMXファイルでもPMDファイルでもありません")
            << text;
        EXPECT_EQ(readError(Bytes(text.begin(), text.end())), notPmx) << text;
    }
}

}  // namespace
}  // namespace zorvek::test

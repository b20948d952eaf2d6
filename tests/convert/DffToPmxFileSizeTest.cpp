// The file is written into a block of the size computed beforehand; a
// reader of its own must find every section and nothing after the last.
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

namespace zorvek {
namespace {

using test::DecodedPmx;

struct SizeCase {
    const char* name;
    ConversionMode mode;
    std::function<test::PreparedModel()> model;
    BoneTable bones;
    IkTable iks;
    PmxTexts texts;
    // Confirms that the file holds what the case is named for.
    std::function<void(const DecodedPmx&)> confirm;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class PmxFileSize : public testing::TestWithParam<SizeCase> {};

TEST_P(PmxFileSize, AReaderFindsEverySectionAndNothingAfter) {
    const SizeCase& c = GetParam();
    test::PreparedModel model = c.model();
    const ByteBlock bytes = buildPmx(model, model.skeleton, c.mode, c.bones, c.iks, c.texts, [](const std::string&) {});
    const DecodedPmx pmx = test::decodePmx(bytes);
    c.confirm(pmx);

    const test::DecodedSectionLengths& read = pmx.lengths;
    EXPECT_EQ(read.header + read.modelInformation + read.vertices + read.faces + read.textures + read.materials +
                  read.bones + read.morphs + read.displayFrames + read.rigidBodies + read.joints,
              bytes.size());
}

test::PreparedModel writerModel() {
    return test::makeWriterModel();
}

// Names with bytes above 0x7F, which become one code unit each.
test::PreparedModel highByteNames() {
    test::PreparedModel model = test::makeWriterModel();
    model.frames[2].frameName = "P\xE9lvis\x81";
    model.frames[5].frameName = "\x8C\xA8";
    model.textureIndices = {{"sk\xEFn", 0}};
    model.materialTextureNames = {"sk\xEFn", ""};
    return model;
}

// Material 1 has no texture; its faces come as a second split.
test::PreparedModel untexturedSplit() {
    test::PreparedModel model = test::makeWriterModel();
    model.meshSplits.push_back({1, {2, 1, 0}});
    return model;
}

// Two UV sets (an additional UV in every vertex), no normals, strips.
test::PreparedModel stripsWithAdditionalUv() {
    test::PreparedModel model = test::makeWriterModel();
    model.uvSets.push_back({{1, 0}, {0, 1}, {1, 1}});
    model.normals.clear();
    model.isTriStrip = 1;
    model.meshSplits = {{0, {0, 1, 2, 1}}, {1, {2, 0}}};
    return model;
}

std::function<test::PreparedModel()> chain(int bones) {
    return [bones] { return test::makeChainModel(bones); };
}

// An IK row on bones of the chain: bone ids there are 100 and up.
IkTable chainIkTable() {
    return {IkTableEntry{u"鎖ＩＫ", -1, {0, -1, 0}, 105, 40, 2.0f, {{104, {-0.5f, 0, 0}, {}}, {103, {}, {}}}}};
}

void anyFile(const DecodedPmx&) {}

std::function<void(const DecodedPmx&)> boneIndexBytes(std::uint8_t size, std::size_t bones) {
    return [=](const DecodedPmx& pmx) {
        EXPECT_EQ(pmx.settings[5], size);
        EXPECT_EQ(pmx.bones.size(), bones);
    };
}

void limitedIkLinks(const DecodedPmx& pmx) {
    const bool limited = std::any_of(pmx.bones.begin(), pmx.bones.end(), [](const test::DecodedBone& bone) {
        return bone.ik && std::any_of(bone.ik->links.begin(), bone.ik->links.end(),
                                      [](const test::DecodedIkLink& link) { return link.limits.has_value(); });
    });
    EXPECT_TRUE(limited);
    EXPECT_EQ(pmx.displayFrames.size(), 4u);
}

void twoByteIndicesAndIk(const DecodedPmx& pmx) {
    boneIndexBytes(2, 133)(pmx);
    limitedIkLinks(pmx);
}

void wideNames(const DecodedPmx& pmx) {
    EXPECT_EQ(pmx.modelName, u"ヒーロー.dff");
    EXPECT_EQ(pmx.textures, (std::vector<std::u16string>{u"sk\u00EFn.ｐｎｇ"}));
    EXPECT_EQ(pmx.bones[1].englishName, u"P\u00E9lvis\u0081");
    EXPECT_EQ(pmx.materials[0].name, u"sk\u00EFn");
}

void untextured(const DecodedPmx& pmx) {
    ASSERT_EQ(pmx.materials.size(), 2u);
    EXPECT_EQ(pmx.materials[1].name, u"");
    EXPECT_EQ(pmx.materials[1].texture, -1);
}

void stripsAndAdditionalUv(const DecodedPmx& pmx) {
    EXPECT_EQ(pmx.settings[1], 1);
    EXPECT_EQ(pmx.faces.size(), 6u);
}

const PmxTexts texts = test::makeTexts();
const PmxTexts wideTexts{u"ヒーロー.dff", u".ｐｎｇ", {}};

INSTANTIATE_TEST_SUITE_P(
    Cases, PmxFileSize,
    testing::Values(
        SizeCase{"None", ConversionMode::None, writerModel, {}, {}, texts, anyFile},
        SizeCase{"AxesAndBoneInfo", ConversionMode::AxesAndBoneInfo, writerModel, test::makeWriterBoneTable(),
                 test::makeWriterIkTable(), texts, anyFile},
        SizeCase{"NamesAndAxesWithIkRows", ConversionMode::NamesAndAxes, writerModel, test::makeWriterBoneTable(),
                 test::makeWriterIkTable(), texts, limitedIkLinks},
        SizeCase{"WideAndHighByteNames", ConversionMode::None, highByteNames, {}, {}, wideTexts, wideNames},
        SizeCase{"WideTableNames", ConversionMode::NamesAndAxes, highByteNames, test::makeWriterBoneTable(),
                 test::makeWriterIkTable(), wideTexts, anyFile},
        SizeCase{"UntexturedMaterial",
                 ConversionMode::AxesAndBoneInfo,
                 untexturedSplit,
                 test::makeWriterBoneTable(),
                 {},
                 texts,
                 untextured},
        SizeCase{"StripsAndAdditionalUv",
                 ConversionMode::None,
                 stripsWithAdditionalUv,
                 {},
                 {},
                 texts,
                 stripsAndAdditionalUv},
        SizeCase{"EmptyExtension", ConversionMode::None, writerModel, {}, {}, {u"m", u"", {}}, anyFile},
        // 128 bones still fit one-byte indices, 129 need two.
        SizeCase{"OneByteIndicesAtTheLimit", ConversionMode::None, chain(128), {}, {}, texts, boneIndexBytes(1, 128)},
        SizeCase{"TwoByteIndicesPastTheLimit", ConversionMode::None, chain(129), {}, {}, texts, boneIndexBytes(2, 129)},
        SizeCase{"TwoByteIndicesWithTips",
                 ConversionMode::AxesAndBoneInfo,
                 chain(100),
                 {},
                 {},
                 texts,
                 boneIndexBytes(2, 200)},
        // 130 bones, an IK bone, the tip of the last bone and the IK's tip.
        SizeCase{"TwoByteIndicesWithIkRows",
                 ConversionMode::NamesAndAxes,
                 chain(130),
                 {},
                 chainIkTable(),
                 texts,
                 twoByteIndicesAndIk}),
    [](const testing::TestParamInfo<SizeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

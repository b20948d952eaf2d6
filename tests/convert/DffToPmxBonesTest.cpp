// The bone section and the display frames, in each conversion mode.
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <variant>

namespace zorvek {
namespace {

using test::convert;
using test::DecodedBone;
using test::DecodedPmx;
using test::makeWriterBoneTable;
using test::makeWriterIkTable;
using test::makeWriterModel;

constexpr Vec3 unitX{1, 0, 0}, unitZ{0, 0, 1};

struct BoneExpectation {
    std::u16string name, englishName;
    Vec3 position;
    std::int32_t parent;
    std::uint16_t flags;
    std::variant<std::int32_t, Vec3> tail;  // a bone index or an offset
    std::vector<Vec3> localAxes;            // X and Z, or none
};

void expectBones(const DecodedPmx& pmx, const std::vector<BoneExpectation>& expected) {
    ASSERT_EQ(pmx.bones.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DecodedBone& bone = pmx.bones[i];
        const BoneExpectation& e = expected[i];
        SCOPED_TRACE("bone " + std::to_string(i));
        EXPECT_EQ(bone.name, e.name) << test::toUtf8(bone.name);
        EXPECT_EQ(bone.englishName, e.englishName) << test::toUtf8(bone.englishName);
        EXPECT_EQ(bone.position, e.position);
        EXPECT_EQ(bone.parent, e.parent);
        EXPECT_EQ(bone.transformLevel, 0);
        EXPECT_EQ(bone.flags, e.flags);
        if (const std::int32_t* tailBone = std::get_if<std::int32_t>(&e.tail)) {
            EXPECT_EQ(bone.tailBone, *tailBone);
            EXPECT_FALSE(bone.tailOffset);
        } else {
            EXPECT_EQ(bone.tailOffset, std::get<Vec3>(e.tail));
            EXPECT_FALSE(bone.tailBone);
        }
        std::vector<Vec3> axes;
        if (bone.localAxes) {
            axes = {(*bone.localAxes)[0], (*bone.localAxes)[1]};
        }
        EXPECT_EQ(axes, e.localAxes);
    }
}

std::vector<std::vector<std::int32_t>> frameBones(const DecodedPmx& pmx) {
    std::vector<std::vector<std::int32_t>> bones;
    for (const test::DecodedDisplayFrame& frame : pmx.displayFrames) {
        bones.push_back(frame.bones);
    }
    return bones;
}

void expectFixedFrames(const DecodedPmx& pmx, bool withIk) {
    ASSERT_EQ(pmx.displayFrames.size(), withIk ? 4u : 3u);
    const auto& frames = pmx.displayFrames;
    EXPECT_EQ(frames[0].name, u"Root");
    EXPECT_EQ(frames[0].englishName, u"Root");
    EXPECT_EQ(frames[0].special, 1);
    EXPECT_EQ(frames[1].name, u"表情");
    EXPECT_EQ(frames[1].englishName, u"Exp");
    EXPECT_EQ(frames[1].special, 1);
    if (withIk) {
        EXPECT_EQ(frames[2].name, u"ＩＫ");
        EXPECT_EQ(frames[2].englishName, u"IK");
        EXPECT_EQ(frames[2].special, 0);
    }
    EXPECT_EQ(frames.back().name, u"ボーン");
    EXPECT_EQ(frames.back().englishName, u"Bone");
    EXPECT_EQ(frames.back().special, 0);
}

const std::vector<Vec3> identityAxes{unitX, unitZ};

TEST(PmxBonesModeNone, FrameNamesChildTailsAndAxisOffsets) {
    const test::Converted converted =
        convert(makeWriterModel(), ConversionMode::None, makeWriterBoneTable(), makeWriterIkTable());
    EXPECT_TRUE(converted.warnings.empty());
    expectBones(converted.pmx, {{u"Normal", u"Normal", {0, 10, 0}, -1, 0x081F, 1, identityAxes},
                                {u"Pelvis", u"Pelvis", {0, 12.5f, 0}, 0, 0x081B, 2, identityAxes},
                                {u"Spine", u"Spine", {2.5f, 12.5f, 0}, 1, 0x081A, Vec3{0, 1, 0}, {{0, 1, 0}, unitZ}},
                                {u"L Thigh", u"L Thigh", {0, 10, 5}, 1, 0x081B, 4, identityAxes},
                                {u"L Calf", u"L Calf", {0.625f, 5, 5}, 3, 0x081A, unitX, identityAxes}});
    expectFixedFrames(converted.pmx, false);
    EXPECT_EQ(frameBones(converted.pmx), (std::vector<std::vector<std::int32_t>>{{0}, {}, {1, 2, 3, 4}}));
}

TEST(PmxBonesModeNone, AChildlessBoneZeroPointsDown) {
    test::PreparedModel model = makeWriterModel();
    model.frames[2].parentIndex = 0;  // Pelvis leaves Normal
    const DecodedPmx pmx = convert(model, ConversionMode::None).pmx;
    EXPECT_EQ(pmx.bones[0].flags, 0x081E);
    EXPECT_EQ(pmx.bones[0].tailOffset, (Vec3{0, -1, 0}));
    EXPECT_EQ(pmx.bones[1].parent, -1);
}

TEST(PmxBonesAxesAndBoneInfo, EveryBoneGetsANubTip) {
    const test::Converted converted =
        convert(makeWriterModel(), ConversionMode::AxesAndBoneInfo, makeWriterBoneTable(), makeWriterIkTable());
    EXPECT_EQ(converted.warnings, std::vector<std::string>{"不明なボーンがありました: L Calf (42)"});
    expectBones(converted.pmx, {{u"全ての親@0", u"Normal", {0, 10, 0}, -1, 0x081F, 5, identityAxes},
                                {u"骨盤@1", u"Pelvis", {0, 12.5f, 0}, 0, 0x081B, 6, identityAxes},
                                {u"S@3", u"Spine", {2.5f, 12.5f, 0}, 1, 0x081B, 7, {{0, 1, 0}, unitZ}},
                                {u"左もも@41", u"L Thigh", {0, 10, 5}, 1, 0x081B, 8, identityAxes},
                                {u"L Calf", u"L Calf", {0.625f, 5, 5}, 3, 0x081B, 9, identityAxes},
                                // Tips: bone 0 fixed; 2.5 along X to the child; 1.0 without a child or
                                // when the child lies less than one unit ahead.
                                {u"全ての親Nub", u"NormalNub", {0, 9, 0}, 0, 0x0013, -1, {}},
                                {u"骨盤Nub", u"PelvisNub", {2.5f, 12.5f, 0}, 1, 0x0013, -1, {}},
                                {u"SNub", u"SpineNub", {2.5f, 13.5f, 0}, 2, 0x0013, -1, {}},
                                {u"左ももNub", u"L ThighNub", {1, 10, 5}, 3, 0x0013, -1, {}},
                                {u"L Calf", u"L CalfNub", {1.625f, 5, 5}, 4, 0x0013, -1, {}}});
    expectFixedFrames(converted.pmx, false);
    EXPECT_EQ(frameBones(converted.pmx), (std::vector<std::vector<std::int32_t>>{{0}, {}, {1, 2, 3, 4}}));
}

TEST(PmxBonesNamesAndAxes, TipsForLeavesIkBonesAndTheirTips) {
    const test::Converted converted =
        convert(makeWriterModel(), ConversionMode::NamesAndAxes, makeWriterBoneTable(), makeWriterIkTable());
    EXPECT_EQ(converted.warnings,
              (std::vector<std::string>{
                  "IKの接続ボーンが見つかりませんでした (99)", "親IKを出力できないので子IKも無視されます",
                  "親IKを出力できないので子IKも無視されます", "不明なボーンがありました: L Calf (42)"}));
    expectBones(converted.pmx, {{u"センター", u"Normal", {0, 10, 0}, -1, 0x081F, 1, identityAxes},
                                {u"下半身", u"Pelvis", {0, 12.5f, 0}, 0, 0x081B, 2, identityAxes},
                                {u"上半身", u"Spine", {2.5f, 12.5f, 0}, 1, 0x081B, 8, {{0, 1, 0}, unitZ}},
                                {u"左足", u"L Thigh", {0, 10, 5}, 1, 0x081B, 4, identityAxes},
                                {u"L Calf", u"L Calf", {0.625f, 5, 5}, 3, 0x081B, 9, identityAxes},
                                {u"左足ＩＫ", u"左足ＩＫ", {0.625f, 5, 5}, -1, 0x003F, 10, {}},
                                {u"左つま先ＩＫ", u"左つま先ＩＫ", {2.5f, 12.5f, 0}, 5, 0x003F, 11, {}},
                                {u"ももＩＫ", u"ももＩＫ", {0, 10, 5}, -1, 0x003F, 12, {}},
                                {u"上半身先", u"SpineNub", {2.5f, 13.5f, 0}, 2, 0x0013, -1, {}},
                                {u"L Calf", u"L CalfNub", {1.625f, 5, 5}, 4, 0x0013, -1, {}},
                                // IK tips: the target's position plus the unscaled offset.
                                {u"左足ＩＫ先", u"左足ＩＫ先", {0.625f, 4, 5}, 5, 0x0013, -1, {}},
                                {u"左つま先ＩＫ先", u"左つま先ＩＫ先", {2.5f, 12.5f, -1}, 6, 0x0013, -1, {}},
                                {u"ももＩＫ先", u"ももＩＫ先", {0.5f, 10, 5}, 7, 0x0013, -1, {}}});
    expectFixedFrames(converted.pmx, true);
    EXPECT_EQ(frameBones(converted.pmx), (std::vector<std::vector<std::int32_t>>{{0}, {}, {5, 6, 7}, {1, 2, 3, 4}}));
}

TEST(PmxBonesNamesAndAxes, IkBlocksWithAndWithoutLimits) {
    const DecodedPmx pmx =
        convert(makeWriterModel(), ConversionMode::NamesAndAxes, makeWriterBoneTable(), makeWriterIkTable()).pmx;
    ASSERT_EQ(pmx.bones.size(), 13u);
    const test::DecodedIk& foot = pmx.bones[5].ik.value();
    EXPECT_EQ(foot.target, 4);
    EXPECT_EQ(foot.loopCount, 40u);
    EXPECT_EQ(foot.limitAngle, 2.0f);
    ASSERT_EQ(foot.links.size(), 2u);
    EXPECT_EQ(foot.links[0].bone, 3);
    EXPECT_EQ(foot.links[0].limits, (std::array<Vec3, 2>{Vec3{-0.5f, 0, 0}, Vec3{0, 0, 0}}));
    EXPECT_EQ(foot.links[1].bone, 1);
    EXPECT_FALSE(foot.links[1].limits);
    const test::DecodedIk& toe = pmx.bones[6].ik.value();
    EXPECT_EQ(toe.target, 2);
    EXPECT_EQ(toe.loopCount, 3u);
    ASSERT_EQ(toe.links.size(), 1u);
    EXPECT_EQ(toe.links[0].bone, 4);
    const test::DecodedIk& thigh = pmx.bones[7].ik.value();
    ASSERT_EQ(thigh.links.size(), 1u);
    EXPECT_EQ(thigh.links[0].limits, (std::array<Vec3, 2>{Vec3{0, 0, 0}, Vec3{0, 0, 0.25f}}));
    for (std::size_t i = 0; i < pmx.bones.size(); ++i) {
        EXPECT_EQ(pmx.bones[i].ik.has_value(), i >= 5 && i <= 7) << i;
    }
}

TEST(PmxBonesNamesAndAxes, WithoutUsableIkRowsThereAreThreeFrames) {
    IkTable unusable{makeWriterIkTable()[2], makeWriterIkTable()[3]};
    unusable[1].parentIk = 0;  // under the row whose target is missing
    for (const IkTable& iks : {IkTable{}, unusable}) {
        const DecodedPmx pmx = convert(makeWriterModel(), ConversionMode::NamesAndAxes, makeWriterBoneTable(), iks).pmx;
        EXPECT_EQ(pmx.bones.size(), 7u);  // five skin bones and two tips
        expectFixedFrames(pmx, false);
    }
}

TEST(PmxBones, ASingleSkinBoneLeavesTheBoneFrameEmpty) {
    const DecodedPmx pmx = convert(test::makeChainModel(1), ConversionMode::None).pmx;
    EXPECT_EQ(frameBones(pmx), (std::vector<std::vector<std::int32_t>>{{0}, {}, {}}));
}

struct IndexSizeCase {
    const char* name;
    ConversionMode mode;
    int skinBones;
    int boneCount;
    std::uint8_t indexSize;
};

class PmxBoneIndexSize : public testing::TestWithParam<IndexSizeCase> {};

TEST_P(PmxBoneIndexSize, TwoBytesEverywhereAboveOneHundredTwentyEightBones) {
    const IndexSizeCase& c = GetParam();
    const DecodedPmx pmx = convert(test::makeChainModel(c.skinBones), c.mode).pmx;
    EXPECT_EQ(pmx.settings[5], c.indexSize);
    ASSERT_EQ(pmx.bones.size(), static_cast<std::size_t>(c.boneCount));
    EXPECT_EQ(pmx.vertices.back().bones, (std::array<std::int32_t, 4>{c.skinBones - 1, 0, 0, 0}));
    EXPECT_EQ(pmx.bones[0].parent, -1);
    EXPECT_EQ(pmx.bones[c.skinBones - 1].parent, c.skinBones - 2);
    EXPECT_EQ(pmx.bones.back().tailBone, c.mode == ConversionMode::None ? std::nullopt : std::optional(-1));
    EXPECT_EQ(pmx.displayFrames.back().bones.back(), c.skinBones - 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, PmxBoneIndexSize,
                         testing::Values(IndexSizeCase{"None128", ConversionMode::None, 128, 128, 1},
                                         IndexSizeCase{"None129", ConversionMode::None, 129, 129, 2},
                                         IndexSizeCase{"Tips128", ConversionMode::AxesAndBoneInfo, 64, 128, 1},
                                         IndexSizeCase{"Tips130", ConversionMode::AxesAndBoneInfo, 65, 130, 2}),
                         [](const testing::TestParamInfo<IndexSizeCase>& info) { return info.param.name; });

TEST(PmxBoneIndexSize, TheLastTipOfALongChainPointsPastOneByte) {
    const DecodedPmx pmx = convert(test::makeChainModel(100), ConversionMode::AxesAndBoneInfo).pmx;
    EXPECT_EQ(pmx.bones[99].tailBone, 199);
    EXPECT_EQ(pmx.bones[199].parent, 99);
}

struct NegativeIdCase {
    const char* name;
    ConversionMode mode;
    std::u16string boneName;
};

class NegativeBoneId : public ::testing::TestWithParam<NegativeIdCase> {};

// The table's ids are unsigned 32-bit values, compared with a frame's id by
// equality: the row written "-5" (4294967291) belongs to a frame with id -5.
TEST_P(NegativeBoneId, FindsTheRowWrittenWithTheSameBits) {
    test::PreparedModel model = makeWriterModel();
    model.frames[5].boneId = -5;  // L Calf
    BoneTable bones = makeWriterBoneTable();
    bones.insert({4294967291u, u"ひざ", u"左ひざ", {1, 0, 0}});
    const test::Converted converted = convert(model, GetParam().mode, bones);
    EXPECT_EQ(converted.warnings, std::vector<std::string>{});
    EXPECT_EQ(converted.pmx.bones[4].name, GetParam().boneName);
}

INSTANTIATE_TEST_SUITE_P(Modes, NegativeBoneId,
                         ::testing::Values(NegativeIdCase{"Info", ConversionMode::AxesAndBoneInfo, u"ひざ@-5"},
                                           NegativeIdCase{"Mmd", ConversionMode::NamesAndAxes, u"左ひざ"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NegativeBoneId, AnIkLinkWithTheSameBitsFindsTheFrame) {
    test::PreparedModel model = makeWriterModel();
    model.frames[5].boneId = -5;
    IkTable iks;
    IkTableEntry row;
    row.ikName = std::u16string(u"左足ＩＫ");  // assigning the literal trips a false -Wstringop-overread at -O3
    row.parentIk = -1;
    row.targetBoneId = 4294967291u;
    row.links.push_back(IkLink{41, {}, {}});
    iks.push_back(row);
    const test::Converted converted = convert(model, ConversionMode::NamesAndAxes, makeWriterBoneTable(), iks);
    const auto ik = std::find_if(converted.pmx.bones.begin(), converted.pmx.bones.end(),
                                 [](const DecodedBone& bone) { return bone.name == u"左足ＩＫ"; });
    ASSERT_NE(ik, converted.pmx.bones.end());
    ASSERT_TRUE(ik->ik.has_value());
    EXPECT_EQ(ik->ik->target, 4) << "L Calf";
}

}  // namespace
}  // namespace zorvek

// The bundled sample on the standard MMD skeleton, checked against the
// hierarchy standard models have, written out here bone by bone.
#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "convert/BoneLayout.h"
#include "convert/DffToPmx.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "support/pmx/PmxTestModels.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

struct Sample {
    DffModel model;
    PreparedSkeleton skeleton;
    BoneTable bones = loadBoneTable(source / "data");
    IkTable iks = loadIkTable(source / "data");
};

Sample loadSample(ConversionMode mode) {
    const Bytes bytes = readWholeFile(source / "samples/zorvek_sample.dff");
    Sample sample;
    SectionInput input(bytes);
    readDffModel(input, sample.model, [](const std::string&) {});
    numberTextures(sample.model);
    sample.skeleton = prepareSkeleton(sample.model, mode, sample.bones);
    return sample;
}

std::int32_t indexOf(const PmxRig& rig, std::u16string_view name) {
    for (std::size_t i = 0; i < rig.bones.size(); ++i) {
        if (rig.bones[i].bone.name == name) {
            return static_cast<std::int32_t>(i);
        }
    }
    ADD_FAILURE() << "no bone " << utf16ToUtf8(name);
    return -1;
}

const PmxBone& boneNamed(const PmxRig& rig, std::u16string_view name) {
    static const PmxBone missing;
    const std::int32_t i = indexOf(rig, name);
    return i < 0 ? missing : rig.bones[static_cast<std::size_t>(i)].bone;
}

Vec3 placeOf(const PmxRig& rig, std::u16string_view name) {
    return boneNamed(rig, name).position;
}

float distance(Vec3 a, Vec3 b) {
    const Vec3 d = a - b;
    return std::sqrt(dot(d, d));
}

// Each bone and its parent as standard and semi-standard MMD models have them.
const std::map<std::u16string, std::u16string> standardParents = {
    {u"全ての親", u""},
    {u"センター", u"全ての親"},
    {u"グルーブ", u"センター"},
    {u"下半身", u"グルーブ"},
    {u"上半身", u"グルーブ"},
    {u"上半身2", u"上半身"},
    {u"首", u"上半身2"},
    {u"頭", u"首"},
    {u"あご", u"頭"},
    {u"左眉", u"頭"},
    {u"右眉", u"頭"},
    {u"左肩P", u"上半身2"},
    {u"左肩", u"左肩P"},
    {u"左肩C", u"左肩"},
    {u"左腕", u"左肩C"},
    {u"左腕捩", u"左腕"},
    {u"左腕捩1", u"左腕"},
    {u"左腕捩2", u"左腕"},
    {u"左腕捩3", u"左腕"},
    {u"左ひじ", u"左腕捩"},
    {u"左手捩", u"左ひじ"},
    {u"左手捩1", u"左ひじ"},
    {u"左手捩2", u"左ひじ"},
    {u"左手捩3", u"左ひじ"},
    {u"左手首", u"左手捩"},
    {u"左中指１", u"左手首"},
    {u"左中指２", u"左中指１"},
    {u"右肩P", u"上半身2"},
    {u"右肩", u"右肩P"},
    {u"右肩C", u"右肩"},
    {u"右腕", u"右肩C"},
    {u"右腕捩", u"右腕"},
    {u"右腕捩1", u"右腕"},
    {u"右腕捩2", u"右腕"},
    {u"右腕捩3", u"右腕"},
    {u"右ひじ", u"右腕捩"},
    {u"右手捩", u"右ひじ"},
    {u"右手捩1", u"右ひじ"},
    {u"右手捩2", u"右ひじ"},
    {u"右手捩3", u"右ひじ"},
    {u"右手首", u"右手捩"},
    {u"右中指１", u"右手首"},
    {u"右中指２", u"右中指１"},
    {u"左足", u"下半身"},
    {u"左ひざ", u"左足"},
    {u"左足首", u"左ひざ"},
    {u"左つま先", u"左足首"},
    {u"右足", u"下半身"},
    {u"右ひざ", u"右足"},
    {u"右足首", u"右ひざ"},
    {u"右つま先", u"右足首"},
    {u"左足IK親", u"全ての親"},
    {u"左足ＩＫ", u"左足IK親"},
    {u"左つま先ＩＫ", u"左足ＩＫ"},
    {u"右足IK親", u"全ての親"},
    {u"右足ＩＫ", u"右足IK親"},
    {u"右つま先ＩＫ", u"右足ＩＫ"},
};

class StandardLayoutOfTheSample : public testing::Test {
protected:
    void SetUp() override {
        rig = layoutBones(sample.model, sample.skeleton, ConversionMode::Standard, sample.bones, sample.iks);
        game = layoutBones(sample.model, sample.skeleton, ConversionMode::NamesAndAxes, sample.bones, sample.iks);
    }
    Sample sample = loadSample(ConversionMode::Standard);
    PmxRig rig;
    PmxRig game;
};

TEST_F(StandardLayoutOfTheSample, EveryBoneHangsWhereStandardModelsHangIt) {
    for (const auto& [name, parent] : standardParents) {
        const PmxBone& bone = boneNamed(rig, name);
        const std::u16string parentName =
            bone.parent < 0 ? u"" : rig.bones[static_cast<std::size_t>(bone.parent)].bone.name;
        EXPECT_TRUE(parentName == parent) << utf16ToUtf8(name) << " hangs from " << utf16ToUtf8(parentName);
    }
    // Parents come first, so MMD poses each bone after the one it hangs from,
    // and a grant bone comes after the bone it takes from.
    for (std::size_t i = 0; i < rig.bones.size(); ++i) {
        EXPECT_LT(rig.bones[i].bone.parent, static_cast<std::int32_t>(i)) << i;
        if (rig.bones[i].bone.flags & PmxInheritsRotation) {
            EXPECT_LT(rig.bones[i].bone.inheritParent, static_cast<std::int32_t>(i)) << i;
        }
    }
}

TEST_F(StandardLayoutOfTheSample, SkinBonesKeepTheirPlacesAxesAndTheirFramesParentsWhereTheGameHasThem) {
    ASSERT_EQ(rig.skinBoneIndex.size(), game.skinBoneIndex.size());
    for (std::size_t skin = 1; skin < game.skinBoneIndex.size(); ++skin) {
        const PmxRigBone& was = game.bones[static_cast<std::size_t>(game.skinBoneIndex[skin])];
        const PmxRigBone& is = rig.bones[static_cast<std::size_t>(rig.skinBoneIndex[skin])];
        EXPECT_TRUE(is.bone.name == was.bone.name) << skin;
        EXPECT_EQ(is.bone.position, was.bone.position) << skin;
        EXPECT_EQ(is.restAxes, was.restAxes) << skin;
        EXPECT_EQ(is.frame, was.frame) << skin;
        EXPECT_EQ(is.frameOffset, (Vec3{0, 0, 0})) << skin;
        // True exactly where the PMX parent still follows the frame's game parent.
        const PmxRigBone& parent = rig.bones[static_cast<std::size_t>(is.bone.parent)];
        const bool gameParent =
            parent.frame && static_cast<std::int32_t>(*parent.frame) == sample.model.frames[*is.frame].parentIndex;
        EXPECT_EQ(is.parentIsGameParent, gameParent) << skin;
    }
}

TEST_F(StandardLayoutOfTheSample, TheRootFollowsTheGrooveOnTheCentreWhichCarriesItsKeys) {
    const PmxRigBone& groove = rig.bones[static_cast<std::size_t>(rig.skinBoneIndex[0])];
    EXPECT_TRUE(groove.bone.name == u"グルーブ");
    const Vec3 hips = (placeOf(rig, u"左足") + placeOf(rig, u"右足")) * 0.5f;
    const Vec3 knees = (placeOf(rig, u"左ひざ") + placeOf(rig, u"右ひざ")) * 0.5f;
    const Vec3 centre = placeOf(rig, u"センター");
    EXPECT_EQ(centre.x, 0.0f);
    EXPECT_NEAR(centre.y, (hips.y + knees.y) / 2, 1e-4);
    EXPECT_EQ(groove.bone.position, centre);
    EXPECT_EQ(groove.frameOffset, centre - pmxRestOrigin);
    ASSERT_TRUE(groove.keysOn);
    EXPECT_TRUE(rig.bones[*groove.keysOn].bone.name == u"センター");
    // The sample stands about 1.8 m: standard models put the centre at about 0.4 of the height.
    EXPECT_GT(centre.y, 6.0f);
    EXPECT_LT(centre.y, 8.5f);
}

TEST_F(StandardLayoutOfTheSample, AddedBonesStandWhereTheyWork) {
    struct Place {
        std::u16string bone;
        Vec3 expected;
    };
    const auto mid = [&](const char16_t* a, const char16_t* b, float f) {
        return placeOf(rig, a) + (placeOf(rig, b) - placeOf(rig, a)) * f;
    };
    const Vec3 leftAnkle = placeOf(rig, u"左足首"), rightAnkle = placeOf(rig, u"右足首");
    const std::vector<Place> places = {
        {u"全ての親", {0, 0, 0}},
        {u"左肩P", placeOf(rig, u"左肩")},
        {u"左肩C", placeOf(rig, u"左腕")},
        {u"左腕捩", mid(u"左腕", u"左ひじ", 0.5f)},
        {u"左腕捩1", mid(u"左腕", u"左ひじ", 0.25f)},
        {u"左腕捩3", mid(u"左腕", u"左ひじ", 0.75f)},
        {u"右手捩", mid(u"右ひじ", u"右手首", 0.5f)},
        {u"右手捩2", mid(u"右ひじ", u"右手首", 0.5f)},
        {u"左足IK親", {leftAnkle.x, 0, leftAnkle.z}},
        {u"右足IK親", {rightAnkle.x, 0, rightAnkle.z}},
        {u"左足ＩＫ", leftAnkle},
    };
    for (const Place& p : places) {
        EXPECT_LT(distance(placeOf(rig, p.bone), p.expected), 1e-5f) << utf16ToUtf8(p.bone);
    }
}

TEST_F(StandardLayoutOfTheSample, FlagsGrantsAndFixedAxesAsStandardModelsSetThem) {
    struct Flags {
        std::u16string bone;
        std::uint16_t set;
        std::uint16_t clear;
    };
    const std::vector<Flags> flags = {
        {u"全ての親", PmxCanMove | PmxCanRotate | PmxVisible | PmxCanOperate, 0},
        {u"センター", PmxCanMove | PmxVisible | PmxCanOperate, 0},
        {u"グルーブ", PmxCanMove | PmxVisible | PmxCanOperate, 0},
        {u"左足IK親", PmxCanMove | PmxVisible | PmxCanOperate, 0},
        {u"右足ＩＫ", PmxCanMove | PmxIsIk, 0},
        {u"左腕捩", PmxFixedAxis | PmxVisible | PmxCanOperate, PmxCanMove},
        {u"左肩C", PmxInheritsRotation, PmxVisible | PmxCanOperate},
        {u"右腕捩2", PmxInheritsRotation, PmxVisible | PmxCanOperate},
        {u"左肩P", PmxCanRotate | PmxVisible | PmxCanOperate, PmxCanMove},
        {u"左ひじ", PmxLocalAxes, PmxCanMove},
        {u"左中指１", PmxLocalAxes, PmxCanMove},
    };
    for (const Flags& f : flags) {
        const std::uint16_t has = boneNamed(rig, f.bone).flags;
        EXPECT_EQ(has & f.set, f.set) << utf16ToUtf8(f.bone);
        EXPECT_EQ(has & f.clear, 0) << utf16ToUtf8(f.bone);
    }
    struct Grant {
        std::u16string bone, from;
        float share;
    };
    const std::vector<Grant> grants = {
        {u"左肩C", u"左肩P", -1},      {u"右肩C", u"右肩P", -1},       {u"左腕捩1", u"左腕捩", 0.25f},
        {u"左腕捩2", u"左腕捩", 0.5f}, {u"右腕捩3", u"右腕捩", 0.75f}, {u"左手捩1", u"左手捩", 0.25f},
    };
    for (const Grant& g : grants) {
        EXPECT_EQ(boneNamed(rig, g.bone).inheritParent, indexOf(rig, g.from)) << utf16ToUtf8(g.bone);
        EXPECT_EQ(boneNamed(rig, g.bone).inheritWeight, g.share) << utf16ToUtf8(g.bone);
    }
    const Vec3 arm = placeOf(rig, u"左ひじ") - placeOf(rig, u"左腕");
    const Vec3 axis = boneNamed(rig, u"左腕捩").fixedAxis;
    EXPECT_NEAR(dot(axis, arm) / std::sqrt(dot(arm, arm)), 1.0f, 1e-6f);
}

TEST_F(StandardLayoutOfTheSample, TheLegIkKeepsTheGameLayoutsChains) {
    for (const char16_t* name : {u"左足ＩＫ", u"右足ＩＫ", u"左つま先ＩＫ", u"右つま先ＩＫ"}) {
        const PmxBone& is = boneNamed(rig, name);
        const PmxBone& was = game.bones[static_cast<std::size_t>(indexOf(game, name))].bone;
        EXPECT_TRUE(rig.bones[static_cast<std::size_t>(is.ik.target)].bone.name ==
                    game.bones[static_cast<std::size_t>(was.ik.target)].bone.name);
        ASSERT_EQ(is.ik.links.size(), was.ik.links.size());
        for (std::size_t l = 0; l < is.ik.links.size(); ++l) {
            EXPECT_TRUE(rig.bones[static_cast<std::size_t>(is.ik.links[l].bone)].bone.name ==
                        game.bones[static_cast<std::size_t>(was.ik.links[l].bone)].bone.name);
            EXPECT_EQ(is.ik.links[l].lowerLimit, was.ik.links[l].lowerLimit);
        }
        EXPECT_EQ(is.ik.loopCount, was.ik.loopCount);
        EXPECT_EQ(is.ik.limitAngle, was.ik.limitAngle);
    }
}

TEST_F(StandardLayoutOfTheSample, DisplayFramesAndFaceMorphs) {
    std::vector<std::u16string> names;
    for (const PmxDisplayFrame& frame : rig.displayFrames) {
        names.push_back(frame.name);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Root", u"表情", u"センター", u"ＩＫ", u"体(上)", u"腕", u"指",
                                                  u"体(下)", u"足"}));
    const auto frameHolds = [&](std::size_t frame, std::u16string_view bone) {
        for (const PmxDisplayElement& e : rig.displayFrames[frame].elements) {
            if (!e.isMorph && rig.bones[static_cast<std::size_t>(e.index)].bone.name == bone) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(frameHolds(0, u"全ての親"));
    EXPECT_TRUE(frameHolds(2, u"センター") && frameHolds(2, u"グルーブ"));
    EXPECT_TRUE(frameHolds(3, u"左足IK親") && frameHolds(3, u"右つま先ＩＫ"));
    EXPECT_TRUE(frameHolds(5, u"左腕捩") && frameHolds(5, u"右肩P"));
    EXPECT_FALSE(frameHolds(5, u"左肩C") || frameHolds(5, u"左腕捩1"));
    EXPECT_TRUE(frameHolds(6, u"右中指２"));
    EXPECT_TRUE(frameHolds(7, u"下半身") && frameHolds(8, u"左つま先"));

    std::vector<std::u16string> morphs;
    for (const PmxMorph& morph : rig.morphs) {
        morphs.push_back(morph.name);
        EXPECT_EQ(morph.type, static_cast<std::uint8_t>(PmxMorphType::Bone));
    }
    EXPECT_EQ(morphs, (std::vector<std::u16string>{u"あ", u"い", u"う", u"え", u"お", u"上", u"下", u"困る", u"怒り"}));
    EXPECT_EQ(rig.displayFrames[1].elements.size(), morphs.size());
    // Every vowel opens the mouth: the jaw's tip, which points forward and
    // down, swings further down.
    const std::int32_t jaw = indexOf(rig, u"あご");
    for (std::size_t vowel = 0; vowel < 5; ++vowel) {
        ASSERT_EQ(rig.morphs[vowel].boneOffsets.size(), 1u);
        const PmxBoneOffset& offset = rig.morphs[vowel].boneOffsets[0];
        EXPECT_EQ(offset.bone, jaw);
        // A turn about +x by a negative angle: x < 0 with w > 0.
        EXPECT_LT(offset.rotation.x, 0.0f) << vowel;
        EXPECT_GT(offset.rotation.w, 0.95f) << vowel;
    }
}

// The twist's grant bones share out the arm's weights along it; every
// vertex keeps its total weight and its place.
TEST(StandardSkeletonWeights, SpreadAlongTheLimbsWithoutMovingTheMesh) {
    Sample standard = loadSample(ConversionMode::Standard);
    Sample mmd = loadSample(ConversionMode::NamesAndAxes);
    const PmxRig rig =
        layoutBones(standard.model, standard.skeleton, ConversionMode::Standard, standard.bones, standard.iks);
    const PmxRig gameRig = layoutBones(mmd.model, mmd.skeleton, ConversionMode::NamesAndAxes, mmd.bones, mmd.iks);
    const PmxModel onStandard = dffToPmx(standard.model, standard.skeleton, rig, test::makeTexts());
    const PmxModel onGame = dffToPmx(mmd.model, mmd.skeleton, gameRig, test::makeTexts());
    const PmxVertices& a = onStandard.vertices;
    const PmxVertices& b = onGame.vertices;
    ASSERT_EQ(a.size(), b.size());
    const auto boneOf = [](const PmxVertices& v, std::size_t k, std::size_t l) -> std::int32_t {
        return v.bones.empty() ? v.smallBones[k][l] : v.bones[k][l];
    };
    const auto weightOf = [](const PmxVertices& v, std::size_t k, std::size_t l) {
        const Vec4& w = v.weights[k];
        return l == 0 ? w.x : l == 1 ? w.y : l == 2 ? w.z : w.w;
    };
    std::map<std::u16string, int> weighted;
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_EQ(a.positions[k], b.positions[k]) << k;
        float total = 0, totalBefore = 0;
        for (std::size_t l = 0; l < 4; ++l) {
            total += weightOf(a, k, l);
            totalBefore += weightOf(b, k, l);
            if (weightOf(a, k, l) > 0) {
                ++weighted[rig.bones[static_cast<std::size_t>(boneOf(a, k, l))].bone.name];
            }
        }
        EXPECT_NEAR(total, totalBefore, 1e-6f) << k;
    }
    // Steering bones carry nothing; the twists and their steps do.
    for (const char16_t* name : {u"全ての親", u"センター", u"左肩P", u"左肩C", u"左足IK親", u"右足ＩＫ"}) {
        EXPECT_EQ(weighted[name], 0) << utf16ToUtf8(name);
    }
    for (const char16_t* name : {u"左腕捩1", u"左腕捩2", u"左腕捩3", u"右手捩2"}) {
        EXPECT_GT(weighted[name], 0) << utf16ToUtf8(name);
    }
}

}  // namespace
}  // namespace zorvek

namespace zorvek {
namespace {

// Models without the game's skeleton (bones the tables do not know, no
// arms, a long chain): the parts of the standard skeleton they lack are
// left out, and what is there stays a sound PMX hierarchy.
struct PartialModel {
    const char* name;
    int chainBones;  // 0: the small writer model with legs
    std::size_t added;
};

class StandardLayoutOfOtherModels : public testing::TestWithParam<PartialModel> {};

TEST_P(StandardLayoutOfOtherModels, AddsOnlyWhatTheirBonesAllow) {
    const PartialModel& c = GetParam();
    test::PreparedModel model = c.chainBones == 0 ? test::makeWriterModel() : test::makeChainModel(c.chainBones);
    const BoneTable bones = test::makeWriterBoneTable();
    const IkTable iks = test::makeWriterIkTable();
    const PmxRig game = layoutBones(model, model.skeleton, ConversionMode::NamesAndAxes, bones, iks);
    const PmxRig rig = layoutBones(model, model.skeleton, ConversionMode::Standard, bones, iks);
    EXPECT_EQ(rig.bones.size(), game.bones.size() + c.added);
    for (std::size_t i = 0; i < rig.bones.size(); ++i) {
        EXPECT_LT(rig.bones[i].bone.parent, static_cast<std::int32_t>(i)) << i;
    }
    std::vector<bool> used(rig.bones.size(), false);
    for (std::int32_t bone : rig.skinBoneIndex) {
        ASSERT_GE(bone, 0);
        EXPECT_FALSE(used[static_cast<std::size_t>(bone)]) << bone;
        used[static_cast<std::size_t>(bone)] = true;
        EXPECT_EQ(rig.bones[static_cast<std::size_t>(bone)].role, RigBoneRole::Frame);
    }
    const PmxModel pmx = dffToPmx(model, model.skeleton, rig, test::makeTexts());
    EXPECT_EQ(pmx.bones.size(), rig.bones.size());
}

INSTANTIATE_TEST_SUITE_P(Models, StandardLayoutOfOtherModels,
                         testing::Values(
                             // 全ての親 and センター always; the writer model's leg has no foot,
                             // so no IK parent, and no arm to twist.
                             PartialModel{"Writer", 0, 2}, PartialModel{"Chain", 6, 2},
                             PartialModel{"LongChain", 300, 2}),
                         [](const testing::TestParamInfo<PartialModel>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

namespace zorvek {
namespace {

// A skin may list more vertices than the geometry holds (files from the
// wild, and the fuzzer, have them). The geometry checks look at the mesh's
// vertices only, so the rest must not reach the renumbering of the skin
// bones, where a stray bone number would index past the rig.
TEST(StandardLayoutOfLongSkins, ConvertAsIfTheSkinEndedWithTheGeometry) {
    const auto build = [](std::size_t extraSkinEntries) {
        Sample sample = loadSample(ConversionMode::Standard);
        for (std::size_t k = 0; k < extraSkinEntries; ++k) {
            sample.model.boneIndices.push_back({255, 200, 130, 7});
            sample.model.boneWeights.push_back({1, 0, 0, 0});
        }
        const ByteBlock bytes = buildPmx(sample.model, sample.skeleton, ConversionMode::Standard, sample.bones,
                                         sample.iks, test::makeTexts(), [](const std::string&) {});
        return Bytes(bytes.begin(), bytes.end());
    };
    const Bytes plain = build(0);
    EXPECT_EQ(build(1), plain);
    EXPECT_EQ(build(1000), plain);
}

}  // namespace
}  // namespace zorvek

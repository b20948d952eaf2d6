// The pieces of turning an MMD motion into a game animation: finding the
// motion's bones in the rig, the IK links' limits, dropping keys, and the
// tracks and keys the animation gets.

#include "base/ShiftJis.h"
#include "ifp/IfpQuantisation.h"
#include "ifp/IfpWriter.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/AnimationBuilder.h"
#include "motion/KeyReduction.h"
#include "motion/MmdPoser.h"
#include "motion/RigMotion.h"
#include "support/ExpectError.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);
constexpr double pi = std::numbers::pi;

VmdBoneTrack keysOf(std::string sjisName, std::vector<std::uint32_t> frames) {
    VmdBoneTrack bone{std::move(sjisName), {}};
    for (const std::uint32_t frame : frames) {
        bone.keys.push_back({frame, {}, {0, 0, 0, 1}, {}});
    }
    return bone;
}

TEST(BindMotion, FindsBonesByTheirFirst15ShiftJisBytesAndCountsTheKeysOfOthers) {
    MotionRig rig;
    rig.bones.resize(3);
    rig.bones[0].name = u"センター";
    rig.bones[1].name = u"Bip01 L Clavicle@31";  // 19 bytes: motions hold its first 15
    rig.bones[2].name = u"左足首ななめ上";       // 14 bytes: a cut name may end before byte 15
    rig.ikBones.resize(1);
    rig.ikBones[0].name = u"左足ＩＫ";
    VmdMotion file;
    file.bones.push_back(keysOf("Bip01 L Clavicl", {0, 4}));
    file.bones.push_back(keysOf(toShiftJis(u"全ての親"), {0, 1, 2}));
    file.bones.push_back(keysOf(toShiftJis(u"左足ＩＫ"), {7}));
    file.bones.push_back(keysOf(toShiftJis(u"センター"), {3, 9}));
    file.bones.push_back(keysOf(cutShiftJis(toShiftJis(u"左足首ななめ上"), 15), {1}));
    file.bones.push_back(keysOf(toShiftJis(u"両目"), {20}));  // the latest key, of a bone the rig lacks
    const RigMotion motion = bindMotion(rig, file);
    ASSERT_NE(motion.boneKeys[0], nullptr);
    EXPECT_EQ(motion.boneKeys[0]->back().frame, 9u);
    ASSERT_NE(motion.boneKeys[1], nullptr);
    EXPECT_EQ(motion.boneKeys[1]->size(), 2u);
    ASSERT_NE(motion.boneKeys[2], nullptr);
    ASSERT_NE(motion.ikKeys[0], nullptr);
    EXPECT_EQ(motion.ikKeys[0]->front().frame, 7u);
    EXPECT_EQ(motion.ikSjisNames[0], toShiftJis(u"左足ＩＫ"));
    EXPECT_EQ(motion.ignoredKeys, 4u);
    EXPECT_EQ(motion.lastFrame, 9u) << "keys of bones the rig lacks do not make the animation longer";
    EXPECT_TRUE(motion.anyKey);
}

Quaternion aboutAxis(double degrees, const Point& axis) {
    return glm::angleAxis(degrees * pi / 180.0, axis);
}

struct LimitCase {
    const char* name;
    Quaternion turn;
    Quaternion expected;
};

// The knee's row of the IK table: X from -180 to -0.5 degrees, Y and Z fixed.
class KneeLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(KneeLimits, KeepTheTurnAboutXWithinTheRange) {
    const Point lower(-pi, 0, 0);
    const Point upper(-0.5 * pi / 180.0, 0, 0);
    const Quaternion got = limitedTurn(GetParam().turn, lower, upper);
    EXPECT_NEAR(std::abs(glm::dot(got, GetParam().expected)), 1.0, 1e-12)
        << got.w << " " << got.x << " " << got.y << " " << got.z;
}

INSTANTIATE_TEST_SUITE_P(
    Knee, KneeLimits,
    testing::Values(LimitCase{"BentWithin", aboutAxis(-60, {1, 0, 0}), aboutAxis(-60, {1, 0, 0})},
                    LimitCase{"BentTheWrongWay", aboutAxis(30, {1, 0, 0}), aboutAxis(-0.5, {1, 0, 0})},
                    LimitCase{"Straight", Quaternion(1, 0, 0, 0), aboutAxis(-0.5, {1, 0, 0})},
                    LimitCase{"SidewaysDropped", aboutAxis(20, {0, 1, 0}), aboutAxis(-0.5, {1, 0, 0})},
                    LimitCase{"TwistDropped", aboutAxis(-40, {1, 0, 0}) * aboutAxis(25, {0, 0, 1}),
                              aboutAxis(-40, {1, 0, 0})}),
    [](const auto& info) { return std::string(info.param.name); });

IfpKey keyAt(int frame, const Quaternion& q, const Vec3& t = {}) {
    return {{static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)},
            t,
            static_cast<float>(frame) / 30.0f};
}

std::vector<IfpKey> swing(int frames, const std::function<double(int)>& degrees) {
    std::vector<IfpKey> keys;
    for (int frame = 0; frame < frames; ++frame) {
        keys.push_back(keyAt(frame, aboutAxis(degrees(frame), glm::normalize(Point(1, 2, 3)))));
    }
    return keys;
}

struct ReductionCase {
    const char* name;
    std::vector<IfpKey> keys;
    std::vector<float> keptTimes;
};

class KeyReduction : public testing::TestWithParam<ReductionCase> {};

TEST_P(KeyReduction, KeepsTheKeysInterpolationCannotGiveBack) {
    const std::vector<IfpKey> kept = reduceKeys(GetParam().keys, true, {});
    std::vector<float> times;
    for (const IfpKey& key : kept) {
        times.push_back(key.time);
    }
    EXPECT_EQ(times, GetParam().keptTimes);
}

INSTANTIATE_TEST_SUITE_P(
    Tracks, KeyReduction,
    testing::Values(ReductionCase{"Still", swing(300, [](int) { return 10.0; }), {0.0f, 299 / 30.0f}},
                    ReductionCase{"SteadyTurn", swing(91, [](int f) { return 2.0 * f; }), {0.0f, 3.0f}},
                    ReductionCase{"TurnAndBack",
                                  swing(41, [](int f) { return f <= 20 ? 2.0 * f : 80.0 - 2.0 * f; }),
                                  {0.0f, 20 / 30.0f, 40 / 30.0f}},
                    ReductionCase{"OneOrTwoKeysStay", swing(2, [](int f) { return f * 50.0; }), {0.0f, 1 / 30.0f}},
                    ReductionCase{"AMillimetreStepIsKept",
                                  {keyAt(0, {1, 0, 0, 0}), keyAt(1, {1, 0, 0, 0}),
                                   keyAt(2, {1, 0, 0, 0}, {0.002f, 0, 0}), keyAt(3, {1, 0, 0, 0}, {0.002f, 0, 0})},
                                  {0.0f, 1 / 30.0f, 2 / 30.0f, 3 / 30.0f}}),
    [](const auto& info) { return std::string(info.param.name); });

Quaternion stored(const IfpKey& key) {
    const Vec4 q = storedRotation(key.rotation);
    return glm::normalize(Quaternion(q.w, q.x, q.y, q.z));
}

// A wandering track: every key dropped is within the tolerance of glm's
// short-arc slerp between the stored keys kept around it.
TEST(KeyReductionTolerance, EveryDroppedKeyIsWithinTheToleranceOfItsNeighbours) {
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.4);
    std::vector<IfpKey> keys;
    Point angles(0.0);
    for (int frame = 0; frame < 600; ++frame) {
        angles += Point(step(random), step(random), step(random)) * (frame % 97 < 50 ? 1.0 : 0.05);
        const Quaternion q =
            aboutAxis(angles.x, {1, 0, 0}) * aboutAxis(angles.y, {0, 1, 0}) * aboutAxis(angles.z, {0, 0, 1});
        keys.push_back(keyAt(frame, q, {static_cast<float>(angles.x * 0.001), 0, 0}));
    }
    const std::vector<IfpKey> kept = reduceKeys(keys, true, {});
    ASSERT_GE(kept.size(), 2u);
    EXPECT_LT(kept.size(), keys.size());
    EXPECT_EQ(kept.front(), keys.front());
    EXPECT_EQ(kept.back(), keys.back());
    std::size_t next = 1;
    double worstDegrees = 0;
    double worstMetres = 0;
    for (const IfpKey& key : keys) {
        while (next + 1 < kept.size() && kept[next].time < key.time) {
            ++next;
        }
        const IfpKey& a = kept[next - 1];
        const IfpKey& b = kept[next];
        const double u = (key.time - a.time) / (b.time - a.time);
        Quaternion qb = stored(b);
        if (glm::dot(stored(a), qb) < 0) {
            qb = -qb;
        }
        const Quaternion between = glm::slerp(stored(a), qb, u);
        worstDegrees = std::max(worstDegrees,
                                2.0 * std::acos(std::min(1.0, std::abs(glm::dot(between, stored(key))))) * 180.0 / pi);
        const double x = std::round(a.translation.x * 1024.0) / 1024.0;
        const double y = std::round(b.translation.x * 1024.0) / 1024.0;
        worstMetres =
            std::max(worstMetres, std::abs(x + (y - x) * u - std::round(key.translation.x * 1024.0) / 1024.0));
    }
    EXPECT_LE(worstDegrees, 0.05 + 1e-6);
    EXPECT_LE(worstMetres, 0.0005 + 1e-9);
    std::printf("%zu of %zu keys kept; worst %.4f degrees, %.5f m\n", kept.size(), keys.size(), worstDegrees,
                worstMetres);
}

// The sample in the mode that keeps the frames' own axes, where a bone the
// motion leaves alone keeps its frame's rotation and needs no track.
class SampleAnimation : public testing::Test {
protected:
    SampleAnimation()
        : model(DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                }).prepare(ConversionMode::None, tables)) {
        rig = makeMotionRig(model, tables);
    }

    IfpAnimation build(const VmdMotion& file, bool allKeys, std::vector<std::string>* warnings = nullptr) const {
        const std::optional<KeyTolerance> reduction =
            allKeys ? std::nullopt : std::optional<KeyTolerance>(KeyTolerance{});
        return buildAnimation(rig, model.model(), file, "test", reduction, [&](const std::string& warning) {
            if (warnings != nullptr) {
                warnings->push_back(warning);
            }
        });
    }

    VmdBoneTrack moved(std::size_t bone, float offset) const {
        VmdBoneTrack keys = keysOf(toShiftJis(rig.bones[bone].name), {0, 6});
        keys.keys[1].position = {0, offset, 0};
        return keys;
    }

    ConversionTables tables = loadConversionTables(source / "data");
    PreparedConversion model;
    MotionRig rig;
};

TEST_F(SampleAnimation, BoneZeroAndTheBonesTheMotionMovesGetTracksKeyedAtEveryFrame) {
    VmdMotion file;
    file.bones.push_back(moved(5, 0.05f));    // 5 mm in the game: a translation track
    file.bones.push_back(moved(6, 0.0005f));  // 0.05 mm: the frame's own translation
    VmdBoneTrack turned = keysOf(toShiftJis(rig.bones[7].name), {0, 6});
    turned.keys[1].rotation = {0, 0.3826834f, 0, 0.9238795f};
    file.bones.push_back(turned);
    file.bones.push_back(keysOf(toShiftJis(u"グルーブ"), {0, 3, 6}));
    std::vector<std::string> warnings;
    const IfpAnimation animation = build(file, true, &warnings);
    EXPECT_EQ(warnings, std::vector<std::string>{"モデルにないボーンのキーを無視しました (3)"});
    ASSERT_EQ(animation.tracks.size(), 3u);
    const auto frameOf = [&](std::size_t bone) { return model.model().frames[*rig.bones[bone].frame]; };
    const std::size_t expectedBones[] = {0, 5, 7};
    const bool expectedTranslation[] = {true, true, false};
    for (std::size_t i = 0; i < 3; ++i) {
        const IfpTrack& track = animation.tracks[i];
        EXPECT_EQ(track.boneId, frameOf(expectedBones[i]).boneId);
        EXPECT_EQ(track.name, frameOf(expectedBones[i]).frameName);
        EXPECT_EQ(track.hasTranslation, expectedTranslation[i]);
        ASSERT_EQ(track.keys.size(), 7u);
        for (std::size_t frame = 0; frame < 7; ++frame) {
            EXPECT_EQ(std::lround(track.keys[frame].time * 60.0f), static_cast<long>(2 * frame));
        }
    }
    // Half a centimetre, as the parent's axes turn it into the game's.
    const Vec3 rest = frameOf(5).translation;
    const Vec3 last = animation.tracks[1].keys.back().translation;
    EXPECT_NEAR(std::hypot(last.x - rest.x, last.y - rest.y, last.z - rest.z), 0.005, 1e-6);
}

TEST_F(SampleAnimation, KeysAreDroppedUnlessAllAreKept) {
    VmdMotion file;
    file.bones.push_back(moved(0, 3.0f));
    EXPECT_EQ(build(file, true).tracks.at(0).keys.size(), 7u);
    EXPECT_EQ(build(file, false).tracks.at(0).keys.size(), 2u) << "a straight move needs its two ends";
}

TEST_F(SampleAnimation, AMotionLongerThanAnIfpHoldsIsRefusedBeforeItIsPlayed) {
    for (const std::uint32_t last : {16384u, 0xffffffffu}) {
        VmdMotion file;
        file.bones.push_back(keysOf(toShiftJis(rig.bones[0].name), {0, last}));
        EXPECT_USER_ERROR(build(file, true), "IFPに書けない長さのアニメーションです (546秒まで): test");
    }
}

TEST_F(SampleAnimation, KeysAtPlacesNoNumberOrNoIfpHoldsAreRefused) {
    const std::string root = model.model().frames[*rig.bones[0].frame].frameName;
    const struct {
        float offset;
        std::string message;
    } cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), "VMDに扱えない値のキーがあります: " + root},
        {std::numeric_limits<float>::infinity(), "VMDに扱えない値のキーがあります: " + root},
        {std::numeric_limits<float>::max(), "ルートの移動がIFPに書ける範囲 (±32m) を超えています: test"},
    };
    for (const auto& c : cases) {
        VmdMotion file;
        file.bones.push_back(moved(0, c.offset));
        file.bones.push_back(moved(1, c.offset));
        EXPECT_USER_ERROR(writeAnp3({IfpFormat::Anp3, "x", {build(file, true)}}), c.message) << c.offset;
    }
}

TEST_F(SampleAnimation, AMotionForOtherBonesIsWarnedAboutAndStandsStill) {
    VmdMotion file;
    file.bones.push_back(keysOf(toShiftJis(u"全ての親"), {0}));
    std::vector<std::string> warnings;
    const IfpAnimation animation = build(file, false, &warnings);
    EXPECT_EQ(warnings, (std::vector<std::string>{"モデルにないボーンのキーを無視しました (1)",
                                                  "モデルのボーンを動かすキーがありません"}));
    ASSERT_EQ(animation.tracks.size(), 1u);
    EXPECT_EQ(animation.tracks[0].keys.size(), 1u);
}

}  // namespace
}  // namespace zorvek

// Motions made for standard MMD models, played on the sample converted to
// the standard skeleton and carried into the game: grants, twists, the
// steering bones and lip sync all reach the game's bones.
#include "MotionTestRig.h"
#include "base/ShiftJis.h"
#include "ifp/IfpReader.h"
#include "ifp/IfpWriter.h"
#include "jobs/ConversionTables.h"
#include "jobs/MotionJob.h"
#include "motion/MmdPoser.h"
#include "motion/MotionRig.h"
#include "motion/RigMotion.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <numbers>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

const ConversionTables& shippedTables() {
    static const ConversionTables tables = loadConversionTables(source / "data");
    return tables;
}

PreparedConversion standardSample() {
    return DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {})
        .prepare(ConversionMode::Standard, shippedTables());
}

double degreesBetween(const Quaternion& a, const Quaternion& b) {
    const double dot = std::min(1.0, std::abs(glm::dot(glm::normalize(a), glm::normalize(b))));
    return 2.0 * std::acos(dot) * 180.0 / std::numbers::pi;
}

Vec4 turn(double degrees, glm::dvec3 axis) {
    const glm::dquat q = glm::angleAxis(glm::radians(degrees), glm::normalize(axis));
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

VmdBoneTrack track(std::u16string_view bone, std::vector<VmdBoneKey> keys) {
    return {toShiftJis(bone), std::move(keys)};
}

// A dance-like motion over 40 frames: every kind of bone a standard dance keys.
VmdMotion standardDance() {
    VmdMotion motion;
    motion.bones = {
        track(u"全ての親", {{0, {}, {0, 0, 0, 1}}, {40, {2, 0, -1}, turn(30, {0, 1, 0})}}),
        track(u"センター",
              {{0, {}, {0, 0, 0, 1}}, {20, {1, -1.5f, 0.5f}, turn(-20, {0, 1, 0})}, {40, {}, {0, 0, 0, 1}}}),
        track(u"グルーブ", {{0, {}, {0, 0, 0, 1}}, {20, {0, 0.8f, 0}, {0, 0, 0, 1}}}),
        track(u"下半身", {{0, {}, {0, 0, 0, 1}}, {40, {}, turn(35, {0, 1, 0.2})}}),
        track(u"上半身", {{0, {}, {0, 0, 0, 1}}, {40, {}, turn(-50, {0.3, 1, 0})}}),
        track(u"首", {{0, {}, {0, 0, 0, 1}}, {20, {}, turn(25, {1, 0, 0})}}),
        track(u"左肩P", {{0, {}, {0, 0, 0, 1}}, {30, {}, turn(20, {0, 0, 1})}}),
        track(u"左腕", {{0, {}, {0, 0, 0, 1}}, {30, {}, turn(40, {0, 0, 1})}}),
        track(u"左腕捩", {{0, {}, {0, 0, 0, 1}}, {40, {}, turn(160, {0.8, -0.6, 0})}}),
        track(u"左手捩", {{0, {}, {0, 0, 0, 1}}, {40, {}, turn(-90, {0.8, -0.6, 0})}}),
        track(u"右ひじ", {{0, {}, {0, 0, 0, 1}}, {20, {}, turn(70, {0, 1, 0})}}),
        track(u"右中指１", {{0, {}, {0, 0, 0, 1}}, {20, {}, turn(50, {0, 0, 1})}}),
        track(u"左足ＩＫ", {{0, {}, {0, 0, 0, 1}}, {20, {0, 1.5f, -1}, {0, 0, 0, 1}}}),
        track(u"両目", {{0, {}, turn(10, {1, 0, 0})}}),
    };
    motion.morphs = {
        {toShiftJis(u"あ"), {{0, 0}, {10, 1}, {20, 0}}},
        {toShiftJis(u"お"), {{20, 0}, {30, 1}}},
        {toShiftJis(u"まばたき"), {{0, 1}}},
    };
    return motion;
}

// Each game bone turns in the game's world as the PMX bone that follows
// its frame turns in MMD's, the grants of 肩C and the twists included.
TEST(StandardSkeletonMotion, EveryGameBoneTurnsAsItsMmdBoneInTheWorld) {
    const PreparedConversion model = standardSample();
    const MotionRig rig = makeMotionRig(model, shippedTables());
    const VmdMotion dance = standardDance();
    std::vector<std::string> warnings;
    const IfpAnimation built =
        MotionTarget(model, shippedTables()).buildAnimation(dance, "dance", true, [&](const std::string& w) {
            warnings.push_back(w);
        });
    // Only 両目's key is the model's to lack; morphs it lacks are not bones.
    EXPECT_EQ(warnings, std::vector<std::string>{"モデルにないボーンのキーを無視しました (1)"});
    const IfpAnimation read = readIfp(writeAnp3({IfpFormat::Anp3, "x", {built}}).span()).animations.at(0);

    const RigMotion bound = bindMotion(rig, dance);
    MmdPoser poser(rig, bound);
    const Rotation mmdToGame = glm::transpose(gameToMmdRotation());
    double worst = 0;
    for (std::uint32_t frame = 0; frame <= bound.lastFrame; ++frame) {
        poser.poseAt(frame);
        const auto game = test::gameWorldPose(model.model(), read, static_cast<float>(frame) / 30.0f);
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            if (!rig.bones[bone].frame) {
                continue;
            }
            const Rotation shown = mmdToGame * glm::mat3_cast(poser.bones()[bone].world) * rig.bones[bone].axes;
            const Rotation played = glm::transpose(game[*rig.bones[bone].frame].rotation);
            const double degrees = degreesBetween(glm::quat_cast(shown), glm::quat_cast(played));
            worst = std::max(worst, degrees);
            ASSERT_LT(degrees, 0.1) << "frame " << frame << " bone " << bone;
        }
    }
    std::printf("standard dance: %zu tracks, largest world turn error %.4f degrees\n", read.tracks.size(), worst);
}

// What the grants do to the pose, seen from the world: a lifted shoulder
// leaves the arm's turn as it was, and a twist turns its steps by their shares.
TEST(StandardSkeletonMotion, GrantsTurnBackTheShoulderAndShareTheTwist) {
    const PreparedConversion model = standardSample();
    const MotionRig rig = makeMotionRig(model, shippedTables());
    const auto bone = [&](std::u16string_view name) {
        for (std::size_t i = 0; i < rig.bones.size(); ++i) {
            if (rig.bones[i].name == name) {
                return i;
            }
        }
        ADD_FAILURE() << "no such bone";
        return std::size_t{0};
    };
    VmdMotion motion;
    const Vec4 twist = turn(120, {0.8, -0.6, 0});
    motion.bones = {track(u"左肩P", {{0, {}, turn(30, {0, 0, 1})}}), track(u"左腕捩", {{0, {}, twist}})};
    const RigMotion bound = bindMotion(rig, motion);
    MmdPoser poser(rig, bound);
    poser.poseAt(0);
    const auto world = [&](std::u16string_view name) { return poser.bones()[bone(name)].world; };
    EXPECT_LT(degreesBetween(world(u"左腕"), world(u"上半身2")), 1e-9);
    // The keys are single precision: their angles are met to about 1e-6 degrees.
    EXPECT_NEAR(degreesBetween(world(u"左肩"), world(u"上半身2")), 30, 1e-5);
    const Quaternion full = unitQuaternion(twist);
    for (const auto& [name, share] : {std::pair{u"左腕捩1", 0.25}, {u"左腕捩2", 0.5}, {u"左腕捩3", 0.75}}) {
        const Quaternion local = glm::conjugate(world(u"左腕")) * world(name);
        EXPECT_LT(degreesBetween(local, shareOfTurn(full, share)), 1e-9);
        EXPECT_NEAR(degreesBetween(local, Quaternion(1, 0, 0, 0)), 120 * share, 1e-5);
    }
    EXPECT_NEAR(degreesBetween(glm::conjugate(world(u"左腕")) * world(u"左ひじ"), Quaternion(1, 0, 0, 0)), 120, 1e-5);
}

// Lip sync: the vowels' weights open the jaw in MMD and so in the game,
// where the Jaw gets a track that follows them.
TEST(StandardSkeletonMotion, LipSyncMovesTheGamesJaw) {
    const PreparedConversion model = standardSample();
    VmdMotion motion;
    motion.morphs = {{toShiftJis(u"あ"), {{0, 0}, {10, 1}, {20, 0.5f}}}};
    const IfpAnimation built =
        MotionTarget(model, shippedTables()).buildAnimation(motion, "talk", true, [](const std::string&) {});
    const IfpTrack* jaw = nullptr;
    for (const IfpTrack& t : built.tracks) {
        jaw = t.boneId == 8 ? &t : jaw;
    }
    ASSERT_NE(jaw, nullptr);
    ASSERT_EQ(jaw->keys.size(), 21u);
    const auto degreesFromRest = [&](std::size_t key) {
        return degreesBetween(unitQuaternion(jaw->keys[key].rotation), unitQuaternion(jaw->keys[0].rotation));
    };
    // あ turns the jaw by 24 degrees at full weight, and linearly between keys.
    EXPECT_NEAR(degreesFromRest(10), 24, 0.01);
    EXPECT_NEAR(degreesFromRest(5), 12, 0.01);
    EXPECT_NEAR(degreesFromRest(20), 12, 0.01);
}

TEST(MorphWeightAt, LinearBetweenKeysHeldOutsideAndTheLastOfAFrameRules) {
    const std::vector<VmdMorphKey> keys = {{10, 0.2f}, {20, 1.0f}, {20, 0.5f}, {30, 0.0f}};
    struct Case {
        std::uint32_t frame;
        double weight;
    };
    for (const Case& c : {Case{0, 0.2}, Case{10, 0.2}, Case{15, 0.6}, Case{20, 0.5}, Case{25, 0.25}, Case{99, 0.0}}) {
        EXPECT_NEAR(morphWeightAt(keys, c.frame), c.weight, 1e-6) << c.frame;
    }
    EXPECT_EQ(morphWeightAt({{0, std::nanf("")}}, 0), 0.0);
    EXPECT_EQ(morphWeightAt({}, 5), 0.0);
}

}  // namespace
}  // namespace zorvek

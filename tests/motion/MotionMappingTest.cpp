// The motion against the game: MMD's forward kinematics of the written keys,
// computed here on its own, must put every joint and every bone's axes where
// the game's pose, mapped into the PMX, puts them, at every frame, in every mode.

#include "MotionTestRig.h"
#include "base/ShiftJis.h"

#include "convert/BoneLayout.h"
#include "ifp/IfpReader.h"
#include "jobs/ConversionTables.h"
#include "motion/MotionBuilder.h"
#include "motion/MotionRig.h"
#include "skeleton/Skeleton.h"
#include "support/ifp/IfpBuilder.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>

namespace zorvek {
namespace {

constexpr double tolerance = 1e-4;
// The tables' directions have four digits, so a turned bone's PMX axes are
// orthonormal only to about 5e-5; ten units along them MMD can only turn.
constexpr double axisTolerance = 1e-3;

const ConversionTables& shippedTables() {
    static const ConversionTables tables = loadConversionTables(std::filesystem::path(ZORVEK_SOURCE_DIR) / "data");
    return tables;
}

Vec4 stored(const glm::dquat& q) {
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

glm::dquat restRotationOf(const DffFrame& frame) {
    glm::dmat3 row;
    for (int r = 0; r < 3; ++r) {
        const Vec3& v = frame.rotation[static_cast<std::size_t>(r)];
        row[0][r] = v.x;
        row[1][r] = v.y;
        row[2][r] = v.z;
    }
    return glm::quat_cast(glm::transpose(row));
}

struct TrackShape {
    std::int32_t boneId;
    glm::dvec3 axis;
    double degrees;  // swing amplitude
    int lastTick;    // where the track's keys end (1/60 s)
    bool translation;
    bool negateOdd;  // store every other key as -q: the same rotation, the long way round
};

IfpTrack swingTrack(const DffModel& model, const TrackShape& shape) {
    const auto frame = std::find_if(model.frames.begin(), model.frames.end(),
                                    [&](const DffFrame& f) { return f.boneId == shape.boneId; });
    IfpTrack track;
    track.name = frame->frameName;
    track.boneId = shape.boneId;
    track.hasTranslation = shape.translation;
    glm::dquat rest = restRotationOf(*frame);
    if (shape.boneId == 0) {
        // Turned to face the game's +y, as a ped's animations stand it.
        rest = glm::angleAxis(glm::pi<double>(), glm::dvec3(0, 0, 1)) * rest;
    }
    // Keys every 6 ticks, one on an odd tick (a half frame), and a jump: two keys at tick 24.
    std::vector<int> ticks;
    for (int tick = 0; tick <= shape.lastTick; tick += 6) {
        ticks.push_back(tick);
        if (tick == 12) {
            ticks.push_back(15);
        }
        if (tick == 24) {
            ticks.push_back(24);
        }
    }
    if (ticks.back() != shape.lastTick) {
        ticks.push_back(shape.lastTick);
    }
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double phase = ticks[i] / 60.0 * 2 * glm::pi<double>() + (i % 3 == 2 ? 0.4 : 0.0);
        glm::dquat q = rest * glm::angleAxis(glm::radians(shape.degrees * std::sin(phase)), glm::normalize(shape.axis));
        if (shape.negateOdd && i % 2 == 1) {
            q = -q;
        }
        IfpKey key;
        key.rotation = stored(q);
        key.time = static_cast<float>(ticks[i]) / 60.0f;
        const Vec3 restOffset = frame->translation;
        key.translation = {restOffset.x + 0.05f * static_cast<float>(std::sin(phase)),
                           restOffset.y + 0.3f * static_cast<float>(ticks[i]) / 60.0f, restOffset.z + 0.02f};
        track.keys.push_back(key);
    }
    return track;
}

IfpAnimation walkAnimation(const DffModel& model) {
    const std::vector<TrackShape> shapes = {
        {0, {0, 0, 1}, 10, 60, true, false},    {1, {1, 0, 0}, 8, 60, true, true},
        {2, {0, 1, 0}, 5, 60, false, false},    {41, {0, 0, 1}, 35, 60, false, true},
        {42, {0, 0, 1}, 40, 54, false, false},  {43, {0, 1, 0}, 20, 60, false, false},
        {51, {0, 0, 1}, -35, 60, false, false}, {52, {0, 0, 1}, 40, 30, false, true},
        {53, {1, 0, 1}, 15, 60, false, false},  {32, {0, 1, 0}, 30, 42, false, false},
        {33, {0, 0, 1}, 25, 61, false, false},  {600, {1, 0, 0}, 45, 60, false, false},
    };
    IfpAnimation animation;
    animation.name = "walk_test";
    for (const TrackShape& shape : shapes) {
        animation.tracks.push_back(swingTrack(model, shape));
    }
    return animation;
}

struct Prepared {
    DffModel model;
    PreparedSkeleton skeleton;
    MotionRig rig;
    std::vector<test::MmdBone> mmdBones;
};

// `change` reshapes the layout's rig before the motion rig is made of it.
Prepared prepare(ConversionMode mode, const std::function<void(PmxRig&)>& change = {}) {
    Prepared p{test::makeMotionTestModel(), {}, {}, {}};
    const ConversionTables& tables = shippedTables();
    p.skeleton = prepareSkeleton(p.model, mode, tables.bones);
    PmxRig rig = layoutBones(p.model, p.skeleton, mode, tables.bones, tables.iks);
    if (change) {
        change(rig);
    }
    p.rig = makeMotionRig(rig, u"test.dff");
    for (const RigBone& bone : p.rig.bones) {
        p.mmdBones.push_back({bone.name, bone.parent, bone.rest});
    }
    const int skinCount = static_cast<int>(p.rig.bones.size());
    for (const RigIkBone& ik : p.rig.ikBones) {
        p.mmdBones.push_back({ik.name, ik.parentIk >= 0 ? skinCount + ik.parentIk : ik.parentBone, ik.rest});
    }
    return p;
}

glm::dvec3 row(const Matrix44& m, int r) {
    return {m.at(r, 0), m.at(r, 1), m.at(r, 2)};
}

class MotionMatchesTheGame : public testing::TestWithParam<ConversionMode> {};

TEST_P(MotionMatchesTheGame, JointsAndAxesAtEveryFrame) {
    Prepared p = prepare(GetParam());
    const IfpAnimation walk = walkAnimation(p.model);
    const VmdMotion motion = buildMotion(p.rig, p.model, walk, [](const std::string&) {});
    const std::uint32_t lastFrame = lastMotionFrame(walk);
    ASSERT_EQ(lastFrame, 31u);  // the last key at tick 61 is half a frame past frame 30
    // A track per frame bone and IK bone; the bones no frame has rest, but
    // for those that carry a frame bone's keys for it.
    std::size_t frameBones = 0;
    for (const RigBone& bone : p.rig.bones) {
        frameBones += bone.frame ? 1 : 0;
    }
    ASSERT_EQ(motion.bones.size(), frameBones + p.rig.ikBones.size());

    double largest = 0;
    for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
        const auto game = test::gameWorldPose(p.model, walk, static_cast<float>(frame) / 30.0f);
        const auto mmd = test::mmdWorldPose(p.mmdBones, motion, frame);
        for (std::size_t bone = 0; bone < p.rig.bones.size(); ++bone) {
            const RigBone& rigBone = p.rig.bones[bone];
            if (!rigBone.frame) {
                continue;
            }
            const test::RowPose& g = game[*rigBone.frame];
            const test::RowPose& m = mmd[bone];
            // A bone that stands away from its frame keeps its distance from it.
            const glm::dvec3 expected = test::mappedIntoPmx(g.position) + rigBone.frameOffset * m.rotation;
            largest = std::max(largest, glm::distance(m.position, expected));
            ASSERT_LT(glm::distance(m.position, expected), tolerance) << "frame " << frame << " bone " << bone;
            for (int axis = 0; axis < 3; ++axis) {
                // One game unit along the bone's own axis, and the PMX rest point of the same skin.
                const glm::dvec3 gamePoint =
                    g.position + glm::dvec3(g.rotation[0][axis], g.rotation[1][axis], g.rotation[2][axis]);
                const glm::dvec3 pmxOffset = 10.0 * row(p.skeleton.boneMatrices[*rigBone.frame - 1], axis);
                const glm::dvec3 mmdPoint = m.position - rigBone.frameOffset * m.rotation + pmxOffset * m.rotation;
                ASSERT_LT(glm::distance(mmdPoint, test::mappedIntoPmx(gamePoint)), axisTolerance)
                    << "frame " << frame << " bone " << bone << " axis " << axis;
            }
        }
        for (std::size_t ik = 0; ik < p.rig.ikBones.size(); ++ik) {
            const glm::dvec3 target = mmd[p.rig.ikBones[ik].targetBone].position;
            ASSERT_LT(glm::distance(mmd[p.rig.bones.size() + ik].position, target), tolerance)
                << "frame " << frame << " IK " << ik;
        }
    }
    RecordProperty("largest_joint_error", std::to_string(largest));  // for the benchmark notes
}

INSTANTIATE_TEST_SUITE_P(AllModes, MotionMatchesTheGame,
                         testing::Values(ConversionMode::None, ConversionMode::AxesAndBoneInfo,
                                         ConversionMode::NamesAndAxes, ConversionMode::Standard));

// A bone whose PMX parent is not its frame's parent in the game, as in a
// layout with bones no frame has: its keys come from the world poses.
TEST(MotionKeys, ABoneBelowAControlBoneStillFollowsItsFrame) {
    std::size_t moved = 0;
    Prepared p = prepare(ConversionMode::NamesAndAxes, [&](PmxRig& rig) {
        for (moved = 1; rig.bones[moved].bone.parent < 0; ++moved) {
        }
        PmxRigBone control;
        control.role = RigBoneRole::Control;
        control.bone.name = u"制御ボーン (テスト用)";
        control.bone.parent = rig.bones[moved].bone.parent;
        const Vec3 above = rig.bones[static_cast<std::size_t>(control.bone.parent)].bone.position;
        control.bone.position = above + Vec3{1, 2, 3};
        rig.bones.push_back(control);
        rig.bones[moved].bone.parent = static_cast<std::int32_t>(rig.bones.size() - 1);
        rig.bones[moved].parentIsGameParent = false;
    });
    const IfpAnimation walk = walkAnimation(p.model);
    const VmdMotion motion = buildMotion(p.rig, p.model, walk, [](const std::string&) {});
    const std::size_t control = p.rig.bones.size() - 1;
    ASSERT_FALSE(p.rig.bones[control].frame);
    EXPECT_EQ(p.rig.bones[moved].parent, static_cast<std::int32_t>(control));
    for (std::uint32_t frame = 0; frame <= lastMotionFrame(walk); ++frame) {
        const auto game = test::gameWorldPose(p.model, walk, static_cast<float>(frame) / 30.0f);
        const auto mmd = test::mmdWorldPose(p.mmdBones, motion, frame);
        for (std::size_t bone = 0; bone < control; ++bone) {
            const test::RowPose& g = game[*p.rig.bones[bone].frame];
            ASSERT_LT(glm::distance(mmd[bone].position, test::mappedIntoPmx(g.position)), tolerance)
                << "frame " << frame << " bone " << bone;
            const glm::dvec3 gamePoint = g.position + glm::dvec3(g.rotation[0][0], g.rotation[1][0], g.rotation[2][0]);
            const glm::dvec3 mmdPoint =
                mmd[bone].position + 10.0 * row(p.skeleton.boneMatrices[bone], 0) * mmd[bone].rotation;
            ASSERT_LT(glm::distance(mmdPoint, test::mappedIntoPmx(gamePoint)), axisTolerance)
                << "frame " << frame << " bone " << bone;
        }
    }
}

TEST(MotionKeys, UntrackedBonesOfAFullBodyAnimationHoldTheirRestPose) {
    for (ConversionMode mode : {ConversionMode::None, ConversionMode::NamesAndAxes}) {
        Prepared p = prepare(mode);
        const VmdMotion motion = buildMotion(p.rig, p.model, walkAnimation(p.model), [](const std::string&) {});
        // Spine1 (bone 3) has no track: the bind pose, which is the PMX rest pose only in the first mode.
        const auto track = std::find_if(motion.bones.begin(), motion.bones.end(), [&](const VmdBoneTrack& t) {
            return t.sjisName == toShiftJis(p.rig.bones[3].name);
        });
        ASSERT_NE(track, motion.bones.end());
        const Vec4 q = track->keys.front().rotation;
        const bool identity = std::abs(std::abs(q.w) - 1.0f) < 1e-6f;
        EXPECT_EQ(identity, mode == ConversionMode::None);
        for (const VmdBoneKey& key : track->keys) {
            EXPECT_EQ(key.rotation, q);
            EXPECT_EQ(key.position, Vec3{});
        }
    }
}

TEST(MotionKeys, APartialAnimationKeysItsTrackedBonesAsTheFullOneDoes) {
    Prepared p = prepare(ConversionMode::NamesAndAxes);
    const IfpAnimation full = walkAnimation(p.model);
    IfpAnimation arm;
    arm.name = "arm";
    for (const IfpTrack& track : full.tracks) {
        if (track.boneId == 32 || track.boneId == 33) {
            arm.tracks.push_back(track);
        }
    }
    const VmdMotion fullMotion = buildMotion(p.rig, p.model, full, [](const std::string&) {});
    const VmdMotion armMotion = buildMotion(p.rig, p.model, arm, [](const std::string&) {});
    ASSERT_EQ(armMotion.bones.size(), 2u);
    EXPECT_TRUE(armMotion.showIk.empty());
    ASSERT_EQ(fullMotion.showIk.size(), 1u);
    EXPECT_EQ(fullMotion.showIk[0].iks.size(), 4u);
    for (const VmdBoneTrack& track : armMotion.bones) {
        const auto same = std::find_if(fullMotion.bones.begin(), fullMotion.bones.end(),
                                       [&](const VmdBoneTrack& t) { return t.sjisName == track.sjisName; });
        ASSERT_NE(same, fullMotion.bones.end());
        ASSERT_EQ(track.keys.size(), same->keys.size());
        for (std::size_t i = 0; i < track.keys.size(); ++i) {
            EXPECT_EQ(track.keys[i].rotation, same->keys[i].rotation);
            EXPECT_EQ(track.keys[i].position, same->keys[i].position);
        }
    }
}

TEST(MotionKeys, TheSameAnimationFromEitherFileFormatMakesTheSameMotion) {
    Prepared p = prepare(ConversionMode::NamesAndAxes);
    IfpFile file;
    file.animations = {walkAnimation(p.model)};
    // Float keys in both, so that nothing is rounded: ANP3 types 1 and 2, and
    // ANPK, whose stored rotations the game negates.
    test::Anp3Options floats;
    floats.frameType = [&](std::size_t, std::size_t track) {
        return file.animations[0].tracks[track].hasTranslation ? 2 : 1;
    };
    const IfpFile anp3 = readIfp(test::buildAnp3(file, floats));
    const IfpFile anpk = readIfp(test::buildAnpk(file, true));
    const auto ignore = [](const std::string&) {};
    const VmdMotion fromAnp3 = buildMotion(p.rig, p.model, anp3.animations.at(0), ignore);
    const VmdMotion fromAnpk = buildMotion(p.rig, p.model, anpk.animations.at(0), ignore);
    ASSERT_EQ(fromAnp3.bones.size(), fromAnpk.bones.size());
    for (std::size_t t = 0; t < fromAnp3.bones.size(); ++t) {
        ASSERT_EQ(fromAnp3.bones[t].keys.size(), fromAnpk.bones[t].keys.size());
        for (std::size_t k = 0; k < fromAnp3.bones[t].keys.size(); ++k) {
            EXPECT_EQ(fromAnp3.bones[t].keys[k].rotation, fromAnpk.bones[t].keys[k].rotation);
            EXPECT_EQ(fromAnp3.bones[t].keys[k].position, fromAnpk.bones[t].keys[k].position);
        }
    }
}

}  // namespace
}  // namespace zorvek

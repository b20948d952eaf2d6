// Sampling the game's keys, binding tracks to frames, and the motion's length.

#include "motion/GamePose.h"
#include "motion/MotionBuilder.h"
#include "motion/PoseMath.h"

#include "support/ExpectError.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <limits>

namespace zorvek {
namespace {

Vec4 stored(const glm::dquat& q) {
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

glm::dquat turn(double degrees, glm::dvec3 axis) {
    return glm::angleAxis(glm::radians(degrees), glm::normalize(axis));
}

IfpKey key(float time, const glm::dquat& q, Vec3 translation = {}) {
    return {stored(q), translation, time};
}

// Rotations compared as rotations: q and -q are one.
double rotationDistance(const Rotation& a, const glm::dquat& q) {
    const Rotation b = glm::mat3_cast(q);
    double largest = 0;
    for (int c = 0; c < 3; ++c) {
        largest = std::max(largest, glm::length(a[c] - b[c]));
    }
    return largest;
}

TEST(SlerpShortArc, MatchesTheTextbookFormulaOnTheShorterArc) {
    const glm::dquat pairs[][2] = {
        {turn(0, {0, 0, 1}), turn(90, {0, 0, 1})},
        {turn(10, {1, 2, 3}), -turn(170, {3, -1, 2})},  // stored on the far side
        {turn(40, {0, 1, 0}), turn(40.0000001, {0, 1, 0})},
        {turn(179, {1, 0, 0}), turn(-179, {1, 0, 0})},
    };
    for (const auto& pair : pairs) {
        for (double u : {0.0, 0.25, 0.5, 0.9, 1.0}) {
            const Quaternion ours = slerpShortArc(pair[0], pair[1], u);
            const glm::dquat textbook = glm::slerp(pair[0], pair[1], u);  // glm also takes the shorter arc
            EXPECT_LT(rotationDistance(glm::mat3_cast(ours), textbook), 1e-12) << "u " << u;
        }
    }
}

TEST(SampleTrack, InterpolatesHoldsAndJumps) {
    const glm::dquat a = turn(0, {0, 0, 1}), b = turn(60, {0, 0, 1}), c = turn(-30, {1, 0, 0}), d = turn(90, {0, 1, 0});
    IfpTrack track;
    track.hasTranslation = true;
    // A late first key, a jump at 0.5 (two keys share the time) and an early end.
    track.keys = {key(0.25f, a, {0, 0, 0}), key(0.5f, b, {1, 0, 0}), key(0.5f, c, {5, 0, 0}), key(1.0f, d, {6, 2, 0})};
    struct Case {
        float time;
        glm::dquat rotation;
        glm::dvec3 translation;
    };
    const Case cases[] = {
        {0.0f, a, {0, 0, 0}},                          // before the first key: the first
        {0.375f, glm::slerp(a, b, 0.5), {0.5, 0, 0}},  // half way
        {0.5f, c, {5, 0, 0}},                          // at the jump: the later key
        {0.75f, glm::slerp(c, d, 0.5), {5.5, 1, 0}},   // after it, from the later key
        {1.0f, d, {6, 2, 0}},                          // the last key
        {3.0f, d, {6, 2, 0}},                          // held after it
        {0.375f, glm::slerp(a, b, 0.5), {0.5, 0, 0}},  // an earlier time again
    };
    std::size_t next = 0;
    for (const Case& c : cases) {
        const FramePose pose = sampleTrack(track, c.time, next);
        EXPECT_LT(rotationDistance(pose.rotation, c.rotation), 1e-6) << "time " << c.time;
        EXPECT_LT(glm::distance(pose.position, c.translation), 1e-6) << "time " << c.time;
    }
}

// Modded files carry keys before 0; the game plays from 0, so they shape
// the motion only up to the first key at or after it.
TEST(SampleTrack, KeysBeforeZeroShapeOnlyTheStart) {
    const glm::dquat a = turn(-40, {0, 0, 1}), b = turn(20, {0, 0, 1}), c = turn(35, {1, 0, 0});
    IfpTrack startsEarly;
    startsEarly.hasTranslation = true;
    startsEarly.keys = {key(-10 / 60.0f, c, {9, 9, 9}), key(-7 / 60.0f, a, {-7, 0, 0}), key(5 / 60.0f, b, {5, 0, 0})};
    IfpTrack allEarly;
    allEarly.hasTranslation = true;
    allEarly.keys = {key(-10 / 60.0f, c, {9, 9, 9}), key(-3 / 60.0f, a, {-3, 1, 0})};
    struct Case {
        const IfpTrack* track;
        float time;
        glm::dquat rotation;
        glm::dvec3 translation;
    };
    const Case cases[] = {
        {&startsEarly, 0.0f, glm::slerp(a, b, 7.0 / 12.0), {0, 0, 0}},  // 7 of the 12 ticks from -7 to 5
        {&startsEarly, 5 / 60.0f, b, {5, 0, 0}},
        {&startsEarly, 1.0f, b, {5, 0, 0}},
        {&allEarly, 0.0f, a, {-3, 1, 0}},  // the last key before 0, held
        {&allEarly, 2.0f, a, {-3, 1, 0}},
    };
    for (const Case& c : cases) {
        std::size_t next = 0;
        const FramePose pose = sampleTrack(*c.track, c.time, next);
        EXPECT_LT(rotationDistance(pose.rotation, c.rotation), 1e-6) << "time " << c.time;
        EXPECT_LT(glm::distance(pose.position, c.translation), 1e-5) << "time " << c.time;
    }
    IfpAnimation animation;
    animation.tracks = {allEarly};
    EXPECT_EQ(lastMotionFrame(animation), 0u);
}

DffFrame frame(const char* name, std::int32_t parent, std::int32_t id, std::int32_t number) {
    DffFrame f;
    f.frameName = name;
    f.parentIndex = parent;
    f.boneId = id;
    f.boneNumber = number;
    return f;
}

IfpTrack namedTrack(const char* name, std::int32_t id, std::size_t keys = 1) {
    IfpTrack track;
    track.name = name;
    track.boneId = id;
    track.keys.assign(keys, key(0, turn(10, {1, 0, 0})));
    return track;
}

TEST(AnimationBinding, FindsFramesByIdOrByNameAndLeavesOutTheRest) {
    DffModel model;
    model.frames = {frame("ped", -1, -1, -1), frame("Root", 0, 0, 0), frame(" Pelvis", 1, 1, 1),
                    frame(" Spine", 2, 2, 2), frame("Tail", 2, -1, -1)};
    IfpAnimation animation;
    animation.tracks = {namedTrack("whatever", 1),     // by id: Pelvis
                        namedTrack(" spine  ", -1),    // by name, ignoring case and blanks
                        namedTrack("Bip01 Nub", 305),  // an id the model lacks
                        namedTrack("Root", 0, 0),      // no keys: moves nothing
                        namedTrack("Spine", 2),        // a second track for Spine: the first counts
                        namedTrack("TAIL", -1)};       // a plain frame, by name
    const AnimationBinding binding(model, animation);
    EXPECT_EQ(binding.trackOf(0), nullptr);
    EXPECT_EQ(binding.trackOf(1), nullptr);
    EXPECT_EQ(binding.trackOf(2), &animation.tracks[0]);
    EXPECT_EQ(binding.trackOf(3), &animation.tracks[1]);
    EXPECT_EQ(binding.trackOf(4), &animation.tracks[5]);
}

TEST(AnimationBinding, PlacesParentsFirstAndRefusesALoop) {
    DffModel model;
    // Children before their parents in the list.
    model.frames = {frame("c", 2, 5, 1), frame("b", 2, 4, 0), frame("a", -1, -1, -1)};
    const AnimationBinding binding(model, IfpAnimation{});
    const auto& order = binding.parentsFirst();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], 2u);

    model.frames = {frame("a", 1, 0, 0), frame("b", 0, 1, 1)};
    EXPECT_USER_ERROR(AnimationBinding(model, IfpAnimation{}), "フレームの親子関係が循環しています");
}

TEST(LastMotionFrame, TheFirstFrameAtOrAfterTheLastKey) {
    struct Case {
        float lastKey;
        std::uint32_t frame;
    };
    const Case cases[] = {
        {0.0f, 0}, {1.0f, 30}, {61.0f / 60.0f, 31}, {2.0f / 60.0f, 1}, {0.001f, 1}, {32767.0f / 60.0f, 16384},
    };
    for (const Case& c : cases) {
        IfpAnimation animation;
        animation.tracks = {namedTrack("Root", 0)};
        animation.tracks[0].keys.back().time = c.lastKey;
        EXPECT_EQ(lastMotionFrame(animation), c.frame) << c.lastKey;
    }
}

TEST(LastMotionFrame, RefusesWhatNoMotionCanHold) {
    for (float lastKey : {std::numeric_limits<float>::infinity(), 1e30f, 1801.0f}) {
        IfpAnimation animation;
        animation.name = "long";
        animation.tracks = {namedTrack("Root", 0)};
        animation.tracks[0].keys.back().time = lastKey;
        EXPECT_USER_ERROR(lastMotionFrame(animation), "アニメーションが長すぎます: long");
    }
}

}  // namespace
}  // namespace zorvek

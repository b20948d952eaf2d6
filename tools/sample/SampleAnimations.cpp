#include "sample/SampleAnimations.h"

#include "motion/PoseMath.h"
#include "sample/SampleSkeleton.h"
#include "support/ifp/IfpBuilder.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/mat3x3.hpp>

#include <functional>
#include <map>
#include <vector>

namespace zorvek::sample {

namespace {

// A pose of the sample: per bone, a turn about an axis of the bind pose's
// model space (X the ped's left, -Y its front, Z up), in degrees.
struct Turn {
    Vec3 axis;
    float degrees = 0;
};
struct SamplePose {
    std::map<int, std::vector<Turn>> turns;
    Vec3 rootOffset;  // in the game's world, where the ped faces +Y
};
using PoseAt = std::function<SamplePose(float seconds)>;

// The rotation of a row-vector bone matrix as a quaternion.
glm::dquat columnQuaternion(const Matrix44& rowForm) {
    return glm::quat_cast(columnForm(rowForm));
}

glm::dquat turnQuaternion(const Vec3& axis, float degrees) {
    const float half = degrees * pi / 360.0f;
    const float s = portableSin(half);
    const Vec3 unit = normalize(axis);
    return glm::dquat(portableCos(half), unit.x * s, unit.y * s, unit.z * s);
}

class AnimationMaker {
public:
    AnimationMaker() : frames_(buildFrames(samplePose())) {}

    // Keys at the given ticks (1/60 s) for the bones posed; Root is keyed
    // (turned to face the game's +Y and moved) when `withRoot`.
    IfpAnimation make(const char* name, const std::vector<int>& ticks, const std::vector<int>& bones, bool withRoot,
                      const PoseAt& poseAt) const {
        IfpAnimation animation;
        animation.name = name;
        if (withRoot) {
            animation.tracks.push_back(track(Root, ticks, poseAt, true));
        }
        for (int bone : bones) {
            animation.tracks.push_back(track(bone, ticks, poseAt, false));
        }
        return animation;
    }

private:
    IfpTrack track(int bone, const std::vector<int>& ticks, const PoseAt& poseAt, bool root) const {
        const BoneInfo& info = boneTable()[bone];
        IfpTrack track;
        track.name = info.frameName;
        track.boneId = info.boneId;
        track.hasTranslation = root;
        const glm::dquat rest = columnQuaternion(frames_.local[bone]);
        // The bind pose's world axes of the bone, to carry a model-space axis into its own.
        const glm::dquat world = columnQuaternion(frames_.world[bone]);
        for (int tick : ticks) {
            const float seconds = static_cast<float>(tick) / 60.0f;
            const SamplePose pose = poseAt(seconds);
            glm::dquat q = rest;
            if (const auto it = pose.turns.find(bone); it != pose.turns.end()) {
                for (const Turn& turn : it->second) {
                    const glm::dvec3 own = glm::conjugate(world) * glm::dvec3(turn.axis.x, turn.axis.y, turn.axis.z);
                    q = q * turnQuaternion(
                                {static_cast<float>(own.x), static_cast<float>(own.y), static_cast<float>(own.z)},
                                turn.degrees);
                }
            }
            IfpKey key;
            key.time = seconds;
            if (root) {
                // A half turn about Z: the bind pose faces -Y, a ped in the game +Y.
                q = glm::dquat(0, 0, 0, 1) * q;
                const Vec3 bind = frames_.local[Root].row3(3);
                key.translation = Vec3{-bind.x, -bind.y, bind.z} + pose.rootOffset;
            }
            q = glm::normalize(q);
            key.rotation = {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z),
                            static_cast<float>(q.w)};
            track.keys.push_back(key);
        }
        return track;
    }

    SkeletonFrames frames_;
};

std::vector<int> ticksEvery(int step, int last) {
    std::vector<int> ticks;
    for (int tick = 0; tick < last; tick += step) {
        ticks.push_back(tick);
    }
    ticks.push_back(last);
    return ticks;
}

constexpr Vec3 lateral{1, 0, 0};  // the ped's left: turning about it swings a limb
constexpr Vec3 front{0, -1, 0};
constexpr Vec3 up{0, 0, 1};

SamplePose walkPose(float seconds) {
    const float phase = 2 * pi * seconds;  // one cycle a second
    const float s = portableSin(phase);
    const float c = portableCos(phase);
    SamplePose pose;
    // Legs swing forward (a negative turn about the lateral axis) in turn,
    // knees bend most as a leg passes under the body.
    pose.turns[LThigh] = {{lateral, -25 * s}};
    pose.turns[RThigh] = {{lateral, 25 * s}};
    pose.turns[LCalf] = {{lateral, 25 + 20 * c}};
    pose.turns[RCalf] = {{lateral, 25 - 20 * c}};
    pose.turns[LFoot] = {{lateral, -10 * s}};
    pose.turns[RFoot] = {{lateral, 10 * s}};
    pose.turns[LUpperArm] = {{lateral, 20 * s}};
    pose.turns[RUpperArm] = {{lateral, -20 * s}};
    pose.turns[LForeArm] = {{lateral, -15}};
    pose.turns[RForeArm] = {{lateral, -15}};
    pose.turns[Pelvis] = {{up, 6 * s}};
    pose.turns[Spine1] = {{up, -8 * s}};
    pose.turns[Head] = {{up, 2 * s}};
    pose.rootOffset = {0, 1.2f * seconds, -0.03f + 0.03f * portableCos(2 * phase)};
    return pose;
}

SamplePose wavePose(float seconds) {
    SamplePose pose;
    const float raise = smoothStep(seconds / 0.5f);
    // The right arm lifted sideways (a negative turn about the front axis
    // raises the ped's right) and the forearm up, then waving about that axis.
    pose.turns[RUpperArm] = {{front, -75 * raise}};
    pose.turns[RForeArm] = {{front, -70 * raise - 20 * raise * portableSin(2 * pi * 1.5f * seconds)}};
    pose.turns[Head] = {{up, -15 * raise}};
    return pose;
}

SamplePose nodPose(float seconds) {
    SamplePose pose;
    pose.turns[Neck] = {{lateral, 10 * portableSin(2 * pi * seconds)}};
    pose.turns[Head] = {{lateral, 15 * portableSin(2 * pi * seconds)}};
    return pose;
}

SamplePose lookPose(float seconds) {
    SamplePose pose;
    const float turn = 35 * portableSin(2 * pi * seconds / 1.5f);
    pose.turns[Neck] = {{up, turn * 0.4f}};
    pose.turns[Head] = {{up, turn * 0.6f}};
    return pose;
}

}  // namespace

IfpFile buildSampleAnimations() {
    const AnimationMaker maker;
    IfpFile file;
    file.format = IfpFormat::Anp3;
    file.name = "zorvek_sample";
    const std::vector<int> body = {Pelvis,   Spine, Spine1,    Neck,      Head,     LClavicle, LUpperArm,
                                   LForeArm, LHand, RClavicle, RUpperArm, RForeArm, RHand,     LThigh,
                                   LCalf,    LFoot, LToe0,     RThigh,    RCalf,    RFoot,     RToe0};
    // Keys every 4 ticks (15 a second): the frames between come from the game's interpolation.
    file.animations.push_back(maker.make("walk", ticksEvery(4, 60), body, true, walkPose));
    file.animations.push_back(maker.make("wave", ticksEvery(6, 120), body, true, wavePose));
    // Odd ticks fall between MMD's frames.
    std::vector<int> odd{0};
    for (int tick = 3; tick < 60; tick += 6) {
        odd.push_back(tick);
    }
    odd.push_back(60);
    file.animations.push_back(maker.make("nod", odd, {Neck, Head}, true, nodPose));
    file.animations.push_back(maker.make("look", ticksEvery(5, 90), {Neck, Head}, false, lookPose));
    return file;
}

Bytes buildSampleIfp() {
    return test::buildAnp3(buildSampleAnimations());
}

}  // namespace zorvek::sample

#include "sample/SampleSkeleton.h"

namespace zorvek::sample {

const std::array<BoneInfo, boneCount>& boneTable() {
    static const std::array<BoneInfo, boneCount> table = {{
        {"Root", 0, -1},
        {" Pelvis", 1, Root},
        {" Spine", 2, Pelvis},
        {" Spine1", 3, Spine},
        {" Neck", 4, Spine1},
        {" Head", 5, Neck},
        {"Jaw", 8, Head},
        {"L Brow", 6, Head},
        {"R Brow", 7, Head},
        {"Bip01 L Clavicle", 31, Neck},
        {" L UpperArm", 32, LClavicle},
        {" L ForeArm", 33, LUpperArm},
        {" L Hand", 34, LForeArm},
        {" L Finger", 35, LHand},
        {" L Finger01", 36, LFinger},
        {"Bip01 R Clavicle", 21, Neck},
        {" R UpperArm", 22, RClavicle},
        {" R ForeArm", 23, RUpperArm},
        {" R Hand", 24, RForeArm},
        {" R Finger", 25, RHand},
        {" R Finger01", 26, RFinger},
        {"L breast", 302, Spine1},
        {"R breast", 301, Spine1},
        {"Belly", 201, Spine},
        {" L Thigh", 41, Pelvis},
        {" L Calf", 42, LThigh},
        {" L Foot", 43, LCalf},
        {" L Toe0", 44, LFoot},
        {" R Thigh", 51, Pelvis},
        {" R Calf", 52, RThigh},
        {" R Foot", 53, RCalf},
        {" R Toe0", 54, RFoot},
    }};
    return table;
}

const std::array<int, boneCount>& frameOrder() {
    static const std::array<int, boneCount> order = {
        Root,      Pelvis, RThigh,  LThigh,    Spine, Belly,     Spine1,   RBreast, LBreast, Neck,      RClavicle,
        LClavicle, Head,   RBrow,   LBrow,     Jaw,   LUpperArm, LForeArm, LHand,   LFinger, LFinger01, RUpperArm,
        RForeArm,  RHand,  RFinger, RFinger01, LCalf, LFoot,     LToe0,    RCalf,   RFoot,   RToe0,
    };
    return order;
}

std::int32_t hanimNodeFlags(int bone) {
    constexpr std::int32_t pop = 1;
    constexpr std::int32_t push = 2;
    const auto& table = boneTable();
    std::int32_t flags = pop;
    for (int other = 0; other < boneCount; ++other) {
        if (table[other].parent == bone) {
            flags &= ~pop;
        }
        if (other > bone && table[other].parent == table[bone].parent && table[bone].parent >= 0) {
            flags |= push;
        }
    }
    return flags;
}

const std::array<Side, 2>& sides() {
    static const std::array<Side, 2> both = {{
        {1, LClavicle, LUpperArm, LForeArm, LHand, LFinger, LFinger01, LThigh, LCalf, LFoot, LToe0, LBrow, LBreast},
        {-1, RClavicle, RUpperArm, RForeArm, RHand, RFinger, RFinger01, RThigh, RCalf, RFoot, RToe0, RBrow, RBreast},
    }};
    return both;
}

Vec3 armDirection(float sign) {
    const float below = degrees(69);
    return {sign * portableCos(below), 0, -portableSin(below)};
}

namespace {

void placeTrunk(BindPose& pose) {
    auto& p = pose.positions;
    p[Root] = {0, 0, 0};
    p[Pelvis] = {0, 0, 0};
    p[Spine] = {0, 0, 0.10f};
    p[Spine1] = {0, 0, 0.30f};
    p[Neck] = {0, 0, 0.50f};
    p[Head] = {0, -0.01f, 0.60f};
    p[Jaw] = {0, -0.025f, 0.63f};
    p[Belly] = {0, -0.07f, 0.12f};
}

void placeSide(BindPose& pose, const Side& side) {
    auto& p = pose.positions;
    const float s = side.sign;
    p[side.brow] = {s * 0.032f, -0.085f, 0.695f};
    p[side.breast] = {s * 0.075f, -0.07f, 0.36f};
    p[side.clavicle] = {s * 0.03f, -0.005f, 0.48f};
    p[side.upperArm] = {s * 0.17f, 0, 0.46f};
    const Vec3 arm = armDirection(s);
    p[side.foreArm] = p[side.upperArm] + arm * 0.27f;
    p[side.hand] = p[side.foreArm] + arm * 0.25f;
    p[side.finger] = p[side.hand] + arm * 0.085f;
    p[side.finger01] = p[side.finger] + arm * 0.035f;
    p[side.thigh] = {s * 0.09f, 0, -0.05f};
    p[side.calf] = {s * 0.095f, -0.01f, -0.49f};
    p[side.foot] = {s * 0.10f, 0.01f, -0.90f};
    p[side.toe0] = {s * 0.10f, -0.10f, -0.975f};
}

Axes towards(const BindPose& pose, int bone, int child, const Vec3& hint) {
    return axesAlong(pose.positions[child] - pose.positions[bone], hint);
}

void orientBones(BindPose& pose) {
    auto& a = pose.axes;
    a[Root] = Axes{};
    a[Pelvis] = axesAlong(modelUp, modelFront);
    a[Spine] = towards(pose, Spine, Spine1, modelFront);
    a[Spine1] = towards(pose, Spine1, Neck, modelFront);
    a[Neck] = towards(pose, Neck, Head, modelFront);
    a[Head] = axesAlong(modelUp, modelFront);
    a[Jaw] = axesAlong({0, -0.9f, -0.42f}, modelUp);
    a[Belly] = axesAlong(modelFront, modelUp);
    for (const Side& side : sides()) {
        a[side.brow] = axesAlong(modelFront, modelUp);
        a[side.breast] = axesAlong(modelFront, modelUp);
        a[side.clavicle] = towards(pose, side.clavicle, side.upperArm, modelFront);
        a[side.upperArm] = towards(pose, side.upperArm, side.foreArm, modelFront);
        a[side.foreArm] = towards(pose, side.foreArm, side.hand, modelFront);
        a[side.hand] = towards(pose, side.hand, side.finger, modelFront);
        a[side.finger] = towards(pose, side.finger, side.finger01, modelFront);
        a[side.finger01] = a[side.finger];
        a[side.thigh] = towards(pose, side.thigh, side.calf, modelFront);
        a[side.calf] = towards(pose, side.calf, side.foot, modelFront);
        // As in the game's skeleton the foot points down and the toe forward.
        a[side.foot] = axesAlong(-modelUp, modelFront);
        a[side.toe0] = axesAlong(modelFront, modelUp);
    }
}

}  // namespace

BindPose samplePose() {
    BindPose pose;
    placeTrunk(pose);
    for (const Side& side : sides()) {
        placeSide(pose, side);
    }
    orientBones(pose);
    pose.fingerLength = 0.035f;
    return pose;
}

SkeletonFrames buildFrames(const BindPose& pose) {
    SkeletonFrames frames;
    const auto& table = boneTable();
    std::array<Matrix44, boneCount> designed;
    for (int bone = 0; bone < boneCount; ++bone) {
        designed[bone] = affineMatrix(pose.axes[bone], pose.positions[bone]);
    }
    // Parents come before their children in the node table.
    for (int bone = 0; bone < boneCount; ++bone) {
        const int parent = table[bone].parent;
        if (parent < 0) {
            frames.local[bone] = designed[bone];
            frames.world[bone] = designed[bone];
            continue;
        }
        frames.local[bone] = multiplyAffine(designed[bone], invertRigid(designed[parent]));
        frames.world[bone] = multiplyAffine(frames.local[bone], frames.world[parent]);
    }
    frames.modelToPelvis = invertRigid(frames.world[Pelvis]);
    for (int bone = 0; bone < boneCount; ++bone) {
        frames.inverseBind[bone] = invertRigid(multiplyAffine(frames.world[bone], frames.modelToPelvis));
    }
    return frames;
}

}  // namespace zorvek::sample

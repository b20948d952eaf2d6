#pragma once

// The standard 32-bone San Andreas ped skeleton of the sample model: its
// HAnim node table, the order in which the frame list stores the bones, and
// the bind pose from which frames and inverse bind matrices are computed.

#include "base/Math.h"
#include "sample/SampleMath.h"

#include <array>
#include <cstdint>

namespace zorvek::sample {

inline constexpr int boneCount = 32;

// Bone numbers: positions in the HAnim node table carried by Root.
enum Bone : int {
    Root,
    Pelvis,
    Spine,
    Spine1,
    Neck,
    Head,
    Jaw,
    LBrow,
    RBrow,
    LClavicle,
    LUpperArm,
    LForeArm,
    LHand,
    LFinger,
    LFinger01,
    RClavicle,
    RUpperArm,
    RForeArm,
    RHand,
    RFinger,
    RFinger01,
    LBreast,
    RBreast,
    Belly,
    LThigh,
    LCalf,
    LFoot,
    LToe0,
    RThigh,
    RCalf,
    RFoot,
    RToe0,
};

struct BoneInfo {
    const char* frameName;  // as the game files spell it, leading spaces included
    std::int32_t boneId;    // HAnim node id
    int parent;             // bone number of the parent, -1 for Root
};

const std::array<BoneInfo, boneCount>& boneTable();
// Bone numbers in frame list order; the list starts with an unnamed frame before them.
const std::array<int, boneCount>& frameOrder();
// Push (2) on a node that has a later sibling, pop (1) on a leaf.
std::int32_t hanimNodeFlags(int bone);

// The limbs and paired bones of one side; sign is +1 on the left (+X), -1 on the right.
struct Side {
    float sign;
    int clavicle, upperArm, foreArm, hand, finger, finger01;
    int thigh, calf, foot, toe0;
    int brow, breast;
};
const std::array<Side, 2>& sides();

// Model space: Z up, the character faces -Y, its left is +X.
inline constexpr Vec3 modelUp{0, 0, 1};
inline constexpr Vec3 modelFront{0, -1, 0};

struct BindPose {
    std::array<Vec3, boneCount> positions;  // joints in model space
    std::array<Axes, boneCount> axes;       // each limb bone's X points at its child
    float fingerLength = 0;                 // from Finger01 to the fingertip
};

BindPose samplePose();
// The arm's direction: outwards and about 69 degrees below horizontal.
Vec3 armDirection(float sign);

struct SkeletonFrames {
    std::array<Matrix44, boneCount> local;        // rotation and offset from the parent frame
    std::array<Matrix44, boneCount> world;        // the locals multiplied down the hierarchy
    std::array<Matrix44, boneCount> inverseBind;  // from the Pelvis bone's space into each bone's
    Matrix44 modelToPelvis;                       // vertices are stored in the Pelvis bone's space
};

SkeletonFrames buildFrames(const BindPose& pose);

}  // namespace zorvek::sample

#pragma once

// A motion played as MMD plays it on the converted PMX: each bone's keys
// evaluated and the bone morphs added, forward kinematics on the PMX's own
// hierarchy (rest orientation identity), the IK bones that are on solved in
// PMX order, then the grants (a bone taking a share of another's turn), as
// three.js's MMD runtime orders them.

#include "motion/MotionRig.h"
#include "motion/PoseMath.h"
#include "motion/RigMotion.h"

#include <cstdint>
#include <vector>

namespace zorvek {

struct MmdBonePose {
    Quaternion local{1, 0, 0, 0};  // the key's turn, then the IK's
    Quaternion world{1, 0, 0, 0};
    Point offset{0.0};    // the key's move from the rest place, in the parent's axes
    Point position{0.0};  // in the PMX's world
};

class MmdPoser {
public:
    // Both must outlive the poser. Throws UserMessageError for bones whose
    // parents form a loop.
    MmdPoser(const MotionRig& rig, const RigMotion& motion);

    void poseAt(std::uint32_t frame);

    const std::vector<MmdBonePose>& bones() const { return bones_; }
    const std::vector<MmdBonePose>& ikBones() const { return ikBones_; }

private:
    void keyedPose(std::uint32_t frame);
    void addMorphs(std::uint32_t frame);
    void applyGrants();
    void skinForwardKinematics();
    void placeSkinBone(std::size_t bone);
    void placeIkBone(std::size_t ik);
    void solveIk(std::size_t ik);
    void placeChain(std::size_t ik, std::size_t link);
    void turnLink(std::size_t ik, std::size_t link, std::uint32_t loop, const Point& goal, bool& turned);

    const MotionRig& rig_;
    const RigMotion& motion_;
    std::vector<std::size_t> boneOrder_;
    std::vector<std::size_t> ikOrder_;
    std::vector<std::size_t> grantOrder_;  // the bones with a grant, each after the bone it takes from
    // Per IK bone and link: the bones from below the link down to the IK's
    // target, parents first, whose places follow the link's turn.
    std::vector<std::vector<std::vector<std::size_t>>> chains_;
    std::vector<MmdBonePose> bones_;
    std::vector<MmdBonePose> ikBones_;
};

// A morph's weight at a frame: linear between its keys, the first key's
// before it and the last's after it; of keys on one frame the last rules.
// A weight that is not a number counts as 0.
double morphWeightAt(const std::vector<VmdMorphKey>& keys, std::uint32_t frame);

// A link's turn kept within its limits as MMD runtimes keep it: its Euler
// angles (rotation = Rx * Ry * Rz) each clamped into [lower, upper].
Quaternion limitedTurn(const Quaternion& turn, const Point& lower, const Point& upper);

}  // namespace zorvek

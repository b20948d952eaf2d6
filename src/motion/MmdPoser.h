#pragma once

// A motion played as MMD plays it on the converted PMX: each bone's keys
// evaluated, forward kinematics on the PMX's own hierarchy (rest orientation
// identity), then the IK bones that are on solved in PMX order.

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
    // Per IK bone and link: the bones from below the link down to the IK's
    // target, parents first, whose places follow the link's turn.
    std::vector<std::vector<std::vector<std::size_t>>> chains_;
    std::vector<MmdBonePose> bones_;
    std::vector<MmdBonePose> ikBones_;
};

// A link's turn kept within its limits as MMD runtimes keep it: its Euler
// angles (rotation = Rx * Ry * Rz) each clamped into [lower, upper].
Quaternion limitedTurn(const Quaternion& turn, const Point& lower, const Point& upper);

}  // namespace zorvek

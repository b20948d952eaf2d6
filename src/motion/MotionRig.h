#pragma once

// What a motion needs to know of the PMX it is made for: the names, parents,
// rest places and axes of the bones MMD poses, taken from the rig the PMX
// is written from.

#include "motion/PoseMath.h"
#include "rig/PmxRig.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvek {

struct RigBone {
    std::u16string name;
    std::optional<std::size_t> frame;  // the DFF frame the bone stands for, if any
    std::int32_t parent = -1;          // the parent bone of the rig; -1 where the PMX gives none
    // The parent stands for the frame's parent in the game (PmxRigBone).
    bool parentIsGameParent = false;
    Rotation axes{1.0};  // the bone's PMX rest orientation (column form)
    Rotation axesInverse{1.0};
    Point rest{0.0};                       // where the PMX puts the bone
    Point frameOffset{0.0};                // from the frame's place at rest (PmxRigBone)
    std::optional<std::size_t> keysOn;     // the bone a game motion keys instead (PmxRigBone)
    std::optional<std::size_t> grantFrom;  // the bone whose turn this one takes a share of
    double grantRatio = 0;                 // the share; -1 turns back what that bone turns
};

// A bone morph's move of one bone at full weight.
struct RigMorphOffset {
    std::size_t bone = 0;  // of the rig's bones
    Point translation{0.0};
    Quaternion rotation{1, 0, 0, 0};
};

struct RigMorph {
    std::u16string name;
    std::vector<RigMorphOffset> offsets;
};

// A bone the IK turns, with its limits as MMD reads them: Euler angles X, Y
// and Z (rotation = Rx * Ry * Rz, radians, MMD's axes), each within its bounds.
struct RigIkLink {
    std::size_t bone = 0;  // of the rig's bones
    bool limited = false;
    Point lower{0.0};
    Point upper{0.0};
};

struct RigIkBone {
    std::u16string name;
    std::size_t targetBone = 0;    // of the rig's bones
    std::int32_t parentIk = -1;    // an earlier IK bone of the rig, or -1
    std::int32_t parentBone = -1;  // a bone of the rig it hangs from instead, or -1
    Point rest{0.0};
    std::uint32_t loopCount = 0;
    double unitAngle = 0;          // the most a link turns in one step, radians
    std::vector<RigIkLink> links;  // from the target up, as the PMX lists them
};

struct MotionRig {
    std::u16string modelName;
    std::vector<RigBone> bones;  // the PMX's frame and control bones, in PMX order
    std::vector<RigIkBone> ikBones;
    std::vector<RigMorph> morphs;  // the PMX's bone morphs, in PMX order
};

MotionRig makeMotionRig(const PmxRig& rig, std::u16string modelName);

}  // namespace zorvek

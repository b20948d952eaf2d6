#pragma once

// An MMD motion's keys for the bones of a rig, found as MMD finds them.

#include "motion/MotionRig.h"
#include "vmd/VmdMotion.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

struct RigMotion {
    std::vector<const std::vector<VmdBoneKey>*> boneKeys;    // per skin bone; nullptr: no keys
    std::vector<const std::vector<VmdBoneKey>*> ikKeys;      // per IK bone
    std::vector<const std::vector<VmdMorphKey>*> morphKeys;  // per bone morph of the rig
    std::vector<std::string> ikSjisNames;                    // per IK bone, as show/IK frames name it
    const std::vector<VmdShowIkFrame>* showIk = nullptr;
    std::size_t ignoredKeys = 0;  // keys of bones the rig lacks (morphs it lacks are not counted)
    bool anyKey = false;          // whether any key moves a bone of the rig
    std::uint32_t lastFrame = 0;  // of the last key the rig uses or show/IK frame; 0 without any
};

// A bone of the motion belongs to the bone whose Shift-JIS name has the same
// first 15 bytes (or, as VMD writers cut names on a character, the same
// characters within 15 bytes); of bones that share them, the first in PMX
// order takes the keys; morphs are found by name in the same way. `file`
// must outlive the result.
RigMotion bindMotion(const MotionRig& rig, const VmdMotion& file);

}  // namespace zorvek

#pragma once

#include "base/Math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// One bone's pose at one frame: a position offset from the bone's rest place
// in its parent's axes, and the local rotation as the quaternion x, y, z, w.
struct VmdBoneKey {
    std::uint32_t frame = 0;
    Vec3 position;
    Vec4 rotation{0, 0, 0, 1};
};

// Every key of one bone; the name is encoded once for all of them. Keys play
// on linear curves unless `interpolations` holds one set of the 64 bytes for
// each key (see VmdInterpolation.h).
struct VmdBoneTrack {
    std::u16string boneName;
    std::vector<VmdBoneKey> keys;
    std::vector<std::array<std::uint8_t, 64>> interpolations{};
};

struct VmdIkSwitch {
    std::u16string ikName;
    bool enabled = true;
};

// The model shown or hidden and IK bones switched on or off from a frame on.
struct VmdShowIkKey {
    std::uint32_t frame = 0;
    bool visible = true;
    std::vector<VmdIkSwitch> iks;
};

struct VmdMotion {
    std::u16string modelName;  // the PMX model name the motion is made for
    std::vector<VmdBoneTrack> tracks;
    std::vector<VmdShowIkKey> showIkKeys;
};

}  // namespace zorvek

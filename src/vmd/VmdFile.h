#pragma once

#include "base/Math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// A VMD file as read: names stay the Shift-JIS bytes of their fields (up to
// the first NUL), because MMD matches a bone by the first 15 bytes of its
// name, not by its text. fromShiftJis shows them to the user.

// One bone key: frame, position offset, rotation quaternion x, y, z, w, and
// the 64 interpolation bytes (see VmdInterpolation.h; vmdCurvesOf reads them).
struct VmdFileKey {
    std::uint32_t frame = 0;
    Vec3 position;
    Vec4 rotation{0, 0, 0, 1};
    std::array<std::uint8_t, 64> interpolation{};
    friend bool operator==(const VmdFileKey&, const VmdFileKey&) = default;
};

// The keys of one bone, ordered by frame. Files hold keys in any order; keys
// on the same frame keep the order of the file, which decides which of them
// rules (see evaluateBone).
struct VmdBoneKeys {
    std::string sjisName;
    std::vector<VmdFileKey> keys;
    friend bool operator==(const VmdBoneKeys&, const VmdBoneKeys&) = default;
};

struct VmdIkState {
    std::string sjisName;
    bool enabled = true;
    friend bool operator==(const VmdIkState&, const VmdIkState&) = default;
};

// The model shown or hidden and IK bones switched on or off from a frame on.
struct VmdShowIkFrame {
    std::uint32_t frame = 0;
    bool visible = true;
    std::vector<VmdIkState> iks;
    friend bool operator==(const VmdShowIkFrame&, const VmdShowIkFrame&) = default;
};

struct VmdFile {
    std::string sjisModelName;
    std::vector<VmdBoneKeys> bones;      // in the order of each bone's first key in the file
    std::vector<VmdShowIkFrame> showIk;  // ordered by frame, file order kept on the same frame
    friend bool operator==(const VmdFile&, const VmdFile&) = default;
};

}  // namespace zorvek

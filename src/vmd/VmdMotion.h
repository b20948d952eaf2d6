#pragma once

#include "base/Math.h"
#include "vmd/VmdInterpolation.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// An MMD motion as the VMD file holds it, for the reader and the writer alike.
// Names are the Shift-JIS bytes of their fields (up to the first NUL),
// because MMD matches a bone by the first 15 bytes of its name, not by its
// text: fromShiftJis shows them to the user, and the writer's vmd*Name
// functions make them from text.

// One bone's pose at one frame: a position offset from the bone's rest place
// in its parent's axes, the local rotation as the quaternion x, y, z, w, and
// the 64 interpolation bytes of the way from the previous key (see
// VmdInterpolation.h; vmdCurvesOf reads them), linear unless set.
struct VmdBoneKey {
    std::uint32_t frame = 0;
    Vec3 position;
    Vec4 rotation{0, 0, 0, 1};
    std::array<std::uint8_t, 64> interpolation = linearVmdInterpolation;
    friend bool operator==(const VmdBoneKey&, const VmdBoneKey&) = default;
};

// The keys of one bone, ordered by frame. Files hold keys in any order; the
// reader keeps the order of the file for keys on the same frame, which
// decides which of them rules (see evaluateBone); the writer writes them as
// they stand.
struct VmdBoneTrack {
    std::string sjisName;
    std::vector<VmdBoneKey> keys;
    friend bool operator==(const VmdBoneTrack&, const VmdBoneTrack&) = default;
};

// One morph's weight at one frame (0 none, 1 full); MMD goes linearly from key to key.
struct VmdMorphKey {
    std::uint32_t frame = 0;
    float weight = 0;
    friend bool operator==(const VmdMorphKey&, const VmdMorphKey&) = default;
};

// The keys of one morph, ordered by frame as bone tracks are.
struct VmdMorphTrack {
    std::string sjisName;
    std::vector<VmdMorphKey> keys;
    friend bool operator==(const VmdMorphTrack&, const VmdMorphTrack&) = default;
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

struct VmdMotion {
    std::string sjisModelName;           // the PMX model name the motion is made for
    std::vector<VmdBoneTrack> bones;     // as read: in the order of each bone's first key in the file
    std::vector<VmdMorphTrack> morphs;   // the same
    std::vector<VmdShowIkFrame> showIk;  // as read: ordered by frame, file order kept on the same frame
    friend bool operator==(const VmdMotion&, const VmdMotion&) = default;
};

}  // namespace zorvek

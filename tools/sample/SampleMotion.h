#pragma once

// The sample's MMD motion: a three-second step and knee lift (frames 0 to
// 90 at 30 a second) for the PMX the standard mode makes of the sample,
// keyed as MMD users key theirs: a few keys per bone with eased curves, the
// feet on leg IK, the right leg's IK switched off for the knee lift, a
// shrug, arm twists and lip sync as standard models are keyed. The mmd mode
// plays it too, without what its hierarchy lacks (グルーブ, 肩P, the twists).

#include "base/FileIo.h"
#include "sample/SampleLegs.h"
#include "vmd/VmdInterpolation.h"
#include "vmd/VmdMotion.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zorvek::sample {

inline constexpr const char* sampleMotionFileName = "zorvek_sample.vmd";
// The name of the PMX converted from zorvek_sample.dff.
inline constexpr const char16_t* sampleMotionModelName = u"zorvek_sample.dff";

// One key: the move from the rest place and the turn, in the parent's axes,
// with the curves X, Y, Z and rotation of the way from the previous key.
struct SampleMotionKey {
    std::uint32_t frame = 0;
    Place move{0.0};
    Turn3 turn{1, 0, 0, 0};
    std::array<VmdCurve, 4> curves{linearVmdCurve, linearVmdCurve, linearVmdCurve, linearVmdCurve};
};

struct SampleMotionTrack {
    std::u16string bone;
    std::vector<SampleMotionKey> keys;  // by frame
};

struct SampleMorphTrack {
    std::u16string morph;
    std::vector<std::pair<std::uint32_t, float>> keys;  // frame and weight, by frame
};

// The tracks in the order the file holds them.
std::vector<SampleMotionTrack> sampleMotionTracks();
// Lip sync and a blink.
std::vector<SampleMorphTrack> sampleMorphTracks();
// Every IK on at frame 0; 右足ＩＫ and 右つま先ＩＫ off from 45, on again from 60.
std::vector<VmdShowIkFrame> sampleShowIkKeys();

// The VMD file of the two.
Bytes buildSampleVmd();

}  // namespace zorvek::sample

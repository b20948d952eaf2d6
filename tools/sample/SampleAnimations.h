#pragma once

// The sample's animation file: a few short San Andreas animations (ANP3) for
// its skeleton, keyed as the game's files are (compressed keys, irregular
// times), so that the motion conversion can be tried on the sample.

#include "base/FileIo.h"
#include "ifp/IfpAnimation.h"

namespace zorvek::sample {

inline constexpr const char* sampleAnimationFileName = "zorvek_sample.ifp";

// "walk": a one-second walk cycle moving forward; "wave": the right hand
// waving; "nod": a nod keyed on half frames (odd 1/60 s ticks); "look": the
// head turning, with no Root track (a partial animation).
IfpFile buildSampleAnimations();
Bytes buildSampleIfp();

}  // namespace zorvek::sample

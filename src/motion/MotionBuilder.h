#pragma once

// A game animation as an MMD motion for the PMX converted from the same model:
// every bone keyed at every frame (30 per second), so that MMD, which steps
// from key to key, shows the game's own interpolation.

#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "ifp/IfpAnimation.h"
#include "motion/MotionRig.h"
#include "vmd/VmdMotion.h"

#include <cstdint>

namespace zorvek {

inline constexpr float mmdFramesPerSecond = 30.0f;

// The last MMD frame that the animation needs: the first at or after its last
// key. Throws UserMessageError for a duration no motion can hold.
std::uint32_t lastMotionFrame(const IfpAnimation& animation);

// `model` is the prepared model the rig was made from.
VmdMotion buildMotion(const MotionRig& rig, const DffModel& model, const IfpAnimation& animation,
                      const WarningSink& warn);

}  // namespace zorvek

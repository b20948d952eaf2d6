#pragma once

// An MMD motion, as MMD plays it on the PMX converted from a model, turned
// into a game animation for that model: the inverse of MotionBuilder's mapping.

#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "ifp/IfpAnimation.h"
#include "motion/KeyReduction.h"
#include "motion/MotionRig.h"
#include "vmd/VmdMotion.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zorvek {

// The last frame an IFP can hold: 2 ticks of 1/60 s each, in 16 bits.
inline constexpr std::uint32_t lastIfpMotionFrame = 16383;

// `model` is the prepared model the rig was made from. The animation has a
// track for bone 0 (rotation and translation) and for every other skin bone
// that the motion turns away from its frame's own rotation or moves, keyed at
// every frame from 0 to the motion's last, or at fewer frames when
// `reduction` is given. Throws UserMessageError for a motion longer than an
// IFP holds.
IfpAnimation buildAnimation(const MotionRig& rig, const DffModel& model, const VmdMotion& motion, std::string name,
                            const std::optional<KeyTolerance>& reduction, const WarningSink& warn);

}  // namespace zorvek

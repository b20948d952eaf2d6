#pragma once

// The legs of the PMX that the "mmd" mode makes of the sample, as a motion
// sees them: rest places in PMX units (Y up, the model facing -Z, its left
// +X) and poses in MMD's terms (a bone's turn in its parent's axes, the rest
// orientation being the identity). The sample's motion keys the knee lift
// with the IK off from these, so that the legs meet the IK's pose where the
// IK is switched off and on again.

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>

namespace zorvek::sample {

using Turn3 = glm::dquat;
using Place = glm::dvec3;

// A turn about an axis of the parent, right-handed, in degrees; computed
// with the sample's portable sine, so the file is the same everywhere.
Turn3 turnAbout(const Place& axis, float degrees);

// What moves both legs: センター's move from its rest place and its turn.
struct CenterPose {
    Place move{0.0};
    Turn3 turn{1, 0, 0, 0};
};

// Thigh (足) and knee (ひざ) turns of one leg; the knee bends about X only,
// a negative angle bringing the foot back, as the IK's limits allow.
struct LegTurns {
    Turn3 thigh{1, 0, 0, 0};
    Turn3 knee{1, 0, 0, 0};
};

// +1 for the left leg (+X), -1 for the right.
Place ankleRestPlace(double side);
Place ankleAt(double side, const CenterPose& center, const LegTurns& leg);

// The ankle's (足首) turn that gives the foot the turn `foot` in the PMX's
// axes, the identity keeping it as it rests.
Turn3 ankleTurnGiving(const CenterPose& center, const LegTurns& leg, const Turn3& foot);

// The turns that put the ankle at `ankle`, the knee pointing forward.
// Throws std::logic_error when the ankle is further than 98.5% of the
// leg's length from the hip: the sample keeps its knees bent.
LegTurns legReaching(double side, const CenterPose& center, const Place& ankle);

}  // namespace zorvek::sample

#pragma once

// Fewer keys for a track keyed on every frame: the keys the game's own
// interpolation between their neighbours gives back closely enough are left out.

#include "ifp/IfpAnimation.h"

#include <vector>

namespace zorvek {

struct KeyTolerance {
    double degrees = 0.05;
    double metres = 0.0005;
};

// The keys kept: the first, the last, and enough between them that every key
// left out lies within the tolerance of what the game interpolates (a
// spherical one on the shorter arc for the rotation, a straight one for the
// translation) between the kept keys around it. Keys are compared as the
// file stores them (storedRotation; translations in 1/1024 m).
std::vector<IfpKey> reduceKeys(const std::vector<IfpKey>& keys, bool hasTranslation, const KeyTolerance& tolerance);

}  // namespace zorvek

#pragma once

#include "base/Math.h"

namespace zorvek {

// A rotation as the quaternion x, y, z, w in double precision, computed the
// same way on every platform: the motions' poses in both directions.
struct PlainQuaternion {
    double x = 0, y = 0, z = 0, w = 1;
    friend bool operator==(const PlainQuaternion&, const PlainQuaternion&) = default;
};

// A stored quaternion made unit; the identity for one of length 0 or one that
// is not finite, which no rotation can come from.
PlainQuaternion unitPlainQuaternion(const Vec4& stored);

// Spherical interpolation on the shorter arc, from a (u = 0) to b (u = 1), of
// unit quaternions. Only + - * / and sqrt, which every platform rounds alike
// (base/PortableMath's series), so a motion is the same file on each of them.
PlainQuaternion slerpShortArc(PlainQuaternion a, PlainQuaternion b, double u);

}  // namespace zorvek

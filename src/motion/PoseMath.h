#pragma once

// Rotations of the motion poses, in double precision and column-vector form
// (v' = R v, parent times child), the way glm and the quaternion formulas
// read. A RenderWare or bone matrix, made for row vectors, enters transposed.

#include "base/Math.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

#include <array>

namespace zorvek {

using Rotation = glm::dmat3;
using Quaternion = glm::dquat;
using Point = glm::dvec3;

// A stored x, y, z, w quaternion made unit; the identity for one of length 0
// or one that is not finite, which no rotation can come from.
Quaternion unitQuaternion(const Vec4& stored);

// base/PlainQuaternion's, for glm's quaternions.
Quaternion slerpShortArc(Quaternion a, Quaternion b, double u);

// The turn by `angle` radians about the unit `axis`, as glm::angleAxis makes
// it but with base/PortableMath's sine and cosine.
Quaternion turnAbout(double angle, const Point& axis);

// `share` of a unit turn, the short way: the same axis, the angle times the
// share (a negative share turns back), as MMD's grants and bone morphs take it.
Quaternion shareOfTurn(Quaternion turn, double share);

// The column form of rows 0 to 2 of a row-vector matrix: its transpose.
Rotation columnForm(const std::array<Vec3, 3>& rows);
Rotation columnForm(const Matrix44& matrix);

inline Point toPoint(const Vec3& v) {
    return {v.x, v.y, v.z};
}

// Game axes (z up, +y forward, +x right) to MMD's (y up, facing -z, +x left).
inline Point gameToMmdAxes(const Point& v) {
    return {-v.x, v.z, -v.y};
}

// The inverse: MMD's axes to the game's.
inline Point mmdToGameAxes(const Point& v) {
    return {-v.x, -v.z, v.y};
}

// Back into the files' single precision.
inline Vec3 toVec3(const Point& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

inline Vec4 toVec4(const Quaternion& q) {
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

// The same turn as a rotation matrix, in column form.
Rotation gameToMmdRotation();

}  // namespace zorvek

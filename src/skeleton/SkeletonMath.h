#pragma once

#include "base/Math.h"

#include <array>

namespace zorvek {

// Rows 0 to 2 of a bone matrix: the X, Y and Z axes.
using Axes = std::array<Vec3, 3>;

// Below this squared length the axis and the direction count as parallel
// and the rotation degenerates to e times the identity (2^-23, float epsilon).
inline constexpr float parallelThreshold = 1.1920929e-7f;

// Bone axes seen from the reference bone's bind pose, in the re-labelled
// axes (x, y, z) -> (z, x, -y). Both arguments are inverse bind matrices;
// their translations take no part. A singular matrix is not detected.
Axes relativeAxes(const Matrix44& inverseBind, const Matrix44& referenceInverseBind);

// The rotation (row-vector form) that turns the unit vector axis towards the
// unit vector direction. Neither argument is normalised.
Axes alignmentRotation(Vec3 axis, Vec3 direction);

// Each row of the axes carried through the rotation.
Axes rotateAxes(const Axes& axes, const Axes& rotation);

// The point t carried through a bone matrix: tx row 0 + ty row 1 + tz row 2 + row 3.
Vec3 transformPoint(Vec3 t, const Matrix44& matrix);

// A direction carried through rows 0 to 2 only.
Vec3 transformDirection(Vec3 n, const Matrix44& matrix);

// left (x) right with left's rows 0 to 2 taken as directions and row 3 as a
// point; left's column 3 is ignored and the result's is (0, 0, 0, 1).
Matrix44 affineProduct(const Matrix44& left, const Matrix44& right);

}  // namespace zorvek

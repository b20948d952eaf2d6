#pragma once

// Small float32 vector and matrix helpers for the sample model. Everything
// here is plain IEEE arithmetic (sines and cosines included), so the
// generated files come out bit for bit the same on every machine.

#include "base/Math.h"

namespace zorvek::sample {

inline constexpr float pi = 3.14159265358979f;

float length(const Vec3& a);
Vec3 normalize(const Vec3& a);
Vec3 lerp(const Vec3& a, const Vec3& b, float t);
float lerp(float a, float b, float t);

// base/PortableMath's sine and cosine, for the C libraries' last bits differ.
float portableSin(float radians);
float portableCos(float radians);
float degrees(float value);

// 0 below 0, 1 above 1, a smooth S in between.
float smoothStep(float t);
// 1 at the centre falling smoothly to 0 at distance 1 (and beyond).
float bump(float distanceOverRadius);

// An orthonormal right-handed frame: x cross y is z.
struct Axes {
    Vec3 x{1, 0, 0};
    Vec3 y{0, 1, 0};
    Vec3 z{0, 0, 1};
};

// X along the given direction, Y as close to the hint as X allows.
Axes axesAlong(const Vec3& xDirection, const Vec3& yHint);

// Row-vector affine matrices: rows 0 to 2 the axes, row 3 the origin.
Matrix44 affineMatrix(const Axes& axes, const Vec3& origin);
Matrix44 multiplyAffine(const Matrix44& a, const Matrix44& b);
Matrix44 invertRigid(const Matrix44& m);
Vec3 transformPoint(const Vec3& p, const Matrix44& m);
Vec3 transformDirection(const Vec3& d, const Matrix44& m);

}  // namespace zorvek::sample

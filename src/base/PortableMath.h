#pragma once

// Sine, cosine and the inverse functions computed the same way on every
// platform. The C libraries round the last bits of these differently (glibc
// against mingw-w64's), and one bit in the IK solver can move a key of a
// converted motion; these take only + - * / and sqrt, which IEEE 754 rounds
// alike everywhere (the targets build with -ffp-contract=off, so no fused
// multiply-add changes a rounding either).
//
// Each is within about one unit in the last place of the true value
// (tests/base/PortableMathTest.cpp measures them against the C library), and
// takes the C library's results at the special values: signed zeros,
// infinities, NaN, the ends of [-1, 1].

namespace zorvek::portable {

// The argument is reduced exactly for |x| up to 2^19 pi; beyond that the
// result stays in [-1, 1] but loses digits (no angle here comes near).
double sin(double x);
double cos(double x);

double atan(double x);
// The angle of the point (x, y) from the positive x axis, in [-pi, pi].
double atan2(double y, double x);
// NaN outside [-1, 1].
double asin(double x);
double acos(double x);

// The series that slerpShortArc (base/PlainQuaternion) has always summed, kept
// bit for bit so that the motions made from game animations keep their bytes:
// sin x for |x| <= pi / 2 (2.7 ulp at most), and atan x for 0 <= x <= 1 by two
// half-angle steps (5.2 ulp at most). The functions above are the accurate ones.
double slerpSine(double x);
double slerpArcTangent(double x);

}  // namespace zorvek::portable

#pragma once

#include "base/Math.h"
#include "base/PlainQuaternion.h"
#include "vmd/VmdMotion.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvek {

// How a bone's keys play in MMD: the pose at any frame from the keys around it.

// A Bezier curve from (0, 0) to (1, 1) through the control points (x1, y1)
// and (x2, y2): how far the motion has come (y) when a part of the time
// between two keys has passed (x).
struct BezierCurve {
    float x1, y1, x2, y2;
};

// The curves of one key, read from row 0 of its interpolation bytes, whose
// control points run from 0 to 127 (the layout vmdInterpolation writes).
struct VmdKeyCurves {
    BezierCurve x, y, z, rotation;
};
VmdKeyCurves vmdCurvesOf(const std::array<std::uint8_t, 64>& interpolation);

// The curve's y where its x is `x`: 0 up to x = 0, 1 from x = 1. The curve's
// parameter is found by bisection to under 1e-9, with + - * / only, so every
// platform gets the same bits. Control points beyond 1 (bytes above 127) make
// x(t) bend back; bisection still ends, on one of the places.
double bezierY(const BezierCurve& curve, double x);

// A bone's pose: the position offset from its rest place and a unit rotation.
struct BonePoseAt {
    Vec3 position;
    PlainQuaternion rotation;
};

// The pose at `frame` from keys ordered by frame (as VmdBoneTrack holds them):
//  - no keys: the rest pose (no offset, no rotation);
//  - before the first key, that key; after the last, the last;
//  - between keys k0 and k1 on frames f0 < f1, the curves stored in k1 over
//    u = (frame - f0) / (f1 - f0): each position axis its own, the rotation
//    a slerp on the shorter arc;
//  - keys less than 1.5 frames apart are not interpolated: k0 holds until k1's frame;
//  - of keys on one frame, the first ends the interval before that frame and
//    the last rules from it on.
// Key rotations are made unit first (see unitPlainQuaternion).
BonePoseAt evaluateBone(const std::vector<VmdBoneKey>& sortedKeys, std::uint32_t frame);

// The same between frames, as MMD plays at a higher frame rate.
BonePoseAt evaluateBoneAt(const std::vector<VmdBoneKey>& sortedKeys, double frame);

// Whether the IK bone named (Shift-JIS bytes) is on at `frame`: its state in
// the latest show/IK frame at or before `frame` that names it (the last of
// them on one frame, the last mention within one), on when none does.
bool ikEnabledAt(const std::vector<VmdShowIkFrame>& sortedFrames, std::string_view sjisIkName, std::uint32_t frame);

}  // namespace zorvek

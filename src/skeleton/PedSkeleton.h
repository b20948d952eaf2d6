#pragma once

// The skeleton the game drives every ped with: the 32 nodes of its HAnim
// table, their frame names and places in the table, and the mean bind axes
// and joint places of the game's own peds. A model built for the game must
// follow it exactly: animations find bones by node and replace each bone's
// local rotation outright.

#include "base/Math.h"
#include "dff/PedDff.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zorvek {

struct PedNode {
    std::int32_t id = 0;
    std::string_view frameName;  // as the game's files hold it, leading spaces kept
    std::int32_t parent = -1;    // node index; -1 for Root
    std::int32_t flags = 0;      // HAnim push/pop
    // Bind axes (rows X, Y, Z) in the ped's frame: x its right, y forward, z up.
    std::array<Vec3, 3> axes;
    Vec3 joint;  // metres from Root, in the same frame
    // The node whose joint the X axis points at; -1 where it keeps the axes
    // above (Root, Pelvis, Spine, Spine1, Head, feet, toes and the leaves).
    std::int32_t aimsAt = -1;
};

inline constexpr std::size_t pedNodeCount = 32;

// In node order.
std::span<const PedNode, pedNodeCount> pedSkeleton();

// The node index of a bone id, or -1.
std::int32_t pedNodeIndex(std::int32_t boneId);

// Node indices by name, for readable code.
namespace ped {
inline constexpr std::int32_t root = 0, pelvis = 1, spine = 2, spine1 = 3, neck = 4, head = 5, jaw = 6, leftBrow = 7,
                              rightBrow = 8, leftClavicle = 9, leftUpperArm = 10, leftForeArm = 11, leftHand = 12,
                              leftFinger = 13, leftFinger01 = 14, rightClavicle = 15, rightUpperArm = 16,
                              rightForeArm = 17, rightHand = 18, rightFinger = 19, rightFinger01 = 20, leftBreast = 21,
                              rightBreast = 22, belly = 23, leftThigh = 24, leftCalf = 25, leftFoot = 26, leftToe = 27,
                              rightThigh = 28, rightCalf = 29, rightFoot = 30, rightToe = 31;
}

// How far above a ped's lowest vertex the game's peds have Root (median of
// 312): the game stands a ped by its Root.
inline constexpr float pedRootHeight = 0.986f;
// The median standing height of the game's peds, in metres.
inline constexpr float pedMedianHeight = 1.84f;

}  // namespace zorvek

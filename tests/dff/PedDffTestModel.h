#pragma once

// A small ped for the writer's tests: the game's 32-bone skeleton (its HAnim
// node table, and the frame list in the order the game's files store it,
// which is not node order), five vertices, two materials.

#include "dff/PedDff.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek::test {

struct PedBone {
    const char* name;  // as the game's files spell it, leading spaces kept
    std::int32_t id;
    int parent;  // node index of the parent, -1 for Root
};

// In node order: the position is the node index.
inline const std::vector<PedBone>& pedBones() {
    static const std::vector<PedBone> bones = {
        {"Root", 0, -1},         {" Pelvis", 1, 0},
        {" Spine", 2, 1},        {" Spine1", 3, 2},
        {" Neck", 4, 3},         {" Head", 5, 4},
        {"Jaw", 8, 5},           {"L Brow", 6, 5},
        {"R Brow", 7, 5},        {"Bip01 L Clavicle", 31, 4},
        {" L UpperArm", 32, 9},  {" L ForeArm", 33, 10},
        {" L Hand", 34, 11},     {" L Finger", 35, 12},
        {" L Finger01", 36, 13}, {"Bip01 R Clavicle", 21, 4},
        {" R UpperArm", 22, 15}, {" R ForeArm", 23, 16},
        {" R Hand", 24, 17},     {" R Finger", 25, 18},
        {" R Finger01", 26, 19}, {"L breast", 302, 3},
        {"R breast", 301, 3},    {"Belly", 201, 2},
        {" L Thigh", 41, 1},     {" L Calf", 42, 24},
        {" L Foot", 43, 25},     {" L Toe0", 44, 26},
        {" R Thigh", 51, 1},     {" R Calf", 52, 28},
        {" R Foot", 53, 29},     {" R Toe0", 54, 30},
    };
    return bones;
}

// Node indices in the order the frame list stores the bones (after the identity frame).
inline const std::vector<int>& pedFrameOrder() {
    static const std::vector<int> order = {0,  1,  28, 24, 2,  23, 3,  22, 21, 4,  15, 9,  5,  8,  7,  6,
                                           10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 25, 26, 27, 29, 30, 31};
    return order;
}

// Push on a node with a later sibling, pop on a leaf.
inline std::int32_t pedNodeFlags(int node) {
    const auto& bones = pedBones();
    std::int32_t flags = hanimPop;
    for (int other = 0; other < static_cast<int>(bones.size()); ++other) {
        if (bones[other].parent == node) {
            flags &= ~hanimPop;
        }
        if (other > node && bones[node].parent >= 0 && bones[other].parent == bones[node].parent) {
            flags |= hanimPush;
        }
    }
    return flags;
}

// Distinct values for every field, so that a value written in the wrong place shows.
inline PedDff makeTestPed() {
    PedDff ped;
    const auto& bones = pedBones();
    const auto& order = pedFrameOrder();
    std::vector<std::int32_t> frameOfNode(bones.size(), 0);
    for (std::size_t i = 0; i < order.size(); ++i) {
        frameOfNode[static_cast<std::size_t>(order[i])] = static_cast<std::int32_t>(i + 1);
    }
    ped.frames.push_back(DffFrame{});
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int node = order[i];
        const PedBone& bone = bones[static_cast<std::size_t>(node)];
        DffFrame frame;
        const float k = static_cast<float>(i + 1);
        // A quarter turn about Z on every other frame.
        if (i % 2 == 1) {
            frame.rotation = {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}};
        }
        frame.translation = {0.015625f * k, -0.03125f * k, 0.25f + 0.0078125f * k};
        frame.parentIndex = bone.parent < 0 ? 0 : frameOfNode[static_cast<std::size_t>(bone.parent)];
        frame.boneId = bone.id;
        frame.boneNumber = node;
        frame.frameName = bone.name;
        ped.frames.push_back(frame);
    }
    for (std::size_t node = 0; node < bones.size(); ++node) {
        ped.nodes.push_back({bones[node].id, static_cast<std::int32_t>(node), pedNodeFlags(static_cast<int>(node))});
        Matrix44 inverse;
        const float n = static_cast<float>(node);
        inverse.m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -0.125f * n, 0.0625f * n, -1 - 0.03125f * n, 1};
        ped.inverseBindMatrices.push_back(inverse);
    }
    ped.positions = {{0, 0, 0}, {1, 0, 0.5f}, {0, 1, 1.5f}, {-1, 0.25f, 2}, {0.5f, -0.75f, 1}};
    ped.normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}, {0, -1, 0}};
    ped.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5f, 0.25f}};
    // Node 5 (Head) is named but never weighted; node 31 is the last one used.
    ped.boneIndices = {{{2, 0, 0, 0}}, {{3, 2, 5, 0}}, {{31, 24, 0, 0}}, {{9, 10, 11, 12}}, {{5, 1, 0, 0}}};
    ped.boneWeights = {
        {1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}, {0.75f, 0.25f, 0, 0}, {0.25f, 0.25f, 0.25f, 0.25f}, {0, 1, 0, 0}};
    ped.materials = {{"torso", {0, 1, 2, 2, 3, 0}}, {"", {1, 4, 3}}};
    ped.atomicFrame = 0;
    return ped;
}

// The node indices that carry weight in makeTestPed, ascending.
inline std::vector<std::uint8_t> testPedUsedBones() {
    return {1, 2, 3, 9, 10, 11, 12, 24, 31};
}

}  // namespace zorvek::test

#pragma once

// A small ped skeleton built in code for the motion tests (bind rotations on
// every bone, both legs for the IK, an arm, a bone the tables lack), and an
// independent reading of both worlds: the game's pose of an animation, and
// the pose MMD gives the converted PMX for a VMD motion.

#include "dff/DffModel.h"
#include "ifp/IfpAnimation.h"
#include "vmd/VmdMotion.h"

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

#include <map>
#include <string>
#include <vector>

namespace zorvek::test {

// Frame 0 is the ped's plain top frame; bone numbers are frame numbers - 1.
DffModel makeMotionTestModel();

// One game frame's world pose in row-vector form: v_world = v_local * rotation + position.
struct RowPose {
    glm::dmat3 rotation{1.0};
    glm::dvec3 position{0.0};
};

// The game's world pose of every frame at a time, from the keys alone: the
// first key before it, the last after it, the later of two keys at a shared time.
std::vector<RowPose> gameWorldPose(const DffModel& model, const IfpAnimation& animation, float time);

// The game's world point mapped into the PMX: 10 (w x A) + (0, 10, 0).
glm::dvec3 mappedIntoPmx(const glm::dvec3& gameWorld);

// MMD's forward kinematics: rest orientations identity, world = local then
// the parent's, positions offset from the rest places by the keys.
struct MmdBone {
    std::u16string name;
    int parent = -1;
    glm::dvec3 rest{0.0};
};
std::vector<RowPose> mmdWorldPose(const std::vector<MmdBone>& bones, const VmdMotion& motion, std::uint32_t frame);

}  // namespace zorvek::test

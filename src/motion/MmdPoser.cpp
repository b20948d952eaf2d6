#include "motion/MmdPoser.h"

#include "base/PortableMath.h"
#include "motion/GamePose.h"
#include "vmd/VmdCurves.h"

#include <algorithm>
#include <cmath>

namespace zorvek {

namespace {

// Turns smaller than this are left out, so that a solved chain does not shake.
constexpr double smallestTurn = 1e-5;
// The bend a straight knee is given when its goal lies straight ahead of it.
constexpr double straightKneeBend = 0.1;

Quaternion keyRotation(const PlainQuaternion& q) {
    return Quaternion(q.w, q.x, q.y, q.z);
}

Point keyOffset(const Vec3& v) {
    return {v.x, v.y, v.z};
}

double clamp(double value, double low, double high) {
    return std::min(std::max(value, low), high);
}

// Euler angles X, Y, Z of rotation = Rx * Ry * Rz, with the branch MMD
// runtimes take at the poles.
Point eulerXyz(const Quaternion& q) {
    const Rotation m = glm::mat3_cast(q);  // m[column][row]
    const double m11 = m[0][0], m12 = m[1][0], m13 = m[2][0];
    const double m22 = m[1][1], m23 = m[2][1];
    const double m32 = m[1][2], m33 = m[2][2];
    const double y = portable::asin(clamp(m13, -1.0, 1.0));
    if (std::abs(m13) < 0.9999999) {
        return {portable::atan2(-m23, m33), y, portable::atan2(-m12, m11)};
    }
    return {portable::atan2(m32, m22), y, 0.0};
}

Quaternion fromEulerXyz(const Point& angles) {
    return turnAbout(angles.x, Point(1, 0, 0)) * turnAbout(angles.y, Point(0, 1, 0)) *
           turnAbout(angles.z, Point(0, 0, 1));
}

// The place and turn of a bone below `parent`, `restOffset` from it at rest.
void follow(MmdBonePose& child, const MmdBonePose& parent, const Point& restOffset) {
    child.world = parent.world * child.local;
    child.position = parent.position + parent.world * (restOffset + child.offset);
}

void stand(MmdBonePose& bone, const Point& rest) {
    bone.world = bone.local;
    bone.position = rest + bone.offset;
}

Point clamped(const Point& angles, const Point& lower, const Point& upper) {
    return {clamp(angles.x, lower.x, upper.x), clamp(angles.y, lower.y, upper.y), clamp(angles.z, lower.z, upper.z)};
}

// A link that may turn about its X axis alone, as a knee.
bool isHinge(const RigIkLink& link) {
    return link.limited && link.lower.y == 0 && link.upper.y == 0 && link.lower.z == 0 && link.upper.z == 0 &&
           link.lower.x < link.upper.x;
}

// A turn of a hinge beyond its limits, tried the other way first: a straight
// knee that the free turn would bend the way it cannot bends the way it can.
double flippedIntoLimits(double turn, double lower, double upper) {
    if (turn >= lower && turn <= upper) {
        return turn;
    }
    if (-turn >= lower && -turn <= upper) {
        return -turn;
    }
    const double middle = 0.5 * (lower + upper);
    return std::abs(middle - turn) > std::abs(middle + turn) ? -turn : turn;
}

}  // namespace

double morphWeightAt(const std::vector<VmdMorphKey>& keys, std::uint32_t frame) {
    if (keys.empty()) {
        return 0;
    }
    const auto later = std::upper_bound(keys.begin(), keys.end(), frame,
                                        [](std::uint32_t f, const VmdMorphKey& key) { return f < key.frame; });
    double weight = 0;
    if (later == keys.begin()) {
        weight = keys.front().weight;
    } else if (later == keys.end()) {
        weight = keys.back().weight;
    } else {
        const VmdMorphKey& before = *(later - 1);
        const double u = static_cast<double>(frame - before.frame) / static_cast<double>(later->frame - before.frame);
        weight = before.weight + (static_cast<double>(later->weight) - before.weight) * u;
    }
    return std::isfinite(weight) ? weight : 0.0;
}

Quaternion limitedTurn(const Quaternion& turn, const Point& lower, const Point& upper) {
    return fromEulerXyz(clamped(eulerXyz(turn), lower, upper));
}

MmdPoser::MmdPoser(const MotionRig& rig, const RigMotion& motion)
    : rig_(rig),
      motion_(motion),
      boneOrder_(parentsFirstOrder(rig.bones.size(), [&](std::size_t bone) { return rig.bones[bone].parent; })),
      ikOrder_(parentsFirstOrder(rig.ikBones.size(), [&](std::size_t ik) { return rig.ikBones[ik].parentIk; })),
      bones_(rig.bones.size()),
      ikBones_(rig.ikBones.size()) {
    // Of grant sources, those that take a grant themselves come first.
    const auto grantSource = [&](std::size_t bone) {
        const std::optional<std::size_t>& from = rig.bones[bone].grantFrom;
        return from ? static_cast<std::int32_t>(*from) : std::int32_t{-1};
    };
    for (std::size_t bone : parentsFirstOrder(rig.bones.size(), grantSource)) {
        if (rig.bones[bone].grantFrom) {
            grantOrder_.push_back(bone);
        }
    }
    for (const RigIkBone& ik : rig.ikBones) {
        std::vector<std::vector<std::size_t>> linkChains;
        for (const RigIkLink& link : ik.links) {
            // Up from the target to the link; a link that is not above the
            // target moves nothing of it.
            std::vector<std::size_t> chain;
            std::int32_t bone = static_cast<std::int32_t>(ik.targetBone);
            while (bone >= 0 && static_cast<std::size_t>(bone) != link.bone && chain.size() <= rig.bones.size()) {
                chain.push_back(static_cast<std::size_t>(bone));
                bone = rig.bones[static_cast<std::size_t>(bone)].parent;
            }
            if (bone < 0 || chain.size() > rig.bones.size()) {
                chain.clear();
            }
            std::reverse(chain.begin(), chain.end());
            linkChains.push_back(std::move(chain));
        }
        chains_.push_back(std::move(linkChains));
    }
}

void MmdPoser::poseAt(std::uint32_t frame) {
    keyedPose(frame);
    skinForwardKinematics();
    for (std::size_t ik : ikOrder_) {
        placeIkBone(ik);
    }
    // In PMX order: a later IK bone starts from what the earlier ones solved.
    for (std::size_t ik = 0; ik < rig_.ikBones.size(); ++ik) {
        if (ikEnabledAt(*motion_.showIk, motion_.ikSjisNames[ik], frame)) {
            solveIk(ik);
            skinForwardKinematics();
        }
    }
    if (!grantOrder_.empty()) {
        applyGrants();
        skinForwardKinematics();
    }
}

// Each grant bone's own turn, then its share of the source's local turn.
void MmdPoser::applyGrants() {
    for (std::size_t bone : grantOrder_) {
        const RigBone& rigBone = rig_.bones[bone];
        bones_[bone].local = bones_[bone].local * shareOfTurn(bones_[*rigBone.grantFrom].local, rigBone.grantRatio);
    }
}

void MmdPoser::addMorphs(std::uint32_t frame) {
    for (std::size_t morph = 0; morph < rig_.morphs.size(); ++morph) {
        const std::vector<VmdMorphKey>* keys = morph < motion_.morphKeys.size() ? motion_.morphKeys[morph] : nullptr;
        const double weight = keys == nullptr ? 0.0 : morphWeightAt(*keys, frame);
        if (weight == 0) {
            continue;
        }
        for (const RigMorphOffset& offset : rig_.morphs[morph].offsets) {
            MmdBonePose& bone = bones_[offset.bone];
            bone.local = bone.local * shareOfTurn(offset.rotation, weight);
            bone.offset += offset.translation * weight;
        }
    }
}

void MmdPoser::keyedPose(std::uint32_t frame) {
    const auto pose = [frame](MmdBonePose& bone, const std::vector<VmdBoneKey>* keys) {
        if (keys == nullptr) {
            bone.local = Quaternion(1, 0, 0, 0);
            bone.offset = Point(0.0);
            return;
        }
        const BonePoseAt keyed = evaluateBone(*keys, frame);
        bone.local = keyRotation(keyed.rotation);
        bone.offset = keyOffset(keyed.position);
    };
    for (std::size_t bone = 0; bone < bones_.size(); ++bone) {
        pose(bones_[bone], motion_.boneKeys[bone]);
    }
    for (std::size_t ik = 0; ik < ikBones_.size(); ++ik) {
        pose(ikBones_[ik], motion_.ikKeys[ik]);
    }
    addMorphs(frame);
}

void MmdPoser::skinForwardKinematics() {
    for (std::size_t bone : boneOrder_) {
        placeSkinBone(bone);
    }
}

void MmdPoser::placeSkinBone(std::size_t bone) {
    const RigBone& rigBone = rig_.bones[bone];
    if (rigBone.parent < 0) {
        stand(bones_[bone], rigBone.rest);
        return;
    }
    const auto parent = static_cast<std::size_t>(rigBone.parent);
    follow(bones_[bone], bones_[parent], rigBone.rest - rig_.bones[parent].rest);
}

void MmdPoser::placeIkBone(std::size_t ik) {
    const RigIkBone& rigIk = rig_.ikBones[ik];
    if (rigIk.parentBone >= 0) {
        const auto parent = static_cast<std::size_t>(rigIk.parentBone);
        follow(ikBones_[ik], bones_[parent], rigIk.rest - rig_.bones[parent].rest);
        return;
    }
    if (rigIk.parentIk < 0) {
        stand(ikBones_[ik], rigIk.rest);
        return;
    }
    const auto parent = static_cast<std::size_t>(rigIk.parentIk);
    follow(ikBones_[ik], ikBones_[parent], rigIk.rest - rig_.ikBones[parent].rest);
}

// Cyclic coordinate descent, as MMD runtimes solve it from the keyed pose:
// each loop turns every link in turn so that the line from it to the target
// bone points at the IK bone, by at most the unit angle, within its limits.
void MmdPoser::solveIk(std::size_t ik) {
    const RigIkBone& rigIk = rig_.ikBones[ik];
    const Point goal = ikBones_[ik].position;
    for (std::uint32_t loop = 0; loop < rigIk.loopCount; ++loop) {
        bool turned = false;
        for (std::size_t i = 0; i < rigIk.links.size(); ++i) {
            turnLink(ik, i, loop, goal, turned);
        }
        if (!turned) {
            break;
        }
    }
}

void MmdPoser::turnLink(std::size_t ik, std::size_t linkIndex, std::uint32_t loop, const Point& goal, bool& turned) {
    const RigIkBone& rigIk = rig_.ikBones[ik];
    const RigIkLink& link = rigIk.links[linkIndex];
    MmdBonePose& linkPose = bones_[link.bone];
    const Quaternion toLink = glm::conjugate(linkPose.world);
    const Point effector = glm::normalize(toLink * (bones_[rigIk.targetBone].position - linkPose.position));
    const Point target = glm::normalize(toLink * (goal - linkPose.position));
    // A hinge that starts the solve straight (at or beyond the limit it
    // straightens to) would be turned the way it cannot bend and clamped
    // straight again at every step, the goal never reached.
    const bool startsStraight = loop == 0 && isHinge(link) && eulerXyz(linkPose.local).x >= link.upper.x;
    double angle = portable::acos(clamp(glm::dot(effector, target), -1.0, 1.0));
    if (!(angle >= smallestTurn)) {
        const double reach = glm::length(bones_[rigIk.targetBone].position - linkPose.position);
        if (startsStraight && glm::length(goal - linkPose.position) < reach * (1 - smallestTurn)) {
            // Straight at a goal straight ahead but nearer: no direction to
            // turn to, only a bend to start, which the next loops complete.
            linkPose.local = fromEulerXyz({std::max(link.lower.x, link.upper.x - straightKneeBend), 0, 0});
            placeChain(ik, linkIndex);
            turned = true;
        }
        return;
    }
    angle = std::min(angle, rigIk.unitAngle);
    const Point axis = glm::cross(effector, target);
    const double axisLength = glm::length(axis);
    if (!(axisLength > 0)) {
        return;  // straight away from the goal: no one axis to turn about
    }
    linkPose.local = linkPose.local * turnAbout(angle, axis / axisLength);
    if (link.limited) {
        Point angles = eulerXyz(linkPose.local);
        if (startsStraight) {
            angles.x = flippedIntoLimits(angles.x, link.lower.x, link.upper.x);
        }
        linkPose.local = fromEulerXyz(clamped(angles, link.lower, link.upper));
    }
    placeChain(ik, linkIndex);
    turned = true;
}

void MmdPoser::placeChain(std::size_t ik, std::size_t linkIndex) {
    placeSkinBone(rig_.ikBones[ik].links[linkIndex].bone);
    for (std::size_t bone : chains_[ik][linkIndex]) {
        placeSkinBone(bone);
    }
}

}  // namespace zorvek

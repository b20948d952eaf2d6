#include "motion/MotionRig.h"

#include <glm/matrix.hpp>

namespace zorvek {

namespace {

constexpr std::int32_t none = -1;

bool posed(const PmxRigBone& bone) {
    return bone.role == RigBoneRole::Frame || bone.role == RigBoneRole::Control;
}

RigIkBone ikBoneOf(const PmxRigBone& pmx, const std::vector<std::int32_t>& rigIndex,
                   const std::vector<std::int32_t>& ikIndex) {
    const PmxIk& ik = pmx.bone.ik;
    RigIkBone rigIk;
    rigIk.name = pmx.bone.name;
    rigIk.targetBone = static_cast<std::size_t>(rigIndex[static_cast<std::size_t>(ik.target)]);
    if (pmx.bone.parent >= 0) {
        rigIk.parentIk = ikIndex[static_cast<std::size_t>(pmx.bone.parent)];
        rigIk.parentBone = rigIndex[static_cast<std::size_t>(pmx.bone.parent)];
    }
    rigIk.rest = toPoint(pmx.bone.position);
    rigIk.loopCount = static_cast<std::uint32_t>(ik.loopCount);
    rigIk.unitAngle = ik.limitAngle;
    for (const PmxIkLink& link : ik.links) {
        RigIkLink rigLink;
        rigLink.bone = static_cast<std::size_t>(rigIndex[static_cast<std::size_t>(link.bone)]);
        rigLink.limited = link.limited;
        rigLink.lower = toPoint(link.lowerLimit);
        rigLink.upper = toPoint(link.upperLimit);
        rigIk.links.push_back(rigLink);
    }
    return rigIk;
}

}  // namespace

MotionRig makeMotionRig(const PmxRig& rig, std::u16string modelName) {
    MotionRig motionRig;
    motionRig.modelName = std::move(modelName);
    // Each PMX bone's place among the rig's bones or IK bones.
    std::vector<std::int32_t> rigIndex(rig.bones.size(), none);
    std::vector<std::int32_t> ikIndex(rig.bones.size(), none);
    std::int32_t bones = 0, iks = 0;
    for (std::size_t i = 0; i < rig.bones.size(); ++i) {
        if (posed(rig.bones[i])) {
            rigIndex[i] = bones++;
        } else if (rig.bones[i].role == RigBoneRole::Ik) {
            ikIndex[i] = iks++;
        }
    }
    for (std::size_t i = 0; i < rig.bones.size(); ++i) {
        const PmxRigBone& pmx = rig.bones[i];
        if (posed(pmx)) {
            RigBone bone;
            bone.name = pmx.bone.name;
            bone.frame = pmx.frame;
            bone.parent = pmx.bone.parent < 0 ? none : rigIndex[static_cast<std::size_t>(pmx.bone.parent)];
            bone.parentIsGameParent = pmx.parentIsGameParent;
            bone.axes = columnForm(pmx.restAxes);
            bone.axesInverse = glm::inverse(bone.axes);
            bone.rest = toPoint(pmx.bone.position);
            bone.frameOffset = toPoint(pmx.frameOffset);
            if (pmx.keysOn && rigIndex[*pmx.keysOn] != none) {
                bone.keysOn = static_cast<std::size_t>(rigIndex[*pmx.keysOn]);
            }
            const std::int32_t source = pmx.bone.inheritParent;
            if ((pmx.bone.flags & PmxInheritsRotation) && source >= 0 &&
                static_cast<std::size_t>(source) < rig.bones.size() &&
                rigIndex[static_cast<std::size_t>(source)] != none) {
                bone.grantFrom = static_cast<std::size_t>(rigIndex[static_cast<std::size_t>(source)]);
                bone.grantRatio = pmx.bone.inheritWeight;
            }
            motionRig.bones.push_back(std::move(bone));
        } else if (pmx.role == RigBoneRole::Ik) {
            motionRig.ikBones.push_back(ikBoneOf(pmx, rigIndex, ikIndex));
        }
    }
    for (const PmxMorph& morph : rig.morphs) {
        if (morph.type != static_cast<std::uint8_t>(PmxMorphType::Bone)) {
            continue;
        }
        RigMorph rigMorph{morph.name, {}};
        for (const PmxBoneOffset& offset : morph.boneOffsets) {
            if (offset.bone < 0 || static_cast<std::size_t>(offset.bone) >= rig.bones.size() ||
                rigIndex[static_cast<std::size_t>(offset.bone)] == none) {
                continue;
            }
            rigMorph.offsets.push_back({static_cast<std::size_t>(rigIndex[static_cast<std::size_t>(offset.bone)]),
                                        toPoint(offset.translation), unitQuaternion(offset.rotation)});
        }
        motionRig.morphs.push_back(std::move(rigMorph));
    }
    return motionRig;
}

}  // namespace zorvek

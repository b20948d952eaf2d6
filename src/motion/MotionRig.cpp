#include "motion/MotionRig.h"

#include <glm/matrix.hpp>

namespace zorvek {

namespace {

std::int32_t pmxParent(const DffModel& model, const DffFrame& frame) {
    return frame.parentIndex < 0 ? -1 : model.frames[static_cast<std::size_t>(frame.parentIndex)].boneNumber;
}

}  // namespace

MotionRig makeMotionRig(const DffModel& prepared, ConversionMode mode, const BonePlan& plan, const IkTable& iks,
                        std::u16string modelName) {
    MotionRig rig;
    rig.modelName = std::move(modelName);
    for (std::size_t bone = 0; bone < plan.skinBones.size(); ++bone) {
        const SkinBonePlan& planned = plan.skinBones[bone];
        RigBone rigBone;
        rigBone.name = skinBoneName(prepared, mode, planned);
        rigBone.frame = planned.frame;
        rigBone.parent = pmxParent(prepared, prepared.frames[planned.frame]);
        rigBone.axes = columnForm(prepared.boneMatrices[bone]);
        rigBone.axesInverse = glm::inverse(rigBone.axes);
        rigBone.rest = toPoint(skinBonePosition(prepared, bone));
        rig.bones.push_back(std::move(rigBone));
    }
    for (const IkBonePlan& ik : plan.ikBones) {
        const IkTableEntry& row = iks[ik.row];
        RigIkBone rigIk;
        rigIk.name = row.ikName;
        rigIk.targetBone = static_cast<std::size_t>(prepared.frames[ik.targetFrame].boneNumber);
        if (row.parentIk != -1) {
            // The plan numbers IK bones after the skin bones, in row order.
            rigIk.parentIk = plan.ikBoneIndex[static_cast<std::size_t>(row.parentIk)] - plan.skinBoneCount();
        }
        rigIk.rest = toPoint(ikBonePosition(prepared, ik));
        rigIk.loopCount = row.loopCount;
        rigIk.unitAngle = row.limitAngle;
        for (std::size_t i = 0; i < row.links.size() && i < ik.linkFrames.size(); ++i) {
            const IkLink& link = row.links[i];
            RigIkLink rigLink;
            rigLink.bone = static_cast<std::size_t>(prepared.frames[ik.linkFrames[i]].boneNumber);
            rigLink.limited = hasLimits(link);
            rigLink.lower = toPoint(link.lowerLimit);
            rigLink.upper = toPoint(link.upperLimit);
            rigIk.links.push_back(rigLink);
        }
        rig.ikBones.push_back(std::move(rigIk));
    }
    return rig;
}

}  // namespace zorvek

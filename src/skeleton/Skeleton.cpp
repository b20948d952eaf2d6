#include "skeleton/Skeleton.h"

#include "base/UserMessageError.h"
#include "skeleton/BoneFrames.h"
#include "skeleton/SkeletonMath.h"

#include <cstddef>
#include <vector>

namespace zorvek {

namespace {

// Bone 1 is the reference whose bind pose gives the converted axes.
constexpr std::size_t referenceBone = 1;

void checkSkeleton(const DffModel& model, const std::vector<std::size_t>& boneFrames) {
    for (std::size_t frame : boneFrames) {
        checkParentFrame(model, frame, false);
    }
}

Axes boneAxes(const DffModel& model, std::size_t bone, const DffFrame& frame, ConversionMode mode,
              const BoneTable& bones) {
    const Axes relative = relativeAxes(model.inverseBindMatrices[bone], model.inverseBindMatrices[referenceBone]);
    if (mode == ConversionMode::None) {
        return relative;
    }
    // A bone the table does not know keeps its own orientation; the writer warns about it.
    const BoneTableEntry* row = findBoneRow(bones, frame.boneId);
    return row == nullptr ? relative : rotateAxes(relative, alignmentRotation(relative[0], row->direction));
}

// Its frame offset carried through the parent bone's matrix, which is still
// all zeros when the parent has a higher bone number.
Vec3 bonePosition(const DffModel& model, const std::vector<Matrix44>& boneMatrices, const DffFrame& frame) {
    const DffFrame& parent = model.frames[static_cast<std::size_t>(frame.parentIndex)];
    if (parent.boneNumber == -1) {
        return {0, 1, 0};
    }
    return transformPoint(frame.translation, boneMatrices[static_cast<std::size_t>(parent.boneNumber)]);
}

void setRow(Matrix44& matrix, int row, Vec3 value, float w) {
    matrix.at(row, 0) = value.x;
    matrix.at(row, 1) = value.y;
    matrix.at(row, 2) = value.z;
    matrix.at(row, 3) = w;
}

}  // namespace

PreparedSkeleton prepareSkeleton(const DffModel& model, ConversionMode mode, const BoneTable& bones) {
    const std::size_t boneCount = model.inverseBindMatrices.size();
    if (boneCount <= referenceBone) {
        throw UserMessageError("スキンのボーンが2つ未満です");
    }
    checkBoneNumbersWithin(model, boneCount);
    const std::vector<std::size_t> boneFrames = findBoneFrames(model, boneCount);
    checkSkeleton(model, boneFrames);

    PreparedSkeleton skeleton;
    skeleton.boneMatrices.assign(boneCount, Matrix44{});
    skeleton.skinMatrices.assign(boneCount, Matrix44{});
    for (std::size_t bone = 0; bone < boneCount; ++bone) {
        const DffFrame& frame = model.frames[boneFrames[bone]];
        const Axes axes = boneAxes(model, bone, frame, mode, bones);
        Matrix44& matrix = skeleton.boneMatrices[bone];
        for (int row = 0; row < 3; ++row) {
            setRow(matrix, row, axes[static_cast<std::size_t>(row)], 0);
        }
        setRow(matrix, 3, bonePosition(model, skeleton.boneMatrices, frame), 1);
    }
    for (std::size_t bone = 0; bone < boneCount; ++bone) {
        skeleton.skinMatrices[bone] = affineProduct(model.inverseBindMatrices[bone], skeleton.boneMatrices[bone]);
    }
    return skeleton;
}

}  // namespace zorvek

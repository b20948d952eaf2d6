#include "convert/BoneLayout.h"

#include "convert/GameBoneLayout.h"
#include "convert/StandardSkeletonLayout.h"

namespace zorvek {

PmxRig layoutBones(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BoneTable& bones,
                   const IkTable& iks) {
    if (mode == ConversionMode::Standard) {
        return layoutStandardSkeleton(model, skeleton, bones, iks);
    }
    return layoutGameHierarchy(model, skeleton, mode, bones, iks);
}

}  // namespace zorvek

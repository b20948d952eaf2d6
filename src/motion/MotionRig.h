#pragma once

// What a motion needs to know of the PMX it is made for: the names, parents,
// rest places and axes of its bones, taken from the same prepared skeleton
// and bone plan the PMX is written from.

#include "dff/DffModel.h"
#include "motion/PoseMath.h"
#include "pmx/PmxBonePlan.h"
#include "skeleton/ConversionMode.h"
#include "tables/IkTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

struct RigBone {
    std::u16string name;
    std::size_t frame = 0;     // the DFF frame the bone stands for
    std::int32_t parent = -1;  // the parent skin bone; -1 where the PMX gives none
    Rotation axes{1.0};        // the bone's PMX rest orientation (column form)
    Rotation axesInverse{1.0};
    Point rest{0.0};  // where the PMX puts the bone
};

// A bone the IK turns, with its limits as MMD reads them: Euler angles X, Y
// and Z (rotation = Rx * Ry * Rz, radians, MMD's axes), each within its bounds.
struct RigIkLink {
    std::size_t bone = 0;
    bool limited = false;
    Point lower{0.0};
    Point upper{0.0};
};

struct RigIkBone {
    std::u16string name;
    std::size_t targetBone = 0;
    std::int32_t parentIk = -1;  // an earlier IK bone of the rig, or -1
    Point rest{0.0};
    std::uint32_t loopCount = 0;
    double unitAngle = 0;          // the most a link turns in one step, radians
    std::vector<RigIkLink> links;  // from the target up, as the PMX lists them
};

struct MotionRig {
    std::u16string modelName;
    std::vector<RigBone> bones;  // skin bones by bone number
    std::vector<RigIkBone> ikBones;
};

MotionRig makeMotionRig(const DffModel& prepared, ConversionMode mode, const BonePlan& plan, const IkTable& iks,
                        std::u16string modelName);

}  // namespace zorvek

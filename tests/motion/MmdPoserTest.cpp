// Our MMD player on the sample's mmd-mode PMX where three.js's cannot be the
// judge: legs keyed straight, as motions made for standard models leave them,
// must still reach their IK bones; IK bones switched off must not pull.

#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/MmdPoser.h"
#include "motion/MotionRig.h"
#include "motion/RigMotion.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

VmdBoneTrack keyed(std::u16string_view name, std::uint32_t frame, Vec3 position) {
    return {toShiftJis(name), {{frame, position, {0, 0, 0, 1}, {}}}};
}

struct ReachCase {
    const char* name;
    Vec3 centre;
    Vec3 leftFoot;
    Vec3 rightFoot;
    bool rightIkOn;
};

class StraightLegs : public testing::TestWithParam<ReachCase> {};

TEST_P(StraightLegs, ReachTheirIkBonesUnlessTheIkIsOff) {
    const ReachCase& c = GetParam();
    const ConversionTables tables = loadConversionTables(source / "data");
    PreparedConversion model = DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                               }).prepare(ConversionMode::NamesAndAxes, tables);
    const MotionRig rig = makeMotionRig(model, tables);

    VmdMotion file;
    file.bones.push_back(keyed(u"センター", 0, c.centre));
    file.bones.push_back(keyed(u"左足ＩＫ", 0, c.leftFoot));
    file.bones.push_back(keyed(u"右足ＩＫ", 0, c.rightFoot));
    file.showIk.push_back({0, true, {{toShiftJis(u"右足ＩＫ"), c.rightIkOn}}});
    const RigMotion motion = bindMotion(rig, file);
    MmdPoser poser(rig, motion);
    poser.poseAt(0);
    ASSERT_EQ(rig.ikBones.size(), 4u);
    for (const std::size_t ik : {std::size_t{0}, std::size_t{2}}) {
        const Point goal = poser.ikBones()[ik].position;
        const Point ankle = poser.bones()[rig.ikBones[ik].targetBone].position;
        const bool on = ik == 0 || c.rightIkOn;
        if (on) {
            EXPECT_LT(glm::length(goal - ankle), 0.01) << utf16ToUtf8(rig.ikBones[ik].name);
        } else {
            // Off, the leg hangs straight from the lowered hips.
            const Point rest = rig.bones[rig.ikBones[ik].targetBone].rest;
            EXPECT_LT(glm::length(rest + Point(c.centre.x, c.centre.y, c.centre.z) - ankle), 1e-6);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sample, StraightLegs,
                         testing::Values(ReachCase{"Crouch", {0, -2, 0}, {}, {}, true},
                                         ReachCase{"DeepCrouch", {0, -5, 0.5f}, {0.3f, 0, 0}, {-0.3f, 0, 0}, true},
                                         ReachCase{"StepForward", {0, -1.5f, -0.5f}, {0, 0.5f, -2}, {}, true},
                                         ReachCase{"RightIkOff", {0, -2, 0}, {}, {}, false}),
                         [](const testing::TestParamInfo<ReachCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

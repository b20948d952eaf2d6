// Our playing of a motion with leg IK against three.js's MMD runtime
// (MMDLoader, MMDAnimationHelper and its CCD IK solver, which we did not
// write), on the PMX converted from the sample in the mmd and standard
// modes: every joint within 0.01 units at every frame.

#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/MmdPoser.h"
#include "motion/MotionRig.h"
#include "motion/RigMotion.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"
#include "vmd/VmdReader.h"
#include "vmd/VmdWriter.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <cstdio>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);
const std::filesystem::path runtimeFolder = source / "tests/motion/three";

Vec4 turnX(double degrees) {
    const double half = degrees * 3.14159265358979323846 / 360.0;
    return {static_cast<float>(std::sin(half)), 0, 0, static_cast<float>(std::cos(half))};
}

struct IkCase {
    const char* name;
    ConversionMode mode;
    Vec3 crouch;     // センター's offset at frame 15 (2 units down at frames 0 and 30)
    Vec3 leftFoot;   // 左足ＩＫ's offset at frame 20
    Vec3 rightFoot;  // 右足ＩＫ's offset at frame 10
};

// A crouch and a step: the legs keyed a little bent, the feet led by the IK
// bones to places well within the legs' reach (three's solver clamps the knee
// after each step and converges slowly, or not in its 40 loops, where the leg
// is nearly straight).
VmdMotion stepMotion(const IkCase& c) {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"zorvek_sample");
    const Vec3 down{0, -2, 0};
    motion.bones.push_back(
        {toShiftJis(u"センター"), {{0, down, {0, 0, 0, 1}}, {15, c.crouch, {0, 0, 0, 1}}, {30, down, {0, 0, 0, 1}}}});
    motion.bones.push_back({toShiftJis(u"上半身"), {{0, {}, {0, 0, 0, 1}}, {30, {}, turnX(15)}}});
    motion.bones.push_back({toShiftJis(u"左ひざ"), {{0, {}, turnX(-25)}}});
    motion.bones.push_back({toShiftJis(u"右ひざ"), {{0, {}, turnX(-25)}}});
    motion.bones.push_back(
        {toShiftJis(u"左足ＩＫ"), {{0, {}, {0, 0, 0, 1}}, {20, c.leftFoot, {0, 0, 0, 1}}, {30, {}, {0, 0, 0, 1}}}});
    motion.bones.push_back(
        {toShiftJis(u"右足ＩＫ"), {{0, {}, {0, 0, 0, 1}}, {10, c.rightFoot, {0, 0, 0, 1}}, {30, {}, {0, 0, 0, 1}}}});
    if (c.mode == ConversionMode::Standard) {
        // A shoulder lifted (肩C turns it back for the arm) and an arm
        // twisted, which carries the forearm round.
        motion.bones.push_back({toShiftJis(u"左肩P"), {{0, {}, {0, 0, 0, 1}}, {30, {}, turnX(-30)}}});
        motion.bones.push_back({toShiftJis(u"左肩"), {{0, {}, turnX(10)}}});
        motion.bones.push_back({toShiftJis(u"右腕捩"), {{0, {}, {0, 0, 0, 1}}, {30, {}, turnX(120)}}});
        motion.bones.push_back({toShiftJis(u"右ひじ"), {{0, {}, turnX(40)}}});
        motion.bones.push_back({toShiftJis(u"全ての親"), {{0, {}, {0, 0, 0, 1}}, {30, {1, 0, 2}, turnX(5)}}});
    }
    return motion;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string expectedJoints(const MotionRig& rig, const VmdMotion& file, std::uint32_t lastFrame) {
    const RigMotion bound = bindMotion(rig, file);
    MmdPoser poser(rig, bound);
    std::string json = "{\"ik\": true, \"tolerance\": 0.01, \"frames\": [";
    for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
        poser.poseAt(frame);
        json += (frame == 0 ? "" : ", ") + std::string("{\"frame\": ") + std::to_string(frame) + ", \"bones\": {";
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            const Point& p = poser.bones()[bone].position;
            json += (bone == 0 ? "\"" : ", \"") + utf16ToUtf8(rig.bones[bone].name) + "\": [" + number(p.x) + ", " +
                    number(p.y) + ", " + number(p.z) + "]";
        }
        json += "}}";
    }
    return json + "]}";
}

class IkMmdRuntimeCheck : public testing::TestWithParam<IkCase> {};

TEST_P(IkMmdRuntimeCheck, EveryJointAsThreeJsSolvesIt) {
    if (const std::string missing = test::missingNodePackage(runtimeFolder, "three"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const ConversionTables tables = loadConversionTables(source / "data");
    PreparedConversion model = DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                               }).prepare(GetParam().mode, tables);
    const MotionRig rig = makeMotionRig(model, tables);

    test::TempDir dir;
    const auto pmx =
        dir.write("sample.pmx", DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {})
                                    .prepare(GetParam().mode, tables)
                                    .buildPmx(".png", tables, [](const std::string&) {})
                                    .span());
    const ByteBlock vmdBytes = writeVmd(stepMotion(GetParam()));
    const auto vmd = dir.write("step.vmd", vmdBytes.span());
    const auto expected = dir.write("expected.json", expectedJoints(rig, readVmd(vmdBytes.span()), 30));
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(runtimeFolder / "check-motion.mjs") + " " +
                         test::shellQuoted(pmx) + " " + test::shellQuoted(vmd) + " " + test::shellQuoted(expected));
    EXPECT_EQ(result.status, 0) << result.output;
    RecordProperty("runtime", result.output);
    const std::string checked = "checked " + std::to_string(rig.bones.size() * 31) + " positions in 31 frames";
    EXPECT_NE(result.output.find(checked), std::string::npos) << result.output;
    std::printf("%s", result.output.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    LegIk, IkMmdRuntimeCheck,
    testing::Values(
        IkCase{"Crouch", ConversionMode::NamesAndAxes, {0, -3.5f, 0}, {0.3f, 0.8f, -1.0f}, {-0.3f, 0.5f, 0.8f}},
        IkCase{"HighStep", ConversionMode::NamesAndAxes, {0, -2.5f, 0.5f}, {0, 2.5f, -2.0f}, {0.5f, 0, 0}},
        IkCase{"StandardCrouch", ConversionMode::Standard, {0, -3.5f, 0}, {0.3f, 0.8f, -1.0f}, {-0.3f, 0.5f, 0.8f}}),
    [](const testing::TestParamInfo<IkCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

// The sample's walk cycle played by three.js's MMD runtime (MMDLoader and
// MMDAnimationHelper, which we did not write) on the PMX converted from the
// sample: every joint where the game's pose, mapped into the PMX, puts it.

#include "MotionTestRig.h"

#include "base/TextEncoding.h"
#include "ifp/IfpReader.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/MotionBuilder.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);
const std::filesystem::path runtimeFolder = source / "tests/motion/three";

struct RuntimeCase {
    const char* name;
    ConversionMode mode;
    bool ik;
};

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

// Every joint of the PMX at every frame of the animation, as the game poses it.
std::string expectedJoints(const DffModel& model, const MotionRig& rig, const IfpAnimation& animation, bool ik) {
    std::string json = std::string("{\"ik\": ") + (ik ? "true" : "false") + ", \"tolerance\": 0.01, \"frames\": [";
    const std::uint32_t last = lastMotionFrame(animation);
    for (std::uint32_t frame = 0; frame <= last; ++frame) {
        const auto game = test::gameWorldPose(model, animation, static_cast<float>(frame) / 30.0f);
        json += (frame == 0 ? "" : ", ") + std::string("{\"frame\": ") + std::to_string(frame) + ", \"bones\": {";
        bool first = true;
        for (const RigBone& bone : rig.bones) {
            if (!bone.frame) {
                continue;  // the game has nothing that places it
            }
            const test::RowPose& g = game[*bone.frame];
            // A bone that stands away from its frame turns about the frame's place.
            const Rotation turn = gameToMmdRotation() * glm::transpose(g.rotation) * bone.axesInverse;
            const glm::dvec3 p = test::mappedIntoPmx(g.position) + turn * bone.frameOffset;
            json += (first ? "\"" : ", \"") + utf16ToUtf8(bone.name) + "\": [" + number(p.x) + ", " + number(p.y) +
                    ", " + number(p.z) + "]";
            first = false;
        }
        json += "}}";
    }
    return json + "]}";
}

class MmdRuntimePlays : public testing::TestWithParam<RuntimeCase> {};

TEST_P(MmdRuntimePlays, TheSampleWalkAsTheGameDoes) {
    if (const std::string missing = test::missingNodePackage(runtimeFolder, "three"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const RuntimeCase& c = GetParam();
    const ConversionTables tables = loadConversionTables(source / "data");
    PreparedConversion model = DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                               }).prepare(c.mode, tables);
    const IfpFile animations = readIfpFile(source / "samples/zorvek_sample.ifp");
    const IfpAnimation* walk = findAnimation(animations, "walk");
    ASSERT_NE(walk, nullptr);
    const MotionRig rig = makeMotionRig(model, tables);

    test::TempDir dir;
    const auto pmx =
        dir.write("sample.pmx", DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {})
                                    .prepare(c.mode, tables)
                                    .buildPmx(".png", tables, [](const std::string&) {})
                                    .span());
    const auto vmd =
        dir.write("walk.vmd", MotionTarget(model, tables).buildVmd(*walk, [](const std::string&) {}).span());
    const auto expected = dir.write("expected.json", expectedJoints(model.model(), rig, *walk, c.ik));
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(runtimeFolder / "check-motion.mjs") + " " +
                         test::shellQuoted(pmx) + " " + test::shellQuoted(vmd) + " " + test::shellQuoted(expected));
    EXPECT_EQ(result.status, 0) << result.output;
    RecordProperty("runtime", result.output);
    const std::uint32_t frames = lastMotionFrame(*walk) + 1;
    std::size_t placed = 0;
    for (const RigBone& bone : rig.bones) {
        placed += bone.frame ? 1 : 0;
    }
    const std::string checked =
        "checked " + std::to_string(placed * frames) + " positions in " + std::to_string(frames) + " frames";
    EXPECT_NE(result.output.find(checked), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(SampleWalk, MmdRuntimePlays,
                         testing::Values(RuntimeCase{"NamesIkOn", ConversionMode::NamesAndAxes, true},
                                         RuntimeCase{"NamesIkOff", ConversionMode::NamesAndAxes, false},
                                         RuntimeCase{"BoneInfo", ConversionMode::AxesAndBoneInfo, false},
                                         RuntimeCase{"StandardIkOn", ConversionMode::Standard, true},
                                         RuntimeCase{"StandardIkOff", ConversionMode::Standard, false}),
                         [](const testing::TestParamInfo<RuntimeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

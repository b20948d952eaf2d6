// Written motions read by mmd-parser, a VMD reader we did not write.
#include "base/ShiftJis.h"
#include "vmd/VmdWriter.h"

#include "support/NodeScripts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace zorvek {
namespace {

const std::filesystem::path checkerFolder = std::filesystem::path(ZORVEK_SOURCE_DIR) / "tests/pmx/mmd-parser";

// Why the check cannot run here, or "" when it can.
std::string missingTools() {
    return test::missingNodePackage(checkerFolder, "mmd-parser");
}

test::CommandResult check(const VmdMotion& motion, const std::string& expectations) {
    test::TempDir dir;
    const std::filesystem::path file = dir.write("motion.vmd", writeVmd(motion).span());
    const std::filesystem::path expected = dir.write("expected.json", expectations);
    return test::runCommand("node " + test::shellQuoted(checkerFolder / "check-vmd.js") + " " +
                            test::shellQuoted(file) + " " + test::shellQuoted(expected));
}

VmdMotion legMotion() {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"ZORVEKモデル");
    motion.bones = {
        {toShiftJis(u"センター"),
         {{0, {1.5f, -2.0f, 0.25f}, {0, 0, 0, 1}}, {30, {0.1f, 10, 0}, {0.5f, 0.5f, 0.5f, 0.5f}}}},
        {toShiftJis(u"右ひざ"), {{5, {}, {0.2588190f, 0, 0, 0.9659258f}}}},
        {toShiftJis(u"Bip01 L Clavicle"), {{7, {-3, 0, 0}, {0, 0.7071068f, 0, 0.7071068f}}}},
    };
    motion.showIk = {{0, true, {{toShiftJis(u"右足ＩＫ"), true}, {toShiftJis(u"左足ＩＫ"), false}}}, {12, false, {}}};
    return motion;
}

TEST(VmdMmdParserCheck, ReadsNamesKeysAndShowIkKeys) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const test::CommandResult result = check(legMotion(), R"({
        "modelName": "ZORVEKモデル", "motionCount": 4,
        "motions": [
            {"boneName": "センター", "frame": 0, "position": [1.5, -2, 0.25], "rotation": [0, 0, 0, 1]},
            {"boneName": "センター", "frame": 30, "position": [0.1, 10, 0], "rotation": [0.5, 0.5, 0.5, 0.5]},
            {"boneName": "右ひざ", "frame": 5, "position": [0, 0, 0], "rotation": [0.2588190, 0, 0, 0.9659258]},
            {"boneName": "Bip01 L Clavicl", "frame": 7, "position": [-3, 0, 0],
             "rotation": [0, 0.7071068, 0, 0.7071068]}],
        "showIk": [
            {"frame": 0, "visible": true, "iks": [{"name": "右足ＩＫ", "enabled": true},
                                                  {"name": "左足ＩＫ", "enabled": false}]},
            {"frame": 12, "visible": false, "iks": []}]})");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

// The checker finds a wrong name, frame and IK switch.
TEST(VmdMmdParserCheck, ReportsWrongExpectations) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const test::CommandResult result = check(legMotion(), R"({
        "motions": [{"boneName": "センター", "frame": 0, "position": [1.5, -2, 0.25], "rotation": [0, 0, 0, 1]},
                    {"boneName": "左ひざ", "frame": 31, "position": [0.1, 10, 0], "rotation": [0.5, 0.5, 0.5, 0.5]}],
        "showIk": [{"frame": 0, "visible": true, "iks": [{"name": "右足ＩＫ", "enabled": true}]}]})");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("mismatch: bone key 1: name センター, expected 左ひざ"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("mismatch: bone key 1: frame 30, expected 31"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("mismatch: showIk: "), std::string::npos) << result.output;
}

}  // namespace
}  // namespace zorvek

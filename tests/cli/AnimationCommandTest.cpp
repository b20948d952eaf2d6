// zorvek vmd2ifp: a motion made from the sample's walk, back onto the sample
// model, run in-process with the output streams and the exit status captured.

#include "CommandLineRun.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "ifp/IfpReader.h"
#include "ifp/IfpWriter.h"
#include "jobs/AnimationJob.h"
#include "support/MotionFiles.h"
#include "support/TempDir.h"
#include "vmd/VmdReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::run;
using test::RunResult;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;
const std::string dataFolder = (sourceDir / "data").string();
const std::string done = "読み込んでいます...\n読み込みが完了しました\n出力しています...\n";
// What vmd2ifp plays the motion in without --mode.
constexpr ConversionMode defaultMode = ConversionMode::Standard;

// The animation the job makes of the motion in `mode`, and its warnings as
// standard error shows them.
struct JobAnimation {
    IfpAnimation animation;
    std::string err;
};

JobAnimation jobAnimation(const fs::path& vmd, const fs::path& dff, ConversionMode mode, const std::string& name,
                          bool allKeys) {
    const ConversionTables tables = loadConversionTables(dataFolder);
    PreparedConversion model = DffConversion::fromFile(dff, [](const std::string&) {}).prepare(mode, tables);
    JobAnimation made;
    made.animation = MotionTarget(model, tables)
                         .buildAnimation(readVmdFile(vmd), name, allKeys, [&made](const std::string& warning) {
                             made.err += "警告: " + warning + "\n";
                         });
    return made;
}

struct CommandCase {
    const char* label;
    std::string vmdName;
    std::vector<std::string> arguments;  // after the input, the model and the tables
    bool existingIfp;                    // the sample's IFP lies at out.ifp beforehand
    int status;
    std::string err;      // exactly; "@" stands for the test's folder
    std::string written;  // the file written, "" for none
    std::string animationName;
    std::size_t animations;  // in the file written
};

class AnimationCommand : public ::testing::TestWithParam<CommandCase> {
protected:
    AnimationCommand() : dff(folder.write("hero.dff", test::readBytes(sourceDir / "samples/zorvek_sample.dff"))) {}

    TempDir folder;
    fs::path dff;
};

TEST_P(AnimationCommand, WritesWhatTheJobMakes) {
    const CommandCase& c = GetParam();
    // The sample's walk, as ifp2vmd makes it for the model in the same mode.
    const Bytes walk = test::expectedMotion(sourceDir / "samples/zorvek_sample.ifp", dff,
                                            loadConversionTables(dataFolder), 0, defaultMode);
    // Through the UTF-8 conversions, so that a Japanese name is the same file on Windows.
    const fs::path vmd = folder.path() / utf8ToPath(c.vmdName);
    writeFileAtomically(vmd, walk);
    const Bytes sampleIfp = test::readBytes(sourceDir / "samples/zorvek_sample.ifp");
    if (c.existingIfp) {
        folder.write("out.ifp", sampleIfp);
    }
    std::vector<std::string> arguments{"vmd2ifp", pathToUtf8(vmd), "--model", dff.string(), "--tables", dataFolder};
    for (const std::string& argument : c.arguments) {
        // "@" stands for the test's folder.
        arguments.push_back(argument.starts_with("@") ? (folder / argument.substr(1)).string() : argument);
    }
    const RunResult result = run(arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    std::string err = c.err;
    if (const std::size_t at = err.find('@'); at != std::string::npos) {
        err.replace(at, 1, (folder / "").string());
    }
    EXPECT_EQ(result.err, err);
    if (c.written.empty()) {
        EXPECT_EQ(result.out.find("出力が完了しました"), std::string::npos) << result.out;
        if (c.existingIfp) {
            EXPECT_EQ(test::readBytes(folder / "out.ifp"), sampleIfp);
        }
        return;
    }
    const fs::path written = folder / c.written;
    EXPECT_EQ(result.out, done + written.string() + "\n出力が完了しました\n");
    const IfpFile file = readIfpFile(written);
    ASSERT_EQ(file.animations.size(), c.animations);
    const IfpAnimation* animation = findAnimation(file, c.animationName);
    ASSERT_NE(animation, nullptr);
    // The same keys the job makes, whichever way the file was put together.
    const bool allKeys = std::find(c.arguments.begin(), c.arguments.end(), "--all-keys") != c.arguments.end();
    const IfpAnimation expected = jobAnimation(vmd, dff, defaultMode, c.animationName, allKeys).animation;
    const IfpFile alone = readIfp(writeAnp3({IfpFormat::Anp3, "x", {expected}}).span());
    EXPECT_EQ(*animation, alone.animations.at(0));
}

const std::string refusedName =
    "エラー: VMDのファイル名をアニメーション名にできません (ASCII文字で23文字まで)。--name で指定してください: "
    "歩き.vmd\n";

INSTANTIATE_TEST_SUITE_P(
    Arguments, AnimationCommand,
    ::testing::Values(
        CommandCase{"BesideTheMotion", "stroll.vmd", {}, false, 0, "", "stroll.ifp", "stroll", 1},
        CommandCase{
            "NamedOutput", "stroll.vmd", {"-o", "@out.ifp", "--all-keys"}, false, 0, "", "out.ifp", "stroll", 1},
        CommandCase{
            "NameGiven", "歩き.vmd", {"--name", "walk2", "-o", "@out.ifp"}, false, 0, "", "out.ifp", "walk2", 1},
        CommandCase{"NameRefused", "歩き.vmd", {"-o", "@out.ifp"}, false, 1, refusedName, "", "", 0},
        CommandCase{"BadNameGiven",
                    "stroll.vmd",
                    {"--name", "a_name_longer_than_23_bytes"},
                    false,
                    1,
                    "エラー: アニメーション名にできません (ASCII文字で23文字まで): a_name_longer_than_23_bytes\n",
                    "",
                    "",
                    0},
        CommandCase{"ExistingKept",
                    "stroll.vmd",
                    {"-o", "@out.ifp"},
                    true,
                    1,
                    "エラー: 出力ファイルが既に存在します (上書きするには --force を指定してください): @out.ifp\n",
                    "",
                    "",
                    0},
        CommandCase{
            "ExistingReplaced", "stroll.vmd", {"-o", "@out.ifp", "--force"}, true, 0, "", "out.ifp", "stroll", 1},
        CommandCase{"AddedInto", "stroll.vmd", {"--into", "@out.ifp"}, true, 0, "", "out.ifp", "stroll", 5},
        CommandCase{"SameNameRefused",
                    "walk.vmd",
                    {"--into", "@out.ifp"},
                    true,
                    1,
                    "エラー: 同じ名前のアニメーションが既にあります: walk\n",
                    "",
                    "",
                    0},
        CommandCase{
            "SameNameReplaced", "walk.vmd", {"--into", "@out.ifp", "--force"}, true, 0, "", "out.ifp", "walk", 4}),
    [](const auto& info) { return std::string(info.param.label); });

struct ModeCase {
    const char* label;
    std::vector<std::string> mode;  // the --mode arguments, none for the default
    ConversionMode expected;
};

class AnimationCommandMode : public ::testing::TestWithParam<ModeCase> {
protected:
    AnimationCommandMode()
        : dff(folder.write("hero.dff", test::readBytes(sourceDir / "samples/zorvek_sample.dff"))),
          vmd(folder.write("dance.vmd", test::readBytes(sourceDir / "samples/zorvek_sample.vmd"))) {}

    TempDir folder;
    fs::path dff;
    fs::path vmd;
};

// The sample's dance is made for a standard MMD model: the two MMD modes
// play it differently, so the file shows which one was chosen.
TEST_P(AnimationCommandMode, PlaysTheMotionInThatMode) {
    std::vector<std::string> arguments{"vmd2ifp", vmd.string(), "--model", dff.string(), "--tables", dataFolder};
    arguments.insert(arguments.end(), GetParam().mode.begin(), GetParam().mode.end());
    const RunResult result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path written = folder / "dance.ifp";
    EXPECT_EQ(result.out, done + written.string() + "\n出力が完了しました\n");
    const JobAnimation expected = jobAnimation(vmd, dff, GetParam().expected, "dance", false);
    EXPECT_EQ(result.err, expected.err);
    const ByteBlock file = writeAnp3({IfpFormat::Anp3, "dance", {expected.animation}});
    EXPECT_EQ(test::readBytes(written), Bytes(file.begin(), file.end()));
}

INSTANTIATE_TEST_SUITE_P(Options, AnimationCommandMode,
                         ::testing::Values(ModeCase{"Default", {}, ConversionMode::Standard},
                                           ModeCase{"Standard", {"--mode", "standard"}, ConversionMode::Standard},
                                           ModeCase{"StandardAsDigit", {"--mode", "4"}, ConversionMode::Standard},
                                           ModeCase{
                                               "StandardInCapitals", {"--mode", "sTaNdArD"}, ConversionMode::Standard},
                                           ModeCase{"Mmd", {"--mode", "mmd"}, ConversionMode::NamesAndAxes},
                                           ModeCase{"MmdAsDigit", {"--mode", "3"}, ConversionMode::NamesAndAxes}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(AnimationCommandMode, TheDanceDiffersBetweenTheMmdModes) {
    EXPECT_NE(jobAnimation(vmd, dff, ConversionMode::Standard, "dance", false).animation,
              jobAnimation(vmd, dff, ConversionMode::NamesAndAxes, "dance", false).animation);
}

}  // namespace
}  // namespace zorvek

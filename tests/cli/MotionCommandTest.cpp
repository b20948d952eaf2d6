// zorvek ifp2vmd: the committed sample's animations onto the sample model,
// run in-process with the output streams and the exit status captured.

#include "CommandLineRun.h"

#include "cli/CommandLine.h"

#include "base/TextEncoding.h"
#include "ifp/IfpReader.h"
#include "jobs/MotionJob.h"
#include "support/MotionFiles.h"
#include "support/TempDir.h"
#include "support/ifp/IfpBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;
const std::string dataFolder = (sourceDir / "data").string();
const std::string vmdMagic = "Vocaloid Motion Data 0002";
const std::vector<std::string> sampleAnimations{"walk", "wave", "nod", "look"};
// What ifp2vmd converts for without --mode.
constexpr ConversionMode defaultMode = ConversionMode::Standard;

using test::run;
using test::RunResult;

const std::string bothRead =
    "読み込んでいます...\n読み込みが完了しました\n読み込んでいます...\n読み込みが完了しました\n";

// Copies of the sample beside each other in a fresh folder, so that the
// default output folder, the IFP's, is the test's own.
class MotionCommand : public ::testing::Test {
protected:
    MotionCommand()
        : ifpBytes(test::readBytes(sourceDir / "samples" / "zorvek_sample.ifp")),
          dffBytes(test::readBytes(sourceDir / "samples" / "zorvek_sample.dff")),
          ifp(folder.write("ped.ifp", ifpBytes)),
          dff(folder.write("hero.dff", dffBytes)) {}

    // ifp2vmd on the copies with the shipped tables, then the other arguments.
    RunResult convert(const std::vector<std::string>& arguments) const {
        std::vector<std::string> all{"ifp2vmd", ifp.string(), "--model", dff.string(), "--tables", dataFolder};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return run(all);
    }

    // What the jobs make of the sample's animation for the sample model.
    Bytes expectedVmd(std::size_t animation, ConversionMode mode = defaultMode) const {
        return test::expectedMotion(ifp, dff, loadConversionTables(dataFolder), animation, mode);
    }

    TempDir folder;
    Bytes ifpBytes;
    Bytes dffBytes;
    fs::path ifp;
    fs::path dff;
};

TEST_F(MotionCommand, ListPrintsDurationBonesAndNameOfEach) {
    const RunResult result = run({"ifp2vmd", ifp.string(), "--list"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "読み込んでいます...\n"
              "読み込みが完了しました\n"
              "   1.000 s   22 bones  walk\n"
              "   2.000 s   22 bones  wave\n"
              "   1.000 s    3 bones  nod\n"
              "   1.500 s    2 bones  look\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

// The name field's bytes carry no encoding: each is shown as the character of its value.
TEST_F(MotionCommand, ListShowsHighBytesAsTheirCharacters) {
    IfpFile file = readIfpFile(ifp);
    file.animations.resize(1);
    file.animations[0].name = "caf\xe9";
    const fs::path other = folder.write("other.ifp", test::buildAnp3(file));
    const RunResult result = run({"ifp2vmd", other.string(), "--list"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.ends_with("   1.000 s   22 bones  caf\xc3\xa9\n")) << result.out;
}

// What --list shows selects the animation, as do the stored bytes.
TEST_F(MotionCommand, AnAnimationIsFoundByTheNameAsShown) {
    IfpFile file = readIfpFile(ifp);
    file.animations.resize(1);
    file.animations[0].name = "caf\xe9";
    const fs::path other = folder.write("other.ifp", test::buildAnp3(file));
    for (const std::string typed : {"caf\xc3\xa9", "CAF\xc3\xa9", "caf\xe9"}) {
        const fs::path out = folder / "out.vmd";
        const RunResult result = run({"ifp2vmd", other.string(), "--model", dff.string(), "--anim", typed, "-o",
                                      out.string(), "--force", "--tables", dataFolder});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(fs::exists(out));
    }
}

struct OneCase {
    const char* label;
    std::string anim;
    std::vector<std::string> mode;  // the --mode arguments, none for the default
    std::size_t animation;          // the sample's animation it names
    ConversionMode expectedMode;
    std::string warnings;  // standard error
};

class MotionCommandOne : public MotionCommand, public ::testing::WithParamInterface<OneCase> {};

TEST_P(MotionCommandOne, WritesThatAnimationInThatMode) {
    const fs::path output = folder / "one.vmd";
    std::vector<std::string> arguments{"--anim", GetParam().anim, "-o", output.string()};
    arguments.insert(arguments.end(), GetParam().mode.begin(), GetParam().mode.end());
    const RunResult result = convert(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, bothRead + "出力しています...\n" + output.string() + "\n出力が完了しました\n");
    EXPECT_EQ(result.err, GetParam().warnings);
    const Bytes written = test::readBytes(output);
    EXPECT_EQ(std::string(written.begin(), written.begin() + vmdMagic.size()), vmdMagic);
    EXPECT_EQ(written, expectedVmd(GetParam().animation, GetParam().expectedMode));
    EXPECT_EQ(filesIn(folder.path()), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MotionCommandOne,
    ::testing::Values(OneCase{"Plain", "wave", {}, 1, ConversionMode::Standard, ""},
                      OneCase{"OtherCaseAndBlanks", " WaVe\t", {}, 1, ConversionMode::Standard, ""},
                      OneCase{"LastOne", "LOOK", {}, 3, ConversionMode::Standard, ""},
                      // The frame names, kept in this mode, are longer than VMD's 15 bytes.
                      OneCase{"ModeNone",
                              "walk",
                              {"--mode", "none"},
                              0,
                              ConversionMode::None,
                              "警告: VMDに入らない長いボーン名があります: Bip01 L Clavicle\n"
                              "警告: VMDに入らない長いボーン名があります: Bip01 R Clavicle\n"},
                      OneCase{"ModeInfoAsDigit", "nod", {"--mode", "2"}, 2, ConversionMode::AxesAndBoneInfo, ""},
                      OneCase{"ModeMmdInCapitals", "nod", {"--mode", "MMD"}, 2, ConversionMode::NamesAndAxes, ""},
                      OneCase{"ModeMmdAsDigit", "walk", {"--mode", "3"}, 0, ConversionMode::NamesAndAxes, ""},
                      OneCase{"ModeStandard", "walk", {"--mode", "standard"}, 0, ConversionMode::Standard, ""},
                      OneCase{"ModeStandardAsDigit", "nod", {"--mode", "4"}, 2, ConversionMode::Standard, ""},
                      OneCase{
                          "ModeStandardInCapitals", "nod", {"--mode", "STANDARD"}, 2, ConversionMode::Standard, ""}),
    [](const auto& info) { return std::string(info.param.label); });

// The same motion whatever the mode would be no test of the mode.
TEST_F(MotionCommand, TheModesGiveDifferentMotions) {
    EXPECT_NE(expectedVmd(0, ConversionMode::None), expectedVmd(0, ConversionMode::NamesAndAxes));
    EXPECT_NE(expectedVmd(0, ConversionMode::AxesAndBoneInfo), expectedVmd(0, ConversionMode::NamesAndAxes));
    // The animations the cases above tell the two MMD modes apart by.
    for (const std::size_t animation : {0u, 1u, 2u}) {
        EXPECT_NE(expectedVmd(animation, ConversionMode::Standard),
                  expectedVmd(animation, ConversionMode::NamesAndAxes))
            << sampleAnimations[animation];
    }
}

struct AllCase {
    const char* label;
    std::vector<std::string> arguments;  // DIR stands for the test's folder
    std::string outputFolder;            // below the test's folder
};

class MotionCommandAll : public MotionCommand, public ::testing::WithParamInterface<AllCase> {};

TEST_P(MotionCommandAll, WritesEveryAnimationUnderItsName) {
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(argument.starts_with("DIR") ? folder.path().string() + argument.substr(3) : argument);
    }
    const RunResult result = convert(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    // The folder as typed: with "/" inside, which Windows keeps in the printed paths.
    const fs::path out = GetParam().outputFolder.empty()
                             ? folder.path()
                             : fs::path(folder.path().string() + "/" + GetParam().outputFolder);
    std::string written;
    for (std::size_t i = 0; i < sampleAnimations.size(); ++i) {
        const fs::path path = out / (sampleAnimations[i] + ".vmd");
        written += path.string() + "\n";
        ASSERT_TRUE(fs::exists(path)) << path;
        EXPECT_EQ(test::readBytes(path), expectedVmd(i)) << path;
    }
    EXPECT_EQ(result.out, bothRead + "出力しています...\n" + written + "成功 4 件、失敗 0 件\n出力が完了しました\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(filesIn(out), GetParam().outputFolder.empty() ? 6u : 4u);
}

INSTANTIATE_TEST_SUITE_P(Folders, MotionCommandAll,
                         ::testing::Values(AllCase{"BesideTheAnimations", {}, ""},
                                           AllCase{"MadeWithItsParents", {"-d", "DIR/made/out"}, "made/out"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MotionCommand, NamedAnimationsComeInTheOrderNamedAndEachOnce) {
    const fs::path out = folder / "out";
    const RunResult result = convert({"--anim", "nod", "WALK", "nod", "-d", out.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, bothRead + "出力しています...\n" + (out / "nod.vmd").string() + "\n" +
                              (out / "walk.vmd").string() + "\n成功 2 件、失敗 0 件\n出力が完了しました\n");
    EXPECT_EQ(filesIn(out), 2u);
}

struct UsageCase {
    const char* label;
    std::vector<std::string> arguments;  // after "ifp2vmd ped.ifp"
    std::string message;                 // the first line of standard error
};

class MotionCommandUsage : public MotionCommand, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(MotionCommandUsage, ExitsWithStatus2AndWritesNothing) {
    std::vector<std::string> arguments{"ifp2vmd", ifp.string()};
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(argument == "DFF" ? dff.string() : argument);
    }
    const RunResult result = run(arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.starts_with("zorvek: " + GetParam().message + "\n\n")) << result.err;
    EXPECT_NE(result.err.find("Usage: zorvek"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, MotionCommandUsage,
    ::testing::Values(
        UsageCase{"NoModel", {"--anim", "walk"}, "--model is required: the DFF the PMX was converted from"},
        UsageCase{"OutputWithTwoAnimations",
                  {"--model", "DFF", "--anim", "walk", "wave", "-o", "x.vmd"},
                  "-o/--output takes one --anim only; use -d for several"},
        UsageCase{"OutputWithTwoAnimOptions",
                  {"--model", "DFF", "--anim", "walk", "-o", "x.vmd", "--anim", "wave"},
                  "-o/--output takes one --anim only; use -d for several"},
        UsageCase{"OutputWithoutAnimation",
                  {"--model", "DFF", "-o", "x.vmd"},
                  "-o/--output takes one --anim only; use -d for several"},
        UsageCase{"OutputAndFolder",
                  {"--model", "DFF", "--anim", "walk", "-o", "x.vmd", "-d", "out"},
                  "--output excludes --output-dir"},
        UsageCase{"ListWithModel", {"--list", "--model", "DFF"}, "--list excludes --model"},
        UsageCase{"UnknownMode",
                  {"--model", "DFF", "--mode", "fancy"},
                  "--mode: fancy not in {none,info,mmd,standard,1,2,3,4}"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MotionCommand, AnUnknownAnimationFailsBeforeAnyIsWritten) {
    const RunResult result = convert({"--anim", "walk", " run ", "-d", folder.path().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "読み込んでいます...\n読み込みが完了しました\n");
    EXPECT_EQ(result.err, "エラー: アニメーションが見つかりません: run\n");
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

TEST_F(MotionCommand, AnExistingOutputIsReplacedOnlyWithForce) {
    const fs::path output = folder.write("walk.vmd", std::string_view("old"));
    const RunResult refused = convert({"--anim", "walk", "-o", output.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "エラー: 出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                               output.string() + "\n");
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));

    const RunResult forced = convert({"--anim", "walk", "-o", output.string(), "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(test::readBytes(output), expectedVmd(0));
}

TEST_F(MotionCommand, AnExistingFileInTheFolderFailsOnlyItsOwnAnimation) {
    const fs::path kept = folder.write("nod.vmd", std::string_view("old"));
    const RunResult result = convert({});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                              kept.string() + "\n");
    EXPECT_TRUE(result.out.ends_with("\n成功 3 件、失敗 1 件\n")) << result.out;
    EXPECT_EQ(test::readBytes(kept), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(test::readBytes(folder / "look.vmd"), expectedVmd(3));
}

struct OntoInputCase {
    const char* label;
    std::string output;  // IFP and DFF stand for the inputs, DIR for their folder
};

class MotionCommandOntoInput : public MotionCommand, public ::testing::WithParamInterface<OntoInputCase> {};

TEST_P(MotionCommandOntoInput, IsRefusedEvenWithForceAndTheInputsStay) {
    std::string output = GetParam().output;
    if (output == "IFP" || output == "DFF") {
        output = (output == "IFP" ? ifp : dff).string();
    } else {
        output = folder.path().string() + output.substr(3);
    }
    const RunResult result = convert({"--anim", "walk", "-o", output, "--force"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 入力と出力に同じファイルが指定されています\n");
    EXPECT_EQ(test::readBytes(ifp), ifpBytes);
    EXPECT_EQ(test::readBytes(dff), dffBytes);
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

INSTANTIATE_TEST_SUITE_P(Spellings, MotionCommandOntoInput,
                         ::testing::Values(OntoInputCase{"Animations", "IFP"}, OntoInputCase{"Model", "DFF"},
                                           OntoInputCase{"AnimationsThroughDot", "DIR/./ped.ifp"},
                                           OntoInputCase{"ModelThroughDot", "DIR/./hero.dff"}),
                         [](const auto& info) { return std::string(info.param.label); });

struct ReadFailure {
    const char* label;
    std::size_t cut;   // the sample's first bytes; 0 for no file at all
    std::string text;  // the file's bytes instead, when not empty
    std::string message;
};

class MotionCommandUnreadable : public MotionCommand, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(MotionCommandUnreadable, FailsWithTheReadersMessage) {
    const fs::path bad = folder / "bad.ifp";
    if (!GetParam().text.empty()) {
        folder.write("bad.ifp", GetParam().text);
    } else if (GetParam().cut > 0) {
        folder.write("bad.ifp",
                     Bytes(ifpBytes.begin(), ifpBytes.begin() + static_cast<std::ptrdiff_t>(GetParam().cut)));
    }
    const RunResult result = run({"ifp2vmd", bad.string(), "--model", dff.string(), "--tables", dataFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "読み込んでいます...\n");
    std::string message = GetParam().message;
    if (message.ends_with(": ")) {
        message += bad.string();
    }
    EXPECT_EQ(result.err, "エラー: " + message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, MotionCommandUnreadable,
    ::testing::Values(ReadFailure{"Missing", 0, "", "ファイルを開けませんでした: "},
                      ReadFailure{"NotAnAnimationFile", 0, "not an animation file", "IFPファイルではありません"},
                      ReadFailure{"CutInTheHeader", 35, "", "ファイルが壊れています (ANP3)"},
                      ReadFailure{"CutInTheFirstAnimation", 200, "", "ファイルが壊れています (ANP3\\walk)"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MotionCommand, AMissingModelFailsAfterTheAnimationsAreRead) {
    const fs::path missing = folder / "missing.dff";
    const RunResult result = run({"ifp2vmd", ifp.string(), "--model", missing.string(), "--tables", dataFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "読み込んでいます...\n読み込みが完了しました\n読み込んでいます...\n");
    EXPECT_EQ(result.err, "エラー: ファイルを開けませんでした: " + missing.string() + "\n");
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

struct CollisionCase {
    const char* label;
    std::string first;  // the two animations' names as the file holds them
    std::string second;
    std::string shown;  // how the error line shows them
    std::string file;   // the file both would be written to (UTF-8)
};

class MotionCommandCollision : public MotionCommand, public ::testing::WithParamInterface<CollisionCase> {};

// Both names give one file name: the first animation keeps the file.
TEST_P(MotionCommandCollision, WritesTheFirstAndFailsTheSecond) {
    IfpFile file = readIfpFile(ifp);
    file.animations.resize(3);
    file.animations[0].name = GetParam().first;
    file.animations[1].name = GetParam().second;
    folder.write("ped.ifp", test::buildAnp3(file));
    const fs::path out = folder / "out";
    const RunResult result = convert({"-d", out.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 出力ファイルが他の入力と重なります: " + GetParam().shown + "\n");
    EXPECT_TRUE(result.out.ends_with("\n成功 2 件、失敗 1 件\n")) << result.out;
    EXPECT_EQ(test::readBytes(out / utf8ToPath(GetParam().file)), expectedVmd(0));
    EXPECT_EQ(filesIn(out), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MotionCommandCollision,
    ::testing::Values(CollisionCase{"Ascii", "a/b", "a:b", "a/b (1番目), a:b (2番目)", "a_b.vmd"},
                      // Bytes of no encoding, shown as the list shows them.
                      CollisionCase{"HighBytes", "caf\xe9/x", "caf\xe9:x",
                                    "caf\xc3\xa9/x (1番目), caf\xc3\xa9:x (2番目)", "caf\xc3\xa9_x.vmd"},
                      // Names that differ only where a path goes are told apart by their place.
                      CollisionCase{"SameAfterCleaning", "../a", "a", "../a (1番目), a (2番目)", "a.vmd"}),
    [](const auto& info) { return std::string(info.param.label); });

// The game's ped.ifp names three animations "abseil": the game plays the first.
TEST_F(MotionCommand, LaterAnimationsOfANameAreSkippedWithOneWarning) {
    IfpFile file = readIfpFile(ifp);
    file.animations[2].name = "WALK";   // nod
    file.animations[3].name = "walk ";  // look
    folder.write("ped.ifp", test::buildAnp3(file));
    const fs::path out = folder / "out";
    const RunResult result = convert({"-d", out.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "警告: 同じ名前のアニメーションは最初のものだけを出力します。2 件を飛ばしました: WALK, walk\n");
    EXPECT_TRUE(result.out.ends_with("\n成功 2 件、失敗 0 件、スキップ 2 件\n出力が完了しました\n")) << result.out;
    EXPECT_EQ(test::readBytes(out / "walk.vmd"), expectedVmd(0));
    EXPECT_EQ(filesIn(out), 2u);
    // A name asked for is the first of that name.
    const RunResult one = convert({"--anim", "WALK", "-o", (folder / "one.vmd").string()});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(test::readBytes(folder / "one.vmd"), expectedVmd(0));
}

// A modded file whose one animation has keys out of order: the others convert.
class MotionCommandBrokenAnimation : public MotionCommand {
protected:
    MotionCommandBrokenAnimation() {
        IfpFile file = readIfpFile(ifp);
        std::vector<IfpKey>& keys = file.animations[1].tracks[0].keys;
        std::swap(keys[0].time, keys[1].time);
        test::Anp3Options options;
        options.frameType = test::sameFrameType(1);
        folder.write("ped.ifp", test::buildAnp3(file, options));
        failure = "ファイルが壊れています (ANP3\\wave\\" + file.animations[1].tracks[0].name + "\\キー)";
    }
    std::string failure;
};

TEST_F(MotionCommandBrokenAnimation, FailsThatAnimationAloneAndOnlyWhenAskedFor) {
    const fs::path out = folder / "out";
    const RunResult all = convert({"-d", out.string()});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.err, "エラー: " + failure + "\n");
    EXPECT_TRUE(all.out.ends_with("\n成功 3 件、失敗 1 件\n")) << all.out;
    EXPECT_TRUE(fs::exists(out / "walk.vmd") && fs::exists(out / "nod.vmd") && fs::exists(out / "look.vmd"));
    EXPECT_FALSE(fs::exists(out / "wave.vmd"));

    const RunResult other = convert({"--anim", "nod", "-o", (folder / "nod.vmd").string()});
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(other.err, "");
    EXPECT_TRUE(fs::exists(folder / "nod.vmd"));

    const RunResult asked = convert({"--anim", "wave", "-o", (folder / "wave.vmd").string()});
    EXPECT_EQ(asked.status, 1);
    EXPECT_EQ(asked.err, "エラー: " + failure + "\n");
    EXPECT_FALSE(fs::exists(folder / "wave.vmd"));
}

TEST_F(MotionCommandBrokenAnimation, ListShowsEveryAnimationAndWarnsOfTheBrokenOne) {
    const RunResult result = run({"ifp2vmd", ifp.string(), "--list"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const std::string& name : sampleAnimations) {
        EXPECT_NE(result.out.find(" bones  " + name + "\n"), std::string::npos) << result.out;
    }
    EXPECT_EQ(result.err, "警告: " + failure + "\n");
}

}  // namespace
}  // namespace zorvek

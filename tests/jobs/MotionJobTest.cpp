// The motion job's own rules: which animations a list of names picks, the
// file name an animation's name gives, and the files a motion never replaces.

#include "jobs/MotionJob.h"

#include "base/TextEncoding.h"
#include "ifp/IfpReader.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;

struct FileNameCase {
    const char* label;
    std::string animation;
    std::string file;  // UTF-8
};

class MotionFileName : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(MotionFileName, IsSafeOnEverySystem) {
    EXPECT_EQ(pathToUtf8(motionFileName(GetParam().animation)), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Names, MotionFileName,
    ::testing::Values(
        FileNameCase{"Plain", "walk_civi", "walk_civi.vmd"}, FileNameCase{"BlanksAround", " \t walk \r\n", "walk.vmd"},
        FileNameCase{"BlankInside", "sit down", "sit down.vmd"}, FileNameCase{"Slash", "a/b", "a_b.vmd"},
        FileNameCase{"Backslash", "a\\b", "a_b.vmd"}, FileNameCase{"ColonAndQuestion", "a:b?", "a_b_.vmd"},
        FileNameCase{"EveryReserved", "<>:\"|*", "______.vmd"},
        FileNameCase{"ControlInside", std::string("a\x01z\x1f", 4), "a_z_.vmd"},
        FileNameCase{"DeviceUpper", "CON", "_CON.vmd"}, FileNameCase{"DeviceLower", "nul", "_nul.vmd"},
        FileNameCase{"DeviceWithNumber", "Lpt9", "_Lpt9.vmd"},
        FileNameCase{"DeviceWithExtension", "nul.walk", "_nul.walk.vmd"},
        FileNameCase{"NotADevice", "console", "console.vmd"}, FileNameCase{"Hidden", ".hidden", "_hidden.vmd"},
        FileNameCase{"TrailingDot", "trailing.", "trailing_.vmd"}, FileNameCase{"DotsOnly", "..", "_.vmd"},
        FileNameCase{"ParentFolder", "../walk", "walk.vmd"}, FileNameCase{"Absolute", "/tmp/walk", "tmp_walk.vmd"},
        FileNameCase{"DotInside", "a.b", "a.b.vmd"}, FileNameCase{"Latin1", "\xe9t\xe9", "\xc3\xa9t\xc3\xa9.vmd"},
        FileNameCase{"HighBytes", "\x80\xff", "\xc2\x80\xc3\xbf.vmd"}, FileNameCase{"Empty", "", "_.vmd"},
        FileNameCase{"BlanksOnly", "   ", "_.vmd"}),
    [](const auto& info) { return std::string(info.param.label); });

IfpAnimation named(std::string name) {
    IfpAnimation animation;
    animation.name = std::move(name);
    return animation;
}

// The file's names as the game's files may hold them: case and blanks of their own.
IfpFile fourAnimations() {
    IfpFile file;
    file.animations = {named("walk"), named("Wave"), named(" nod "), named("look")};
    return file;
}

struct SelectCase {
    const char* label;
    std::vector<std::string> names;
    std::vector<std::size_t> picked;  // indices into fourAnimations()
};

class SelectAnimations : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectAnimations, PicksInTheOrderNamedAndEachOnce) {
    const IfpFile file = fourAnimations();
    std::vector<const IfpAnimation*> expected;
    for (std::size_t index : GetParam().picked) {
        expected.push_back(&file.animations[index]);
    }
    const AnimationSelection selection = selectAnimations(file, GetParam().names);
    EXPECT_EQ(selection.animations, expected);
    EXPECT_TRUE(selection.hidden.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, SelectAnimations,
                         ::testing::Values(SelectCase{"NoneMeansAll", {}, {0, 1, 2, 3}},
                                           SelectCase{"OrderNamed", {"look", "walk"}, {3, 0}},
                                           SelectCase{"CaseIgnored", {"WAVE"}, {1}},
                                           SelectCase{"BlanksOnBothSides", {"\tnod  "}, {2}},
                                           SelectCase{"SameOneTwice", {"walk", "look", " WALK", "walk"}, {0, 3}}),
                         [](const auto& info) { return std::string(info.param.label); });

// As the game's ped.ifp names three "abseil" and a modded one repeats
// "hand_position": the game finds the first of a name, so only it is written.
TEST(SelectAnimations, LeavesOutWhatAnEarlierNameHides) {
    IfpFile file;
    file.animations = {named("walk"),          named("abseil"), named("ABSEIL "), named(""),
                       named("hand_position"), named("abseil"), named(""),        named("hand_position")};
    const AnimationSelection all = selectAnimations(file, {});
    const auto at = [&](std::size_t i) { return &file.animations[i]; };
    EXPECT_EQ(all.animations, (std::vector<const IfpAnimation*>{at(0), at(1), at(3), at(4), at(6)}));
    EXPECT_EQ(all.hidden, (std::vector<const IfpAnimation*>{at(2), at(5), at(7)}));
    EXPECT_EQ(
        hiddenAnimationsWarning(all.hidden),
        "同じ名前のアニメーションは最初のものだけを出力します。3 件を飛ばしました: ABSEIL, abseil, hand_position");
    const AnimationSelection byName = selectAnimations(file, {"abseil", "Hand_Position"});
    EXPECT_EQ(byName.animations, (std::vector<const IfpAnimation*>{at(1), at(4)}));
    EXPECT_TRUE(byName.hidden.empty());
    EXPECT_EQ(numberedAnimationName(file, *at(5)), "abseil (6番目)");
}

struct UnknownCase {
    const char* label;
    std::vector<std::string> names;
    std::string message;
};

class SelectUnknownAnimation : public ::testing::TestWithParam<UnknownCase> {};

TEST_P(SelectUnknownAnimation, NamesTheFirstMissingOne) {
    const IfpFile file = fourAnimations();
    EXPECT_USER_ERROR(selectAnimations(file, GetParam().names), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SelectUnknownAnimation,
    ::testing::Values(UnknownCase{"Alone", {"run"}, "アニメーションが見つかりません: run"},
                      UnknownCase{"AfterAKnownOne", {"walk", " run\t", "jump"}, "アニメーションが見つかりません: run"},
                      UnknownCase{"PartOfAName", {"wal"}, "アニメーションが見つかりません: wal"}),
    [](const auto& info) { return std::string(info.param.label); });

// The committed sample: its model and its animations, converted with the shipped tables.
class WriteMotionFile : public ::testing::Test {
protected:
    WriteMotionFile()
        : tables(loadConversionTables(sourceDir / "data")),
          model(DffConversion::fromFile(dffPath, [](const std::string&) {})
                    .prepare(ConversionMode::NamesAndAxes, tables)),
          animations(readIfpFile(sourceDir / "samples" / "zorvek_sample.ifp")) {
        target.emplace(model, tables);
    }

    // The sample's "wave", written with the report's lines kept.
    std::vector<std::string> write(const MotionOutput& output) const {
        std::vector<std::string> lines;
        const JobReport report{[&](std::string_view line) { lines.emplace_back(line); },
                               [&](const std::string& message) { lines.push_back("warning " + message); }};
        writeMotionFile(*target, animations.animations.at(1), output, report);
        return lines;
    }

    Bytes expected() const {
        const ByteBlock vmd = target->buildVmd(animations.animations.at(1), [](const std::string&) {});
        return Bytes(vmd.begin(), vmd.end());
    }

    TempDir folder;
    const fs::path dffPath = sourceDir / "samples" / "zorvek_sample.dff";
    ConversionTables tables;
    PreparedConversion model;
    IfpFile animations;
    std::optional<MotionTarget> target;
};

TEST_F(WriteMotionFile, WritesTheMotionAndReportsItsPath) {
    ASSERT_EQ(animations.animations.at(1).name, "wave");
    const fs::path output = folder / "wave.vmd";
    EXPECT_EQ(write({output, {}, false}), std::vector<std::string>{pathToUtf8(output)});
    EXPECT_EQ(test::readBytes(output), expected());
}

TEST_F(WriteMotionFile, AnExistingFileIsReplacedOnlyWhenAllowed) {
    const fs::path output = folder.write("wave.vmd", std::string_view("old"));
    EXPECT_USER_ERROR(write({output, {}, false}), "出力ファイルが既に存在します: " + pathToUtf8(output));
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));
    write({output, {}, true});
    EXPECT_EQ(test::readBytes(output), expected());
}

struct OntoInputCase {
    const char* label;
    std::string output;  // in the copies' folder; "./" spells the same folder again
};

class WriteMotionOntoInput : public WriteMotionFile, public ::testing::WithParamInterface<OntoInputCase> {};

// Replacing is allowed, yet neither the animations nor the model are written over.
TEST_P(WriteMotionOntoInput, IsRefusedAndTheInputsStay) {
    const Bytes ifpBytes = test::readBytes(sourceDir / "samples" / "zorvek_sample.ifp");
    const Bytes dffBytes = test::readBytes(dffPath);
    const fs::path ifp = folder.write("ped.ifp", ifpBytes);
    const fs::path dff = folder.write("hero.dff", dffBytes);
    EXPECT_USER_ERROR(write({folder / GetParam().output, {ifp, dff}, true}),
                      "入力と出力に同じファイルが指定されています");
    EXPECT_EQ(test::readBytes(ifp), ifpBytes);
    EXPECT_EQ(test::readBytes(dff), dffBytes);
}

INSTANTIATE_TEST_SUITE_P(Spellings, WriteMotionOntoInput,
                         ::testing::Values(OntoInputCase{"Animations", "ped.ifp"}, OntoInputCase{"Model", "hero.dff"},
                                           OntoInputCase{"ModelThroughDot", "./hero.dff"},
                                           OntoInputCase{"AnimationsThroughDot", "././ped.ifp"}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace zorvek

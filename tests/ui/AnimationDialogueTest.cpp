#include "ui/AnimationDialogue.h"

#include "base/ShiftJis.h"
#include "ifp/IfpReader.h"
#include "ifp/IfpWriter.h"
#include "jobs/AnimationJob.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "vmd/VmdReader.h"
#include "vmd/VmdWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::ScriptedConsole;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;

const std::string heading = "<11>VMDをIFPに変換します\n</>\n\n";
const std::string modeMenu =
    "\n"
    "<15>1</>: 変換なし (非推奨)\n"
    "<15>2</>: ボーン情報付与・軸変換 (GTAアニメーション編集に推奨)\n"
    "<15>3</>: ボーン名・軸ともに変換 (MMDアニメーション適用に推奨)\n"
    "<15>4</>: MMD標準ボーン (MMDモーション・ダンスに推奨)\n"
    "ボーン名・軸変換の方法を選択してください> <15>";

std::string chosen(const fs::path& path) {
    return "<15>" + path.string() + "\n</>";
}

std::string opened(std::string_view prompt, const fs::path& path) {
    return std::string(prompt) + path.string() + "\n" + chosen(path) + "読み込んでいます...\n";
}

// A short motion for the mmd-mode PMX: the upper body turns, a standard
// model's bone the converted one lacks is keyed too.
Bytes shortMotion() {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"zorvek_sample");
    motion.bones.push_back({toShiftJis(u"上半身"), {{0, {}, {0, 0, 0, 1}}, {10, {}, {0, 0.2588190f, 0, 0.9659258f}}}});
    motion.bones.push_back({toShiftJis(u"全ての親"), {{0, {}, {0, 0, 0, 1}}, {5, {}, {0, 0, 0, 1}}}});
    const ByteBlock bytes = writeVmd(motion);
    return Bytes(bytes.begin(), bytes.end());
}

class AnimationDialogue : public ::testing::Test {
protected:
    AnimationDialogue() : dff(folder.write("hero.dff", test::readBytes(sourceDir / "samples/zorvek_sample.dff"))) {}

    // Everything up to the name or output prompt, in mode `key`.
    std::string throughMode(const fs::path& vmd, const std::string& key = "3") const {
        return heading + opened("変換元ファイルを選択してください> ", vmd) + "読み込みが完了しました\n\n" +
               opened("モデルのDFFファイルを選択してください> ", dff) + "読み込みが完了しました\n" + modeMenu + key +
               "</>\n";
    }

    std::string answersThroughMode(const fs::path& vmd, const std::string& key = "3") const {
        return vmd.string() + "\n" + dff.string() + "\n" + key + "\n";
    }

    // The animation the job makes of the motion, as a file of its own, and
    // the warnings it gives on the way.
    IfpAnimation expectedAnimation(const fs::path& vmd, const std::string& name,
                                   ConversionMode mode = ConversionMode::NamesAndAxes,
                                   std::vector<std::string>* warnings = nullptr) const {
        PreparedConversion model = DffConversion::fromFile(dff, [](const std::string&) {}).prepare(mode, tables);
        return MotionTarget(model, tables)
            .buildAnimation(readVmdFile(vmd), name, false, [warnings](const std::string& warning) {
                if (warnings != nullptr) {
                    warnings->push_back(warning);
                }
            });
    }

    TempDir folder;
    fs::path dff;
    ConversionTables tables = loadConversionTables(sourceDir / "data");
};

const std::string ignoredWarning = "<14>警告: モデルにないボーンのキーを無視しました (2)\n</>";

TEST_F(AnimationDialogue, NewFileNamedAfterTheMotion) {
    const fs::path vmd = folder.write("turn.vmd", shortMotion());
    const fs::path out = folder / "turn.ifp";
    ScriptedConsole console(answersThroughMode(vmd) + out.string() + "\n");
    convertVmdToIfp(console, tables);
    EXPECT_EQ(console.transcript(), throughMode(vmd) + "\n出力ファイル名を入力してください> " + out.string() + "\n" +
                                        chosen(out) + "出力しています...\n" + ignoredWarning + out.string() +
                                        "\n出力が完了しました\n");
    const IfpFile written = readIfpFile(out);
    EXPECT_EQ(written.name, "turn");
    ASSERT_EQ(written.animations.size(), 1u);
    EXPECT_EQ(written.animations[0].name, "turn");
    const ByteBlock expected = writeAnp3({IfpFormat::Anp3, "turn", {expectedAnimation(vmd, "turn")}});
    EXPECT_EQ(test::readBytes(out), Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(console.answersLeft(), 0u);
}

struct ModeCase {
    const char* label;
    std::string key;
    ConversionMode mode;
};

class AnimationDialogueMode : public AnimationDialogue, public ::testing::WithParamInterface<ModeCase> {};

// The sample's dance, made for a standard MMD model, plays differently in
// the two MMD modes, so the file shows which mode the key chose.
TEST_P(AnimationDialogueMode, PlaysTheMotionInTheModeChosen) {
    const fs::path vmd = folder.write("dance.vmd", test::readBytes(sourceDir / "samples/zorvek_sample.vmd"));
    const fs::path out = folder / "dance.ifp";
    ScriptedConsole console(answersThroughMode(vmd, GetParam().key) + out.string() + "\n");
    convertVmdToIfp(console, tables);
    std::vector<std::string> warnings;
    const IfpAnimation expected = expectedAnimation(vmd, "dance", GetParam().mode, &warnings);
    std::string warningLines;
    for (const std::string& warning : warnings) {
        warningLines += "<14>警告: " + warning + "\n</>";
    }
    EXPECT_EQ(console.transcript(), throughMode(vmd, GetParam().key) + "\n出力ファイル名を入力してください> " +
                                        out.string() + "\n" + chosen(out) + "出力しています...\n" + warningLines +
                                        out.string() + "\n出力が完了しました\n");
    const ByteBlock file = writeAnp3({IfpFormat::Anp3, "dance", {expected}});
    EXPECT_EQ(test::readBytes(out), Bytes(file.begin(), file.end()));
    EXPECT_EQ(console.answersLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Keys, AnimationDialogueMode,
                         ::testing::Values(ModeCase{"NamesAndAxes", "3", ConversionMode::NamesAndAxes},
                                           ModeCase{"Standard", "4", ConversionMode::Standard}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(AnimationDialogue, TheDanceDiffersBetweenTheMmdModes) {
    const fs::path vmd = folder.write("dance.vmd", test::readBytes(sourceDir / "samples/zorvek_sample.vmd"));
    EXPECT_NE(expectedAnimation(vmd, "dance", ConversionMode::NamesAndAxes),
              expectedAnimation(vmd, "dance", ConversionMode::Standard));
}

TEST_F(AnimationDialogue, AFileNameNoIfpHoldsAsksForTheName) {
    const fs::path vmd = folder.write("踊り.vmd", shortMotion());
    const fs::path out = folder / "dance.ifp";
    ScriptedConsole console(answersThroughMode(vmd) + "踊り\nthis_name_is_far_too_long\ndance\n" + out.string() + "\n");
    convertVmdToIfp(console, tables);
    EXPECT_EQ(console.transcript(),
              throughMode(vmd) + "VMDのファイル名はアニメーション名にできません (ASCII文字で23文字まで)\n" +
                  "\nアニメーション名を入力してください> <15>踊り\n</>" +
                  "アニメーション名にできません (ASCII文字で23文字まで): 踊り\n" +
                  "\nアニメーション名を入力してください> <15>this_name_is_far_too_long\n</>" +
                  "アニメーション名にできません (ASCII文字で23文字まで): this_name_is_far_too_long\n" +
                  "\nアニメーション名を入力してください> <15>dance\n</>" + "\n出力ファイル名を入力してください> " +
                  out.string() + "\n" + chosen(out) + "出力しています...\n" + ignoredWarning + out.string() +
                  "\n出力が完了しました\n");
    EXPECT_EQ(readIfpFile(out).animations.at(0).name, "dance");
}

struct ExistingCase {
    const char* label;
    std::string answers;     // after the path: replace the file?, add?, replace the animation?
    std::string questions;   // after the file question, as the transcript shows them and their answers
    std::string ending;      // when the file is kept
    std::size_t animations;  // in the file afterwards
    bool fileKept;
};

const std::string addQuestion = "このIFPファイルにアニメーションを追加しますか? (nでファイルを上書き) (y/n)> ";
const std::string sameNameQuestion = "同じ名前のアニメーションがあります。置き換えますか? (y/n)> ";

const std::string written = "出力しています...\n" + ignoredWarning;

class AnimationDialogueExisting : public AnimationDialogue, public ::testing::WithParamInterface<ExistingCase> {};

// The sample's four animations are there; the motion is called "wave" or "turn".
TEST_P(AnimationDialogueExisting, AsksHowTheAnimationJoinsTheFile) {
    const ExistingCase& c = GetParam();
    const Bytes original = test::readBytes(sourceDir / "samples/zorvek_sample.ifp");
    const fs::path ifp = folder.write("ped.ifp", original);
    const fs::path vmd =
        folder.write(std::string(c.label).starts_with("Same") ? "wave.vmd" : "turn.vmd", shortMotion());
    ScriptedConsole console(answersThroughMode(vmd) + ifp.string() + "\n" + c.answers);
    convertVmdToIfp(console, tables);
    const std::string replaceQuestion = ifp.string() + " は既に存在します。上書きしますか? (y/n)> ";
    EXPECT_EQ(console.transcript(), throughMode(vmd) + "\n出力ファイル名を入力してください> " + ifp.string() + "\n" +
                                        replaceQuestion + "<15>y\n</>" + chosen(ifp) + c.questions +
                                        (c.fileKept ? c.ending : written + ifp.string() + "\n出力が完了しました\n"));
    const Bytes now = test::readBytes(ifp);
    EXPECT_EQ(now == original, c.fileKept);
    EXPECT_EQ(readIfp(now).animations.size(), c.animations);
    if (c.animations == 5) {
        // Added after the others, which stay byte for byte.
        const Bytes expected = [&] {
            const ByteBlock added = addAnimationToAnp3(original, expectedAnimation(vmd, "turn"), false);
            return Bytes(added.begin(), added.end());
        }();
        EXPECT_EQ(now, expected);
    }
    EXPECT_EQ(console.answersLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnimationDialogueExisting,
    ::testing::Values(ExistingCase{"Added", "y\ny\n", addQuestion + "<15>y\n</>", "", 5, false},
                      ExistingCase{"FileReplaced", "y\nn\n", addQuestion + "<15>n\n</>", "", 1, false},
                      ExistingCase{"SameNameReplaced", "y\ny\ny\n",
                                   addQuestion + "<15>y\n</>" + sameNameQuestion + "<15>y\n</>", "", 4, false},
                      ExistingCase{"SameNameKept", "y\ny\nn\n",
                                   addQuestion + "<15>y\n</>" + sameNameQuestion + "<15>n\n</>",
                                   "\n操作はキャンセルされました\n", 4, true}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace zorvek

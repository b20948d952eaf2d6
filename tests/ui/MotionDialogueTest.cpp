#include "ui/MotionDialogue.h"

#include "base/TextEncoding.h"
#include "console/TypedPaths.h"
#include "ifp/IfpReader.h"
#include "jobs/MotionJob.h"
#include "support/MotionFiles.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/ifp/IfpBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
using test::ScriptedConsole;
using test::TempDir;

const fs::path sourceDir = ZORVEK_SOURCE_DIR;
const std::vector<std::string> sampleAnimations{"walk", "wave", "nod", "look"};

const std::string heading = "<11>IFPをVMDに変換します\n</>\n\n";

const std::string modeMenu =
    "\n"
    "<15>1</>: 変換なし (非推奨)\n"
    "<15>2</>: ボーン情報付与・軸変換 (GTAアニメーション編集に推奨)\n"
    "<15>3</>: ボーン名・軸ともに変換 (MMDアニメーション適用に推奨)\n"
    "<15>4</>: MMD標準ボーン (MMDモーション・ダンスに推奨)\n"
    "ボーン名・軸変換の方法を選択してください> <15>";

const std::string animationPrompt = "\nアニメーション名を入力してください (空欄ですべて)> <15>";

std::string chosen(const fs::path& path) {
    return "<15>" + path.string() + "\n</>";
}

// The prompt, the typed path as echoed, the chosen path and the reading line.
std::string opened(std::string_view prompt, const fs::path& path) {
    return std::string(prompt) + path.string() + "\n" + chosen(path) + "読み込んでいます...\n";
}

// The sample's animations and model, copied beside each other.
class MotionDialogue : public ::testing::Test {
protected:
    MotionDialogue()
        : ifpBytes(test::readBytes(sourceDir / "samples" / "zorvek_sample.ifp")),
          dffBytes(test::readBytes(sourceDir / "samples" / "zorvek_sample.dff")),
          ifp(folder.write("ped.ifp", ifpBytes)),
          dff(folder.write("hero.dff", dffBytes)) {}

    // Everything up to the animation prompt, in mode `key`.
    std::string throughMode(const std::string& key) const {
        return heading + opened("変換元ファイルを選択してください> ", ifp) + "読み込みが完了しました\n\n" +
               opened("モデルのDFFファイルを選択してください> ", dff) + "読み込みが完了しました\n" + modeMenu + key +
               "</>\n";
    }

    std::string answersThroughMode(const std::string& key) const {
        return ifp.string() + "\n" + dff.string() + "\n" + key + "\n";
    }

    Bytes expectedVmd(std::size_t animation, ConversionMode mode = ConversionMode::NamesAndAxes) const {
        return test::expectedMotion(ifp, dff, tables, animation, mode);
    }

    // Every animation of `file`, as the IFP beside the model, into the folder
    // `out`: the dialogue's transcript.
    std::string writeAllOf(const IfpFile& file, const fs::path& out) const {
        folder.write("ped.ifp", test::buildAnp3(file));
        fs::create_directory(out);
        ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\n");
        convertIfpToVmd(console, tables);
        return console.transcript();
    }

    TempDir folder;
    Bytes ifpBytes;
    Bytes dffBytes;
    fs::path ifp;
    fs::path dff;
    ConversionTables tables = loadConversionTables(sourceDir / "data");
};

struct OneCase {
    const char* label;
    std::string modeKey;
    ConversionMode mode;
    std::string typedName;  // answer to the animation prompt
    std::size_t animation;
    std::string typedPath;  // below the test's folder
    std::string written;    // the file it gives
    std::string warnings;   // the lines while it is written
};

class MotionDialogueOne : public MotionDialogue, public ::testing::WithParamInterface<OneCase> {};

TEST_P(MotionDialogueOne, TranscriptAndFileAreExact) {
    const OneCase& c = GetParam();
    const fs::path typed = folder / c.typedPath;
    const fs::path written = folder / c.written;
    ScriptedConsole console(answersThroughMode(c.modeKey) + c.typedName + "\n" + typed.string() + "\n");
    convertIfpToVmd(console, tables);
    EXPECT_EQ(console.transcript(), throughMode(c.modeKey) + animationPrompt + c.typedName + "\n</>" +
                                        "出力ファイル名を入力してください> " + typed.string() + "\n" + chosen(written) +
                                        "出力しています...\n" + c.warnings + written.string() + "\n" +
                                        "出力が完了しました\n");
    EXPECT_EQ(test::readBytes(written), expectedVmd(c.animation, c.mode));
    EXPECT_EQ(filesIn(folder.path()), 3u);
    EXPECT_EQ(console.answersLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MotionDialogueOne,
    ::testing::Values(OneCase{"Typed", "3", ConversionMode::NamesAndAxes, "wave", 1, "mine.vmd", "mine.vmd", ""},
                      // The frame names, kept in this mode, are longer than VMD's 15 bytes.
                      OneCase{"ExtensionAdded", "1", ConversionMode::None, "walk", 0, "mine", "mine.vmd",
                              "<14>警告: VMDに入らない長いボーン名があります: Bip01 L Clavicle\n</>"
                              "<14>警告: VMDに入らない長いボーン名があります: Bip01 R Clavicle\n</>"},
                      OneCase{"OtherCaseAndBlanks", "2", ConversionMode::AxesAndBoneInfo, "  LOOK ", 3, "l.vmd",
                              "l.vmd", ""},
                      OneCase{"Standard", "4", ConversionMode::Standard, "walk", 0, "walk.vmd", "walk.vmd", ""}),
    [](const auto& info) { return std::string(info.param.label); });

// A console whose save prompt is answered with what it offers, as Enter does on a terminal.
class AcceptingConsole : public ScriptedConsole {
public:
    using ScriptedConsole::ScriptedConsole;

    std::optional<fs::path> askSavePath(const FileFilter&, std::string_view defaultExtension,
                                        const fs::path& source) override {
        return askSavePathByTyping(
            *this,
            [this](std::string_view prefill) {
                offered.emplace_back(prefill);
                write(std::string(prefill) + "\n");
                return std::optional<std::string>(prefill);
            },
            defaultExtension, source);
    }

    std::vector<std::string> offered;
};

// "<animation>.vmd" beside the animations; one already there is asked about, not refused.
TEST_F(MotionDialogue, TheOfferedNameIsTheAnimationsBesideTheIfp) {
    AcceptingConsole console(answersThroughMode("3") + "nod\n");
    convertIfpToVmd(console, tables);
    EXPECT_EQ(console.offered, std::vector<std::string>{(folder / "nod").string()});
    EXPECT_EQ(test::readBytes(folder / "nod.vmd"), expectedVmd(2));

    folder.write("nod.vmd", std::string_view("old"));
    AcceptingConsole again(answersThroughMode("3") + "nod\ny\n");
    convertIfpToVmd(again, tables);
    const fs::path output = folder / "nod.vmd";
    EXPECT_TRUE(again.transcript().ends_with("出力ファイル名を入力してください> " + (folder / "nod").string() + "\n" +
                                             output.string() + " は既に存在します。上書きしますか? (y/n)> <15>y\n</>" +
                                             chosen(output) + "出力しています...\n" + output.string() +
                                             "\n出力が完了しました\n"))
        << again.transcript();
    EXPECT_EQ(test::readBytes(output), expectedVmd(2));
}

TEST_F(MotionDialogue, AllAnimationsGoIntoTheFolderUnderTheirNames) {
    const fs::path out = folder / "out";
    fs::create_directory(out);
    ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\n");
    convertIfpToVmd(console, tables);
    std::string written;
    for (std::size_t i = 0; i < sampleAnimations.size(); ++i) {
        const fs::path path = out / (sampleAnimations[i] + ".vmd");
        written += path.string() + "\n";
        EXPECT_EQ(test::readBytes(path), expectedVmd(i)) << path;
    }
    EXPECT_EQ(console.transcript(), throughMode("3") + animationPrompt + "\n</>" +
                                        "出力先のフォルダを入力してください> " + out.string() + "\n" + chosen(out) +
                                        "出力しています...\n" + written + "出力が完了しました\n");
    EXPECT_EQ(filesIn(out), 4u);
}

TEST_F(MotionDialogue, AnUnknownAnimationThenAKnownOne) {
    const fs::path output = folder / "nod.vmd";
    ScriptedConsole console(answersThroughMode("3") + "run\n NOD\n" + output.string() + "\n");
    convertIfpToVmd(console, tables);
    EXPECT_EQ(console.transcript(), throughMode("3") + animationPrompt + "run\n</>" +
                                        "アニメーションが見つかりません: run\n" + animationPrompt + " NOD\n</>" +
                                        "出力ファイル名を入力してください> " + output.string() + "\n" + chosen(output) +
                                        "出力しています...\n" + output.string() + "\n" + "出力が完了しました\n");
    EXPECT_EQ(test::readBytes(output), expectedVmd(2));
}

struct CancelCase {
    const char* label;
    std::string answers;  // IFP and DFF stand for the copies' paths
    std::string tail;     // the transcript's end
};

class MotionDialogueCancel : public MotionDialogue, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(MotionDialogueCancel, EndsWithTheCancelMessageAndNoFile) {
    std::string answers = GetParam().answers;
    for (const auto& [mark, path] : {std::pair{"IFP", ifp}, std::pair{"DFF", dff}}) {
        if (const auto at = answers.find(mark); at != std::string::npos) {
            answers.replace(at, 3, path.string());
        }
    }
    ScriptedConsole console(answers);
    convertIfpToVmd(console, tables);
    EXPECT_TRUE(console.transcript().ends_with(GetParam().tail)) << console.transcript();
    EXPECT_EQ(console.transcript().find("エラー"), std::string::npos);
    EXPECT_EQ(filesIn(folder.path()), 2u);
    EXPECT_EQ(test::readBytes(ifp), ifpBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Prompts, MotionDialogueCancel,
    ::testing::Values(
        CancelCase{"IfpPath", "\n", heading + "変換元ファイルを選択してください> \n\n操作はキャンセルされました\n"},
        CancelCase{"IfpPathEndOfInput", "",
                   heading + "変換元ファイルを選択してください> \n操作はキャンセルされました\n"},
        CancelCase{"DffPath", "IFP\n\n",
                   "読み込みが完了しました\n\nモデルのDFFファイルを選択してください> \n\n操作はキャンセルされました\n"},
        CancelCase{"ModeEndOfInput", "IFP\nDFF\n", modeMenu + "</></>\n操作はキャンセルされました\n"},
        CancelCase{"AnimationEndOfInput", "IFP\nDFF\n3\n", animationPrompt + "</></>\n操作はキャンセルされました\n"},
        CancelCase{"SavePath", "IFP\nDFF\n3\nwalk\n\n",
                   "出力ファイル名を入力してください> \n\n操作はキャンセルされました\n"},
        CancelCase{"FolderPath", "IFP\nDFF\n3\n\n\n",
                   "出力先のフォルダを入力してください> \n\n操作はキャンセルされました\n"}),
    [](const auto& info) { return std::string(info.param.label); });

struct BrokenCase {
    const char* label;
    std::size_t cut;  // the sample's first bytes
    std::string message;
};

class MotionDialogueBrokenIfp : public MotionDialogue, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(MotionDialogueBrokenIfp, EndsWithTheErrorLine) {
    const fs::path broken = folder.write(
        "broken.ifp", Bytes(ifpBytes.begin(), ifpBytes.begin() + static_cast<std::ptrdiff_t>(GetParam().cut)));
    ScriptedConsole console(broken.string() + "\n" + dff.string() + "\n3\n\n");
    convertIfpToVmd(console, tables);
    EXPECT_EQ(console.transcript(), heading + opened("変換元ファイルを選択してください> ", broken) +
                                        "<12>エラー: " + GetParam().message + "\n</>");
    EXPECT_EQ(console.answersLeft(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Cuts, MotionDialogueBrokenIfp,
                         ::testing::Values(BrokenCase{"Magic", 3, "IFPファイルではありません"},
                                           BrokenCase{"Header", 35, "ファイルが壊れています (ANP3)"},
                                           BrokenCase{"FirstAnimation", 200, "ファイルが壊れています (ANP3\\walk)"}),
                         [](const auto& info) { return std::string(info.param.label); });

struct ExistingCase {
    const char* label;
    std::string answer;  // to the replace question
    bool replaced;
};

class MotionDialogueExisting : public MotionDialogue, public ::testing::WithParamInterface<ExistingCase> {};

// walk.vmd and nod.vmd are in the folder already: one question for both.
TEST_P(MotionDialogueExisting, AreAskedAboutOnce) {
    const fs::path out = folder / "out";
    fs::create_directory(out);
    folder.write("out/walk.vmd", std::string_view("old"));
    folder.write("out/nod.vmd", std::string_view("old"));
    ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\n" + GetParam().answer + "\n");
    convertIfpToVmd(console, tables);
    std::string lines;
    for (std::size_t i = 0; i < sampleAnimations.size(); ++i) {
        const fs::path path = out / (sampleAnimations[i] + ".vmd");
        const bool kept = !GetParam().replaced && (i == 0 || i == 2);
        lines += kept ? "<14>警告: 既にあるファイルは残しました: " + path.string() + "\n</>" : path.string() + "\n";
        EXPECT_EQ(test::readBytes(path), (kept ? Bytes({'o', 'l', 'd'}) : expectedVmd(i))) << path;
    }
    EXPECT_EQ(console.transcript(),
              throughMode("3") + animationPrompt + "\n</>" + "出力先のフォルダを入力してください> " + out.string() +
                  "\n" + chosen(out) + "同じ名前のVMDファイルが2個あります。上書きしますか? (y/n)> <15>" +
                  GetParam().answer + "\n</>出力しています...\n" + lines + "出力が完了しました\n");
}

INSTANTIATE_TEST_SUITE_P(Answers, MotionDialogueExisting,
                         ::testing::Values(ExistingCase{"Keep", "n", false}, ExistingCase{"Replace", "y", true},
                                           ExistingCase{"AnythingElseKeeps", "ok", false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(MotionDialogue, EndOfInputAtTheReplaceQuestionCancels) {
    folder.write("walk.vmd", std::string_view("old"));
    ScriptedConsole console(answersThroughMode("3") + "\n" + folder.path().string() + "\n");
    convertIfpToVmd(console, tables);
    EXPECT_TRUE(console.transcript().ends_with(
        "同じ名前のVMDファイルが1個あります。上書きしますか? (y/n)> <15></></>\n操作はキャンセルされました\n"))
        << console.transcript();
    EXPECT_EQ(filesIn(folder.path()), 3u);
}

struct OntoInputCase {
    const char* label;
    bool model;  // the DFF, else the IFP, typed as the output
};

class MotionDialogueOntoInput : public MotionDialogue, public ::testing::WithParamInterface<OntoInputCase> {};

TEST_P(MotionDialogueOntoInput, IsRefusedEvenWhenReplacingIsAllowed) {
    const fs::path input = GetParam().model ? dff : ifp;
    ScriptedConsole console(answersThroughMode("3") + "walk\n" + input.string() + "\ny\n");
    convertIfpToVmd(console, tables);
    EXPECT_TRUE(console.transcript().ends_with(chosen(input) + "出力しています...\n" +
                                               "<12>エラー: 入力と出力に同じファイルが指定されています\n</>"))
        << console.transcript();
    EXPECT_EQ(test::readBytes(ifp), ifpBytes);
    EXPECT_EQ(test::readBytes(dff), dffBytes);
    EXPECT_EQ(filesIn(folder.path()), 2u);
}

INSTANTIATE_TEST_SUITE_P(Inputs, MotionDialogueOntoInput,
                         ::testing::Values(OntoInputCase{"Animations", false}, OntoInputCase{"Model", true}),
                         [](const auto& info) { return std::string(info.param.label); });

struct CollisionCase {
    const char* label;
    std::string first;  // the two animations' names as the file holds them
    std::string second;
    std::string shown;  // how the error line shows the two
    std::string file;   // the file both would be written to (UTF-8)
};

class MotionDialogueCollision : public MotionDialogue, public ::testing::WithParamInterface<CollisionCase> {};

// Both names give one file name: the first keeps it and the second is an error line.
TEST_P(MotionDialogueCollision, WritesTheFirstAndShowsTheSecond) {
    IfpFile file = readIfpFile(ifp);
    file.animations.resize(3);
    file.animations[0].name = GetParam().first;
    file.animations[1].name = GetParam().second;
    folder.write("ped.ifp", test::buildAnp3(file));
    const fs::path out = folder / "out";
    fs::create_directory(out);
    ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\n");
    convertIfpToVmd(console, tables);
    const fs::path written = out / utf8ToPath(GetParam().file);
    EXPECT_TRUE(console.transcript().ends_with(
        "出力しています...\n" + written.string() + "\n" +
        "<12>エラー: 同じ名前のファイルに出力するアニメーションがあります: " + GetParam().shown + "\n</>" +
        (out / "nod.vmd").string() + "\n出力が完了しました\n"))
        << console.transcript();
    EXPECT_EQ(test::readBytes(written), expectedVmd(0));
    EXPECT_EQ(filesIn(out), 2u);
}

INSTANTIATE_TEST_SUITE_P(Names, MotionDialogueCollision,
                         ::testing::Values(CollisionCase{"Ascii", "a/b", "a:b", "a/b (1番目), a:b (2番目)", "a_b.vmd"},
                                           // Bytes of no encoding, shown as their characters.
                                           CollisionCase{"HighBytes", "caf\xe9/x", "caf\xe9:x",
                                                         "caf\xc3\xa9/x (1番目), caf\xc3\xa9:x (2番目)",
                                                         "caf\xc3\xa9_x.vmd"}),
                         [](const auto& info) { return std::string(info.param.label); });

// A file that cannot be written is named, as the command line names it: the
// other lines name only the files that were written.
TEST_F(MotionDialogue, AnUnwritableFileIsNamed) {
    const fs::path out = folder / "out";
    fs::create_directories(out / "wave.vmd");
    ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\ny\n");
    convertIfpToVmd(console, tables);
    EXPECT_TRUE(console.transcript().ends_with(
        "出力しています...\n" + (out / "walk.vmd").string() + "\n" +
        "<12>エラー: ファイルに書き込めませんでした: " + (out / "wave.vmd").string() + "\n</>" +
        (out / "nod.vmd").string() + "\n" + (out / "look.vmd").string() + "\n出力が完了しました\n"))
        << console.transcript();
    EXPECT_EQ(filesIn(out), 4u);
}

// An error that is none of ours while one animation is written (here the
// console's, as its file is reported) is shown, and the others are still written.
TEST_F(MotionDialogue, AnUnexpectedErrorInOneAnimationStopsNoOther) {
    const fs::path out = folder / "out";
    fs::create_directory(out);
    ScriptedConsole console(answersThroughMode("3") + "\n" + out.string() + "\n");
    console.failWriting(pathToUtf8(out / "wave.vmd"));
    convertIfpToVmd(console, tables);
    EXPECT_EQ(console.transcript(),
              throughMode("3") + animationPrompt + "\n</>" + "出力先のフォルダを入力してください> " + out.string() +
                  "\n" + chosen(out) + "出力しています...\n" + (out / "walk.vmd").string() + "\n" +
                  "<12>エラー: 予期しないエラーが発生しました (scripted console failure)\n</>" +
                  (out / "nod.vmd").string() + "\n" + (out / "look.vmd").string() + "\n出力が完了しました\n");
    EXPECT_EQ(test::readBytes(out / "look.vmd"), expectedVmd(3));
    EXPECT_EQ(console.answersLeft(), 0u);
}

// The game finds an animation by name: of two "walk", only the first is ever played.
TEST_F(MotionDialogue, LaterAnimationsOfANameAreSkippedWithOneWarning) {
    IfpFile file = readIfpFile(ifp);
    file.animations[2].name = "Walk";  // nod
    const fs::path out = folder / "out";
    const std::string transcript = writeAllOf(file, out);
    EXPECT_TRUE(
        transcript.ends_with("出力しています...\n<14>警告: 同じ名前のアニメーションは最初のものだけを出力します。1 "
                             "件を飛ばしました: Walk\n</>" +
                             (out / "walk.vmd").string() + "\n" + (out / "wave.vmd").string() + "\n" +
                             (out / "look.vmd").string() + "\n出力が完了しました\n"))
        << transcript;
    EXPECT_EQ(test::readBytes(out / "walk.vmd"), expectedVmd(0));
    EXPECT_EQ(filesIn(out), 3u);
}

// A modded file's one animation whose keys go back in time: the others are written.
TEST_F(MotionDialogue, ABrokenAnimationFailsAloneInTheBatch) {
    IfpFile file = readIfpFile(ifp);
    std::vector<IfpKey>& keys = file.animations[1].tracks[0].keys;
    std::swap(keys[0].time, keys[1].time);
    const fs::path out = folder / "out";
    const std::string transcript = writeAllOf(file, out);
    EXPECT_TRUE(transcript.ends_with("出力しています...\n" + (out / "walk.vmd").string() +
                                     "\n<12>エラー: ファイルが壊れています (ANP3\\wave\\" +
                                     file.animations[1].tracks[0].name + "\\キー)\n</>" + (out / "nod.vmd").string() +
                                     "\n" + (out / "look.vmd").string() + "\n出力が完了しました\n"))
        << transcript;
    EXPECT_EQ(filesIn(out), 3u);

    // Asked for by name, it is refused before a file is asked for.
    ScriptedConsole one(answersThroughMode("3") + "wave\n");
    convertIfpToVmd(one, tables);
    EXPECT_EQ(one.transcript(), throughMode("3") + animationPrompt + "wave\n</>" +
                                    "<12>エラー: ファイルが壊れています (ANP3\\wave\\" +
                                    file.animations[1].tracks[0].name + "\\キー)\n</>");
    EXPECT_EQ(one.answersLeft(), 0u);
}

}  // namespace
}  // namespace zorvek

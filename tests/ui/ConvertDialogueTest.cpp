#include "ui/ConvertDialogue.h"

#include "jobs/ConvertJob.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"
#include "support/txd/TxdPixels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::ScriptedConsole;
using test::TempDir;

const std::string heading = "<11>DFFをPMXに変換します\n</>\n\n";

const std::string modeMenu =
    "\n"
    "<15>1</>: 変換なし (非推奨)\n"
    "<15>2</>: ボーン情報付与・軸変換 (GTAアニメーション編集に推奨)\n"
    "<15>3</>: ボーン名・軸ともに変換 (MMDアニメーション適用に推奨)\n"
    "<15>4</>: MMD標準ボーン (MMDモーション・ダンスに推奨)\n"
    "ボーン名・軸変換の方法を選択してください> <15>";

const std::string extensionPrompt = "\nテクスチャの拡張子を入力してください (例: <15>.bmp</>, <15>.png</>)> <15>";

std::string chosen(const fs::path& path) {
    return "<15>" + path.string() + "\n</>";
}

// Tables that know the sample's bones, so that no warning interrupts the dialogue.
BoneTable sampleBones() {
    BoneTable bones;
    bones.insert({0, u"Root", u"センター", {0, 0, -1}});
    bones.insert({1, u"Spine", u"上半身", {0, 1, 0}});
    bones.insert({2, u"Pelvis", u"下半身", {0, -1, 0}});
    return bones;
}

class ConvertDialogue : public ::testing::Test {
protected:
    ConvertDialogue() : input(folder.write("hero.dff", test::buildDff(test::sampleSkinnedModel()))) {}

    Bytes expectedPmx(ConversionMode mode, std::string_view extension) const {
        PreparedConversion conversion = DffConversion::fromFile(input, [](const std::string&) {}).prepare(mode, tables);
        const ByteBlock pmx = std::move(conversion).buildPmx(extension, tables, [](const std::string&) {});
        return Bytes(pmx.begin(), pmx.end());
    }

    TempDir folder;
    fs::path input;
    fs::path output = folder / "hero.pmx";
    ConversionTables tables{sampleBones(), {}};
};

struct ModeCase {
    const char* name;
    std::string key;
    ConversionMode mode;
};

class ConvertEachMode : public ConvertDialogue, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ConvertEachMode, TranscriptAndFileAreExact) {
    ScriptedConsole console(input.string() + "\n" + GetParam().key + "\n.png\n" + output.string() + "\n");
    convertDffToPmx(console, tables);
    EXPECT_EQ(console.transcript(), heading + "変換元ファイルを選択してください> " + input.string() + "\n" +
                                        chosen(input) + "読み込んでいます...\n" + "読み込みが完了しました\n" +
                                        modeMenu + GetParam().key + "</>\n" + extensionPrompt + ".png\n</>\n" +
                                        "出力ファイル名を入力してください> " + output.string() + "\n" + chosen(output) +
                                        "出力しています...\n出力が完了しました\n");
    EXPECT_EQ(test::readBytes(output), expectedPmx(GetParam().mode, ".png"));
}

INSTANTIATE_TEST_SUITE_P(Modes, ConvertEachMode,
                         ::testing::Values(ModeCase{"None", "1", ConversionMode::None},
                                           ModeCase{"AxesAndBoneInfo", "2", ConversionMode::AxesAndBoneInfo},
                                           ModeCase{"NamesAndAxes", "3", ConversionMode::NamesAndAxes},
                                           ModeCase{"Standard", "4", ConversionMode::Standard}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertDialogue, AStripModelWithTwoMaterialsReadsThroughTheMenu) {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.geometries[0].binMeshFlags = 1;
    model.geometries[0].meshes = {{0, {0, 1, 2, 3}}, {1, {1, 2, 3}}};
    const fs::path strips = folder.write("strips.dff", test::buildDff(model));
    ScriptedConsole console(strips.string() + "\n");
    convertDffToPmx(console, tables);
    EXPECT_EQ(console.transcript(), heading + "変換元ファイルを選択してください> " + strips.string() + "\n" +
                                        chosen(strips) + "読み込んでいます...\n読み込みが完了しました\n" + modeMenu +
                                        "</></>\n操作はキャンセルされました\n");
}

// Every dialogue that asks for a mode asks through this menu; the files each
// mode writes could coincide for some model, the mode chosen cannot.
class ModeMenuKey : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeMenuKey, ChoosesItsModeAtOnce) {
    ScriptedConsole console(GetParam().key + "\n");
    EXPECT_EQ(chooseConversionMode(console), GetParam().mode);
    EXPECT_EQ(console.transcript(), modeMenu + GetParam().key + "</>\n");
}

INSTANTIATE_TEST_SUITE_P(Keys, ModeMenuKey,
                         ::testing::Values(ModeCase{"None", "1", ConversionMode::None},
                                           ModeCase{"AxesAndBoneInfo", "2", ConversionMode::AxesAndBoneInfo},
                                           ModeCase{"NamesAndAxes", "3", ConversionMode::NamesAndAxes},
                                           ModeCase{"Standard", "4", ConversionMode::Standard}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertDialogue, ModeMenuRepeatsUntilAValidKey) {
    ScriptedConsole console("0\n5\na\n\n4\n");
    EXPECT_EQ(chooseConversionMode(console), ConversionMode::Standard);
    const std::string invalid = "<12>有効な文字を入力してください\n</>";
    EXPECT_EQ(console.transcript(), modeMenu + "0</>\n" + invalid + modeMenu + "5</>\n" + invalid + modeMenu +
                                        "a</>\n" + invalid + modeMenu + "</>\n" + invalid + modeMenu + "4</>\n");
}

TEST_F(ConvertDialogue, WordPromptSkipsEmptyLinesAndTakesTheFirstWord) {
    ScriptedConsole console(input.string() + "\n1\n\n  bmp tail\n" + output.string() + "\n");
    convertDffToPmx(console, tables);
    EXPECT_NE(console.transcript().find(extensionPrompt + "\n  bmp tail\n</>\n"), std::string::npos);
    EXPECT_EQ(test::readBytes(output), expectedPmx(ConversionMode::None, "bmp"));
}

struct Cancel {
    const char* name;
    std::string answers;  // IN stands for the input path
};

class ConvertCancel : public ConvertDialogue, public ::testing::WithParamInterface<Cancel> {};

TEST_P(ConvertCancel, EndsWithTheCancelMessageAndNoFile) {
    std::string answers = GetParam().answers;
    if (const auto at = answers.find("IN"); at != std::string::npos) {
        answers.replace(at, 2, input.string());
    }
    ScriptedConsole console(answers);
    convertDffToPmx(console, tables);
    EXPECT_TRUE(console.transcript().ends_with("\n操作はキャンセルされました\n")) << console.transcript();
    EXPECT_EQ(console.transcript().find("エラー"), std::string::npos);
    EXPECT_FALSE(fs::exists(output));
}

INSTANTIATE_TEST_SUITE_P(Prompts, ConvertCancel,
                         ::testing::Values(Cancel{"OpenPath", "\n"}, Cancel{"ModeMenuEndOfInput", "IN\n"},
                                           Cancel{"ExtensionEndOfInput", "IN\n3\n\n"},
                                           Cancel{"SavePath", "IN\n3\n.png\n\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertDialogue, DecliningToReplaceAsksForThePathAgain) {
    folder.write("hero.pmx", std::string_view("old"));
    const fs::path other = folder / "other";
    ScriptedConsole console(input.string() + "\n1\n.png\n" + output.string() + "\nn\n" + other.string() + "\n");
    convertDffToPmx(console, tables);
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(test::readBytes(folder / "other.pmx"), expectedPmx(ConversionMode::None, ".png"));
    EXPECT_NE(console.transcript().find(output.string() + " は既に存在します。上書きしますか? (y/n)> <15>n\n</>" +
                                        "出力ファイル名を入力してください> "),
              std::string::npos)
        << console.transcript();
}

TEST_F(ConvertDialogue, AnUnwritableModelLeavesAnExistingFileUntouched) {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.geometries[0].meshes[0].materialIndex = 7;
    const fs::path broken = folder.write("broken.dff", test::buildDff(model));
    folder.write("hero.pmx", std::string_view("old"));
    ScriptedConsole console(broken.string() + "\n1\n.png\n" + output.string() + "\ny\n");
    convertDffToPmx(console, tables);
    EXPECT_TRUE(console.transcript().ends_with("出力しています...\n<12>エラー: 材質番号が範囲外の面があります\n</>"))
        << console.transcript();
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

TEST_F(ConvertDialogue, AMissingFileIsAskedForAgain) {
    ScriptedConsole console((folder / "missing.dff").string() + "\n");
    convertDffToPmx(console, tables);
    EXPECT_NE(console.transcript().find("ファイルが見つかりません: " + (folder / "missing.dff").string() + "\n" +
                                        "変換元ファイルを選択してください> "),
              std::string::npos)
        << console.transcript();
}

struct TextureAnswer {
    const char* name;
    bool existing;       // an image of that name is in the PMX's folder already
    std::string answer;  // to the replace question, when it is asked
    std::string tail;    // the transcript after "出力が完了しました\n"
    bool replaced;
};

class ConvertTextures : public ConvertDialogue, public ::testing::WithParamInterface<TextureAnswer> {};

// The sample model's textured material is "body"; the dictionary beside it holds it.
TEST_P(ConvertTextures, FollowThePmxAndAskOnceBeforeReplacing) {
    test::TxdLayout txd;
    const Image image = test::makeImage(1, 1, {{9, 8, 7, 255}}, false);
    txd.textures.push_back(test::d3d8Texture("BODY", image, test::TxdPixelFormat::Bgra8888));
    folder.write("HERO.txd", test::buildTxd(txd));
    if (GetParam().existing) {
        folder.write("body.png", std::string_view("old"));
    }
    ScriptedConsole console(input.string() + "\n1\n.png\n" + output.string() + "\n" + GetParam().answer);
    convertDffToPmx(console, tables);
    const std::string done = "出力が完了しました\n";
    const std::string transcript = console.transcript();
    ASSERT_NE(transcript.find(done), std::string::npos) << transcript;
    EXPECT_EQ(transcript.substr(transcript.find(done) + done.size()), GetParam().tail);
    EXPECT_EQ(test::readBytes(folder / "body.png") != Bytes({'o', 'l', 'd'}), GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConvertTextures,
    ::testing::Values(
        TextureAnswer{"NoImageYet", false, "", "テクスチャを出力しています...\nテクスチャを出力しました (1)\n", true},
        TextureAnswer{"Replace", true, "y\n",
                      "テクスチャを出力しています...\nテクスチャの画像が既にあります。上書きしますか? (y/n)> "
                      "<15>y\n</>テクスチャを出力しました (1)\n",
                      true},
        TextureAnswer{"Keep", true, "n\n",
                      "テクスチャを出力しています...\nテクスチャの画像が既にあります。上書きしますか? (y/n)> "
                      "<15>n\n</>テクスチャを出力しました (0)\n",
                      false},
        TextureAnswer{"EndOfInputKeeps", true, "",
                      "テクスチャを出力しています...\nテクスチャの画像が既にあります。上書きしますか? (y/n)> "
                      "<15></>\nテクスチャを出力しました (0)\n",
                      false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

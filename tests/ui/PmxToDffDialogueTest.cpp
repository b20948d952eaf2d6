// Menu entry 6: the PMX, the DFF, and what the command line writes for them.
#include "ui/PmxToDffDialogue.h"

#include "image/ImageEncoder.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxWriter.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/txd/ImageFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::ScriptedConsole;

const std::string heading = "<11>PMXをDFFに変換します\n</>\n\n";

std::string chosen(const fs::path& path) {
    return "<15>" + path.string() + "\n</>";
}

class PmxToDffDialogue : public ::testing::Test {
protected:
    PmxToDffDialogue() {
        PmxModel model = test::makeSemiStandardModel({.vertexCount = 600, .materialCount = 2});
        // Every texture with an ASCII name: no warning about their names.
        model.textures = {u"skin.png", u"cloth.png", u"a.png", u"b.png", u"c.png"};
        input = folder.write("miku.pmx", writePmx(model).span());
        // One of the two images the materials name is there.
        folder.write("skin.png", encodeImage(test::paintedImage(30, 30, 1, false), ImageFormat::Png));
    }

    std::string run(const std::string& answers) {
        ScriptedConsole console(answers);
        convertPmxToDff(console);
        return console.transcript();
    }

    test::TempDir folder;
    fs::path input;
    fs::path output = folder / "hero.dff";
};

TEST_F(PmxToDffDialogue, WritesWhatTheCommandLineWrites) {
    const std::string transcript = run(input.string() + "\n" + output.string() + "\n");
    // A model without a jaw, brows, breasts or belly: they are placed. Its
    // 腰, eyes, hair, shoulder and twist bones give their vertices away.
    const std::string placed =
        "<14>警告: モデルにない標準ボーンを周りのボーンから置きました: あご, 左眉, 右眉, 左胸, 右胸, 腹\n</>";
    const std::string moved =
        "<14>警告: ゲームにないボーンのウェイトを移しました (48 本): 腰, 両目, 髪1, 髪2, "
        "左肩P, 左肩C, 左腕捩, 左腕捩1, ...\n</>";
    EXPECT_EQ(transcript, heading + "変換元ファイルを選択してください> " + input.string() + "\n" + chosen(input) +
                              "読み込んでいます...\n読み込みが完了しました\n出力ファイル名を入力してください> " +
                              output.string() + "\n" + chosen(output) + "出力しています...\n" + placed + moved +
                              "出力が完了しました\nテクスチャを出力しています...\n"
                              "<14>警告: テクスチャの画像が見つかりません: cloth.png\n</>"
                              "テクスチャを出力しました (1)\n");
    const Bytes pmx = test::readBytes(input);
    const ByteBlock expected = convertPmxBytes(pmx, {}, [](const std::string&) {});
    EXPECT_EQ(test::readBytes(output), Bytes(expected.begin(), expected.end()));
    // The command line's TXD.
    const fs::path other = folder / "cli";
    fs::create_directories(other);
    convertPmxFile({.input = input, .output = other / "hero.dff", .settings = {}, .textures = {}}, {});
    EXPECT_EQ(test::readBytes(folder / "hero.txd"), test::readBytes(other / "hero.txd"));
}

struct DictionaryAnswer {
    const char* name;
    std::string answer;
    std::string tail;  // after the DFF is written
    bool replaced;
};

class PmxToDffDialogueDictionary : public PmxToDffDialogue, public ::testing::WithParamInterface<DictionaryAnswer> {};

TEST_P(PmxToDffDialogueDictionary, AnExistingTxdIsReplacedOnlyWhenTheUserSaysSo) {
    folder.write("hero.txd", std::string_view("old"));
    const std::string transcript = run(input.string() + "\n" + output.string() + "\n" + GetParam().answer);
    const std::string done = "出力が完了しました\n";
    ASSERT_NE(transcript.find(done), std::string::npos) << transcript;
    EXPECT_EQ(transcript.substr(transcript.find(done) + done.size()), GetParam().tail);
    EXPECT_EQ(test::readBytes(folder / "hero.txd") != Bytes({'o', 'l', 'd'}), GetParam().replaced);
}

const std::string question = "テクスチャを出力しています...\nテクスチャの辞書が既にあります。上書きしますか? (y/n)> ";
const std::string missingCloth = "<14>警告: テクスチャの画像が見つかりません: cloth.png\n</>";

INSTANTIATE_TEST_SUITE_P(
    Answers, PmxToDffDialogueDictionary,
    ::testing::Values(DictionaryAnswer{"Replace", "y\n",
                                       question + "<15>y\n</>" + missingCloth + "テクスチャを出力しました (1)\n", true},
                      DictionaryAnswer{"Keep", "n\n", question + "<15>n\n</>テクスチャを出力しました (0)\n", false},
                      DictionaryAnswer{"EndOfInputKeeps", "", question + "<15></>\nテクスチャを出力しました (0)\n",
                                       false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PmxToDffDialogue, OffersTheDffBesideThePmxAndAddsItsExtension) {
    run(input.string() + "\n" + (folder / "hero").string() + "\n");
    EXPECT_TRUE(fs::exists(output));
}

struct Refusal {
    const char* name;
    std::string answers;  // INPUT and OUTPUT stand for the paths
    std::string message;  // empty: cancelled
};

class PmxToDffDialogueRefusal : public PmxToDffDialogue, public ::testing::WithParamInterface<Refusal> {};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

TEST_P(PmxToDffDialogueRefusal, WritesNothing) {
    folder.write("not.pmx", std::string_view("Vocaloid Motion Data 0002"));
    std::string answers = replaced(GetParam().answers, "INPUT", input.string());
    answers = replaced(answers, "NOTPMX", (folder / "not.pmx").string());
    answers = replaced(answers, "OUTPUT", output.string());
    const std::string transcript = run(answers);
    const std::string expected =
        GetParam().message.empty() ? "操作はキャンセルされました\n" : "<12>エラー: " + GetParam().message + "\n</>";
    EXPECT_TRUE(transcript.ends_with(expected)) << transcript;
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(test::readBytes(input).size(), fs::file_size(input));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PmxToDffDialogueRefusal,
    ::testing::Values(Refusal{"NoInput", "\n", ""}, Refusal{"NoOutput", "INPUT\n\n", ""},
                      Refusal{"TheInputAsOutput", "INPUT\nINPUT\n", "入力と出力に同じファイルが指定されています"},
                      Refusal{"NotAModel", "NOTPMX\nOUTPUT\n", "PMXファイルでもPMDファイルでもありません"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

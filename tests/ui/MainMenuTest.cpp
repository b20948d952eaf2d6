#include "ui/MainMenu.h"

#include "support/ScriptedConsole.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zorvek {
namespace {

using test::ScriptedConsole;
using test::TempDir;

const std::filesystem::path shippedTables = std::filesystem::path(ZORVEK_SOURCE_DIR) / "data";

const std::string banner =
    "<11>ZORVEK v0.10 omega1\n</>"
    "(C) 2026 ZORVEK developers\n"
    "https://zorvek.example/\n"
    "\n"
    "これはお試し版です 転んでも泣かない\n"
    "不具合の報告: https://zorvek.example/issues\n"
    "\n";

const std::string tablesLoaded =
    "ボーン対応情報を読み込んでいます...\n読み込みが完了しました\n"
    "IK情報を読み込んでいます...\n読み込みが完了しました\n";

const std::string menu =
    "\n"
    "<15>1</> or <15>V</>: VMDをIFPに変換\n"
    "<15>2</> or <15>I</>: IFPをVMDに変換\n"
    "<15>3</> or <15>D</>: DFFをPMXに変換\n"
    "<15>4</> or <15>Q</>: 終了\n"
    "<15>5</> or <15>M</>: DFFの倍率変更\n"
    "<15>6</> or <15>P</>: PMXをDFFに変換\n"
    "実行する操作を選択してください> <15>";

std::string afterKey(const std::string& echo) {
    return echo + "</>\n";
}

const std::string invalidChoice = "<12>有効な文字を入力してください\n</>";
const std::string vmdCancelled =
    "\n\n<11>VMDをIFPに変換します\n</>\n\n"
    "変換元ファイルを選択してください> \n\n操作はキャンセルされました\n\n";
const std::string ifpCancelled =
    "\n\n<11>IFPをVMDに変換します\n</>\n\n"
    "変換元ファイルを選択してください> \n\n操作はキャンセルされました\n\n";

struct Dialogue {
    const char* name;
    std::string answers;
    std::string afterStartup;
};

class MainMenuDialogue : public ::testing::TestWithParam<Dialogue> {};

TEST_P(MainMenuDialogue, TranscriptIsExact) {
    ScriptedConsole console(GetParam().answers);
    EXPECT_EQ(runInteractiveProgram(console, shippedTables), 0);
    EXPECT_EQ(console.transcript(), banner + tablesLoaded + GetParam().afterStartup);
    EXPECT_EQ(console.title(), "ZORVEK");
}

const std::string quit = menu + afterKey("q");
const std::string pmxCancelled =
    "\n\n<11>PMXをDFFに変換します\n</>\n\n変換元ファイルを選択してください> \n\n操作はキャンセルされました\n\n";

INSTANTIATE_TEST_SUITE_P(
    Keys, MainMenuDialogue,
    ::testing::Values(Dialogue{"QuitDigit", "4\n1\n", menu + afterKey("4")},
                      Dialogue{"QuitUpper", "Q\n", menu + afterKey("Q")}, Dialogue{"QuitLower", "q\n", quit},
                      Dialogue{"EndOfInputLeaves", "", menu + afterKey("")},
                      Dialogue{"VmdDigit", "1\n\nq\n", menu + afterKey("1") + vmdCancelled + quit},
                      Dialogue{"VmdUpper", "V\n\nq\n", menu + afterKey("V") + vmdCancelled + quit},
                      Dialogue{"VmdLower", "v\n\nq\n", menu + afterKey("v") + vmdCancelled + quit},
                      Dialogue{"IfpDigit", "2\n\nq\n", menu + afterKey("2") + ifpCancelled + quit},
                      Dialogue{"IfpUpper", "I\n\nq\n", menu + afterKey("I") + ifpCancelled + quit},
                      Dialogue{"IfpLower", "i\n\nq\n", menu + afterKey("i") + ifpCancelled + quit},
                      Dialogue{"InvalidZero", "0\nq\n", menu + afterKey("0") + invalidChoice + quit},
                      Dialogue{"InvalidSeven", "7\nq\n", menu + afterKey("7") + invalidChoice + quit},
                      Dialogue{"InvalidLetter", "x\nq\n", menu + afterKey("x") + invalidChoice + quit},
                      Dialogue{"InvalidSpace", " \nq\n", menu + afterKey(" ") + invalidChoice + quit},
                      Dialogue{"EnterIsInvalid", "\nq\n", menu + afterKey("") + invalidChoice + quit},
                      Dialogue{"OnlyFirstCharacterCounts", "qx\n", menu + afterKey("q")},
                      Dialogue{"ConvertCancelled", "d\n\nq\n",
                               menu + afterKey("d") + "\n\n<11>DFFをPMXに変換します\n</>\n\n" +
                                   "変換元ファイルを選択してください> \n\n操作はキャンセルされました\n\n" + quit},
                      Dialogue{"PmxToDffDigit", "6\n\nq\n", menu + afterKey("6") + pmxCancelled + quit},
                      Dialogue{"PmxToDffLetter", "p\n\nq\n", menu + afterKey("p") + pmxCancelled + quit},
                      Dialogue{"RescaleCancelledAtEndOfInput", "m\n",
                               menu + afterKey("m") + "\n\n<11>DFFの倍率を変更します\n</>\n\n" +
                                   "変換元ファイルを選択してください> \n操作はキャンセルされました\n\n" + menu +
                                   afterKey("")}),
    [](const auto& info) { return std::string(info.param.name); });

struct StartupFailure {
    const char* name;
    bool withBones;
    std::string expected;
};

class MainMenuStartupFailure : public ::testing::TestWithParam<StartupFailure> {};

TEST_P(MainMenuStartupFailure, ShowsErrorWaitsForKeyAndEnds) {
    TempDir folder;
    if (GetParam().withBones) {
        std::filesystem::copy_file(shippedTables / "bones.dat", folder / "bones.dat");
    }
    ScriptedConsole console("x\n3\n");
    EXPECT_EQ(runInteractiveProgram(console, folder.path()), 0);
    EXPECT_EQ(console.transcript(), banner + GetParam().expected);
    EXPECT_EQ(console.answersLeft(), 1u) << "exactly one key is waited for";
}

INSTANTIATE_TEST_SUITE_P(MissingTables, MainMenuStartupFailure,
                         ::testing::Values(StartupFailure{"NoBoneTable", false,
                                                          "ボーン対応情報を読み込んでいます...\n"
                                                          "<12>エラー: bones.datを開けませんでした\n</>\n"
                                                          "何かキーを押すと終了します"},
                                           StartupFailure{
                                               "NoIkTable", true,
                                               "ボーン対応情報を読み込んでいます...\n読み込みが完了しました\n"
                                               "IK情報を読み込んでいます...\n"
                                               "<12>エラー: iks.datを開けませんでした\n</>\n"
                                               "何かキーを押すと終了します"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

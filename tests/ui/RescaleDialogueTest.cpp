#include "ui/RescaleDialogue.h"

#include "jobs/RescaleJob.h"
#include "rescale/DffRescaler.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::ScriptedConsole;
using test::TempDir;

const std::string heading = "<11>DFFの倍率を変更します\n</>\n\n";

std::string chosen(const fs::path& path) {
    return "<15>" + path.string() + "\n</>";
}

class RescaleDialogue : public ::testing::Test {
protected:
    RescaleDialogue() : input(folder.write("hero.dff", test::buildDff(test::sampleSkinnedModel()))) {}

    std::string run(const std::string& answers) {
        ScriptedConsole console(answers);
        rescaleDffCommand(console);
        return console.transcript();
    }

    TempDir folder;
    fs::path input;
    fs::path output = folder / "big.dff";
};

TEST_F(RescaleDialogue, WritesTheScaledCopy) {
    const std::string transcript = run(input.string() + "\n" + output.string() + "\n2\n");
    EXPECT_EQ(transcript, heading + "変換元ファイルを選択してください> " + input.string() + "\n" + chosen(input) +
                              "読み込んでいます...\n\n出力ファイル名を入力してください> " + output.string() + "\n" +
                              chosen(output) + "出力しています...\n\n倍率を入力してください> <15>2\n</>" +
                              "読み込みが完了しました\n出力が完了しました\n");
    EXPECT_EQ(test::readBytes(output), rescaledCopy(test::readBytes(input), 2.0f, [](const std::string&) {}));
}

TEST_F(RescaleDialogue, DefaultExtensionIsAdded) {
    run(input.string() + "\n" + (folder / "big").string() + "\n1\n");
    EXPECT_EQ(test::readBytes(output), test::readBytes(input));
}

struct Refusal {
    const char* name;
    std::string factor;
    std::string message;
};

class RescaleRefusal : public RescaleDialogue, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RescaleRefusal, ReportsAndWritesNothing) {
    const std::string transcript = run(input.string() + "\n" + output.string() + "\n" + GetParam().factor);
    EXPECT_NE(transcript.find("<12>エラー: " + GetParam().message + "\n</>"), std::string::npos) << transcript;
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(BadFactors, RescaleRefusal,
                         ::testing::Values(Refusal{"Letters", "abc\n", "倍率には数値を入力してください"},
                                           Refusal{"TrailingLetters", "2x\n", "倍率には数値を入力してください"},
                                           Refusal{"NotANumber", "nan\n", "倍率には数値を入力してください"},
                                           Refusal{"Infinite", "inf\n", "倍率には数値を入力してください"},
                                           Refusal{"TooLarge", "1e39\n", "倍率には数値を入力してください"},
                                           Refusal{"Empty", "\n", "倍率には数値を入力してください"},
                                           Refusal{"EndOfInput", "", "倍率には数値を入力してください"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScaleFactor, FirstWordMustConvertCompletely) {
    EXPECT_EQ(parseScaleFactor("2"), 2.0f);
    EXPECT_EQ(parseScaleFactor("  -0.5  ignored words"), -0.5f);
    EXPECT_EQ(parseScaleFactor("0"), 0.0f);
    EXPECT_EQ(parseScaleFactor("1e3"), 1000.0f);
    EXPECT_EQ(parseScaleFactor("1,5"), std::nullopt);
    EXPECT_EQ(parseScaleFactor("-inf"), std::nullopt);
}

TEST_F(RescaleDialogue, AnUnreadableModelLeavesNoOutputAndKeepsAnExistingFile) {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.frames.resize(1);
    const fs::path broken = folder.write("broken.dff", test::buildDff(model));
    folder.write("big.dff", std::string_view("keep me"));
    const std::string transcript = run(broken.string() + "\n" + output.string() + "\ny\n2\n");
    EXPECT_NE(transcript.find("<12>エラー: ファイルにボーンが含まれていません\n</>"), std::string::npos) << transcript;
    EXPECT_EQ(test::readBytes(output), (Bytes{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
}

struct SameFile {
    const char* name;
    std::function<fs::path(const TempDir&, const fs::path&)> outputFor;
};

class RescaleSameFile : public RescaleDialogue, public ::testing::WithParamInterface<SameFile> {};

TEST_P(RescaleSameFile, IsRefusedBeforeAnythingIsWritten) {
#ifdef _WIN32
    if (std::string_view(GetParam().name) == "SymbolicLink") {
        GTEST_SKIP() << "mingw's std::filesystem cannot make symbolic links";
    }
#endif
    const fs::path target = GetParam().outputFor(folder, input);
    const Bytes before = test::readBytes(input);
    const std::string transcript = run(input.string() + "\n" + target.string() + "\ny\n2\n");
    EXPECT_NE(transcript.find("<12>エラー: 入力と出力に同じファイルが指定されています\n</>"), std::string::npos)
        << transcript;
    EXPECT_EQ(test::readBytes(input), before);
}

INSTANTIATE_TEST_SUITE_P(Spellings, RescaleSameFile,
                         ::testing::Values(SameFile{"SamePath", [](const TempDir&, const fs::path& in) { return in; }},
                                           SameFile{"DotSegment",
                                                    [](const TempDir& dir, const fs::path&) {
                                                        return dir / "." / "hero.dff";
                                                    }},
                                           SameFile{"SymbolicLink",
                                                    [](const TempDir& dir, const fs::path& in) {
                                                        fs::create_symlink(in, dir / "link.dff");
                                                        return dir / "link.dff";
                                                    }},
                                           SameFile{"HardLink",
                                                    [](const TempDir& dir, const fs::path& in) {
                                                        fs::create_hard_link(in, dir / "hard.dff");
                                                        return dir / "hard.dff";
                                                    }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Cancel {
    const char* name;
    std::string answers;  // with IN and OUT for the two paths
};

class RescaleCancel : public RescaleDialogue, public ::testing::WithParamInterface<Cancel> {};

TEST_P(RescaleCancel, PrintsTheCancelMessageAndWritesNothing) {
    std::string answers = GetParam().answers;
    if (const auto at = answers.find("IN"); at != std::string::npos) {
        answers.replace(at, 2, input.string());
    }
    const std::string transcript = run(answers);
    EXPECT_TRUE(transcript.ends_with("\n操作はキャンセルされました\n")) << transcript;
    EXPECT_EQ(transcript.find("エラー"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Prompts, RescaleCancel,
                         ::testing::Values(Cancel{"OpenEmpty", "\n"}, Cancel{"OpenEndOfInput", ""},
                                           Cancel{"SaveEmpty", "IN\n\n"}, Cancel{"SaveEndOfInput", "IN\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

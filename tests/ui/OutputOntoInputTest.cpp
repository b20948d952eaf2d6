// No answer in the menu can replace the model it reads: an output path that
// names the input file, however it is spelled, is refused before any question.

#include "base/TextEncoding.h"
#include "console/TypedPaths.h"
#include "jobs/ConversionTables.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"
#include "ui/ConvertDialogue.h"
#include "ui/RescaleDialogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::ScriptedConsole;
using test::TempDir;

const std::string refusal = "<12>エラー: 入力と出力に同じファイルが指定されています\n</>";

struct Spelling {
    const char* name;
    // The output path the user types, made from the folder and the input's path.
    std::function<fs::path(const TempDir&, const fs::path&)> make;
};

struct Dialogue {
    const char* name;
    // The answers before the save prompt, and those after it if it were accepted.
    std::function<std::string(const fs::path& input)> before;
    std::function<void(Console&)> run;
};

const Spelling spellings[] = {
    {"SamePath", [](const TempDir&, const fs::path& input) { return input; }},
    {"DotFolder", [](const TempDir& folder, const fs::path&) { return folder.path() / "." / "hero.dff"; }},
    {"ParentFolder", [](const TempDir& folder, const fs::path&) { return folder.path() / "sub" / ".." / "hero.dff"; }},
    {"SymbolicLink",
     [](const TempDir& folder, const fs::path& input) {
         std::error_code error;
         fs::create_symlink(input, folder / "link.dff", error);
         return error ? fs::path() : folder / "link.dff";  // empty: the system makes no links
     }},
    {"HardLink",
     [](const TempDir& folder, const fs::path& input) {
         fs::create_hard_link(input, folder / "hard.dff");
         return folder / "hard.dff";
     }},
};

const ConversionTables& noTables() {
    static const ConversionTables tables;
    return tables;
}

const Dialogue dialogues[] = {
    {"Convert", [](const fs::path& input) { return input.string() + "\n1\n.png\n"; },
     [](Console& console) { convertDffToPmx(console, noTables()); }},
    {"Rescale", [](const fs::path& input) { return input.string() + "\n"; },
     [](Console& console) { rescaleDffCommand(console); }},
};

class OutputOntoInput : public ::testing::TestWithParam<std::tuple<Dialogue, Spelling>> {};

TEST_P(OutputOntoInput, IsRefusedBeforeAnyQuestionAndTheInputStays) {
    const auto& [dialogue, spelling] = GetParam();
    TempDir folder;
    fs::create_directory(folder / "sub");
    const Bytes model = test::buildDff(test::sampleSkinnedModel());
    const fs::path input = folder.write("hero.dff", model);
    const fs::path typed = spelling.make(folder, input);
    if (typed.empty()) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    // "y" and a factor follow, so that a question, were one asked, would be answered yes.
    ScriptedConsole console(dialogue.before(input) + typed.string() + "\ny\n2\n");
    dialogue.run(console);
    EXPECT_TRUE(console.transcript().ends_with("出力ファイル名を入力してください> " + typed.string() + "\n" + refusal))
        << console.transcript();
    EXPECT_EQ(console.transcript().find("上書きしますか"), std::string::npos);
    EXPECT_EQ(test::readBytes(input), model);
}

INSTANTIATE_TEST_SUITE_P(Spellings, OutputOntoInput,
                         ::testing::Combine(::testing::ValuesIn(dialogues), ::testing::ValuesIn(spellings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
                         });

struct FolderCase {
    const char* name;
    std::function<std::string(const fs::path& input, const std::string& folderAnswer)> answers;
};

class FolderAnswer : public ::testing::TestWithParam<FolderCase> {};

// A path that ends in a separator names a folder even where none exists by that spelling.
TEST_P(FolderAnswer, SaysFoldersCannotBeChosenAndAsksAgain) {
    TempDir folder;
    const fs::path input = folder.write("hero.dff", test::buildDff(test::sampleSkinnedModel()));
    const std::string answer = folder.path().string() + "/";
    ScriptedConsole console(GetParam().answers(input, answer));
    convertDffToPmx(console, noTables());
    // As the prompt shows paths: absolute, with this platform's separators.
    const std::string shown = pathToUtf8(typedPathToAbsolute(answer));
    EXPECT_NE(console.transcript().find("フォルダは指定できません: " + shown + "\n"), std::string::npos)
        << console.transcript();
    EXPECT_EQ(console.transcript().find("ファイルが見つかりません"), std::string::npos) << console.transcript();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
        << "nothing was written into the folder";
}

INSTANTIATE_TEST_SUITE_P(Prompts, FolderAnswer,
                         ::testing::Values(FolderCase{"Open", [](const fs::path&,
                                                                 const std::string& dir) { return dir + "\n"; }},
                                           FolderCase{"Save",
                                                      [](const fs::path& input, const std::string& dir) {
                                                          return input.string() + "\n1\n.png\n" + dir + "\n";
                                                      }}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

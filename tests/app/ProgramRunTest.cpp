// Runs the real binary with piped answers, as a script or a user's shell would.
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string text;
};

Output runPiped(const fs::path& folder, const std::string& answers, const std::string& arguments = "") {
    const std::string command =
        "cd '" + folder.string() + "' && printf '" + answers + "' | '" ZORVEK_BINARY "' " + arguments + " 2>&1";
    Output output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.text.append(buffer, n);
    }
    const int status = pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

const fs::path dataFolder = fs::path(ZORVEK_SOURCE_DIR) / "data";

TEST(ProgramRun, MenuInTheDataFolder) {
    const Output output = runPiped(dataFolder, "1\\n\\n2\\n\\nx\\n4\\n");
    EXPECT_EQ(output.status, 0);
    EXPECT_NE(output.text.find("実行する操作を選択してください> 1\n\n\nVMDをIFPに変換します\n"), std::string::npos);
    EXPECT_NE(output.text.find("実行する操作を選択してください> x\n有効な文字を入力してください\n"), std::string::npos);
    EXPECT_TRUE(output.text.ends_with("実行する操作を選択してください> 4\n")) << output.text;
    EXPECT_EQ(output.text.find('\x1b'), std::string::npos) << "no escape byte when output is piped";
}

TEST(ProgramRun, EmptyFolderReportsTheBoneTableAndWaitsForOneKey) {
    test::TempDir empty;
    const Output output = runPiped(empty.path(), "1\\n2\\nx\\n4\\n");
    EXPECT_EQ(output.status, 0);
    EXPECT_TRUE(
        output.text.ends_with("ボーン対応情報を読み込んでいます...\n"
                              "エラー: bones.datを開けませんでした\n\n何かキーを押すと終了します"))
        << output.text;
    EXPECT_EQ(output.text.find("IK情報"), std::string::npos) << "iks.dat is never opened";
    EXPECT_EQ(output.text.find('\x1b'), std::string::npos);
}

TEST(ProgramRun, EndOfInputAtTheMenuEndsTheProgram) {
    const Output output = runPiped(dataFolder, "");
    EXPECT_EQ(output.status, 0);
    EXPECT_TRUE(output.text.ends_with("実行する操作を選択してください> \n")) << output.text;
}

TEST(ProgramRun, CommandLineUsageErrorExitsWithTwo) {
    const Output output = runPiped(dataFolder, "", "convert --mode nothing");
    EXPECT_EQ(output.status, 2);
}

}  // namespace
}  // namespace zorvek

#include "CommandLineRun.h"

#include "cli/CommandLine.h"

#include "base/TextEncoding.h"

#include "jobs/ConversionTables.h"
#include "rescale/DffRescaler.h"
#include "support/ScriptedConsole.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"
#include "support/pmx/PmxTestDecoder.h"
#include "support/txd/TxdPixels.h"
#include "ui/ConvertDialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string dataFolder = std::string(ZORVEK_SOURCE_DIR) + "/data";

using test::run;
using test::RunResult;

class CommandLine : public ::testing::Test {
protected:
    fs::path model(const std::string& name) const {
        return folder.write(name, test::buildDff(test::sampleSkinnedModel()));
    }

    fs::path brokenModel(const std::string& name) const {
        test::SkinnedModel broken = test::sampleSkinnedModel();
        broken.frames.resize(1);
        return folder.write(name, test::buildDff(broken));
    }

    TempDir folder;
};

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
};

class CommandLineUsage : public CommandLine, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CommandLineUsage, ExitStatus) {
    const RunResult result = run(GetParam().arguments);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    if (GetParam().status == 2) {
        EXPECT_NE(result.err.find("Usage: zorvek"), std::string::npos) << result.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineUsage,
    ::testing::Values(UsageCase{"Help", {"--help"}, 0}, UsageCase{"Version", {"--version"}, 0},
                      UsageCase{"NoCommand", {"--force"}, 2}, UsageCase{"UnknownCommand", {"explode"}, 2},
                      UsageCase{"ConvertWithoutInput", {"convert"}, 2},
                      UsageCase{"UnknownMode", {"convert", "a.dff", "--mode", "fancy"}, 2},
                      UsageCase{"OutputWithTwoInputs", {"convert", "a.dff", "b.dff", "-o", "x.pmx"}, 2},
                      UsageCase{"OutputAndFolder", {"convert", "a.dff", "-o", "x.pmx", "-d", "."}, 2},
                      UsageCase{"MissingTablesFolder", {"convert", "a.dff", "--tables", "/nonexistent/zorvek"}, 2},
                      UsageCase{"RescaleWithoutFactor", {"rescale", "a.dff", "b.dff"}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, HelpListsEveryOptionWithAnExample) {
    const RunResult result = run({"--help"});
    for (const char* option : {"--output", "--output-dir", "--mode", "--texture-ext", "--tables", "--force", "--txd",
                               "--no-textures", "--format", "--version", "rescale", "textures", "Examples:"}) {
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    }
}

TEST_F(CommandLine, ConvertWritesBesideTheInputByDefault) {
    const fs::path input = model("hero.dff");
    const RunResult result = run({"convert", input.string(), "--tables", dataFolder});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(folder / "hero.pmx"));
    EXPECT_EQ(result.out, "読み込んでいます...\n読み込みが完了しました\n出力しています...\n" +
                              (folder / "hero.pmx").string() + "\n出力が完了しました\n");
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << "no colour on a file";
}

TEST_F(CommandLine, BatchGoesOnPastAFailureAndCounts) {
    const fs::path out = folder / "made" / "out";
    const RunResult result = run({"convert", model("a.dff").string(), brokenModel("b.dff").string(),
                                  model("c.dff").string(), "-d", out.string(), "--tables", dataFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::exists(out / "a.pmx"));
    EXPECT_FALSE(fs::exists(out / "b.pmx"));
    EXPECT_TRUE(fs::exists(out / "c.pmx"));
    EXPECT_NE(result.out.find("[2/3] b.dff\n"), std::string::npos) << result.out;
    EXPECT_TRUE(result.out.ends_with("成功 2 件、失敗 1 件\n")) << result.out;
    EXPECT_NE(result.err.find("エラー: ファイルにボーンが含まれていません\n"), std::string::npos) << result.err;
}

TEST_F(CommandLine, AnOutputFolderThatCannotBeMadeFailsTheJob) {
    folder.write("file", std::string_view("x"));
    const RunResult result =
        run({"convert", model("a.dff").string(), "-d", (folder / "file" / "out").string(), "--tables", dataFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("エラー: 出力フォルダを作成できませんでした"), std::string::npos) << result.err;
}

TEST_F(CommandLine, AnExistingOutputIsReplacedOnlyWithForce) {
    const fs::path input = model("hero.dff");
    const fs::path output = folder.write("hero.pmx", std::string_view("old"));
    const RunResult refused = run({"convert", input.string(), "--tables", dataFolder});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("出力ファイルが既に存在します"), std::string::npos) << refused.err;
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));

    const RunResult forced = run({"convert", input.string(), "--tables", dataFolder, "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_NE(test::readBytes(output), (Bytes{'o', 'l', 'd'}));
}

struct ModeCase {
    const char* name;
    std::string option;  // "" for no --mode at all
    std::string menuKey;
};

class CommandLineMatchesMenu : public CommandLine, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(CommandLineMatchesMenu, ProducesByteIdenticalFiles) {
    const fs::path input = model("hero.dff");
    std::vector<std::string> arguments{"convert",       input.string(), "-o",       (folder / "cli.pmx").string(),
                                       "--texture-ext", ".bmp",         "--tables", dataFolder};
    if (!GetParam().option.empty()) {
        arguments.insert(arguments.end(), {"--mode", GetParam().option});
    }
    const RunResult result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;

    test::ScriptedConsole console(input.string() + "\n" + GetParam().menuKey + "\n.bmp\n" +
                                  (folder / "menu.pmx").string() + "\n");
    convertDffToPmx(console, loadConversionTables(dataFolder));
    ASSERT_TRUE(fs::exists(folder / "menu.pmx")) << console.transcript();
    EXPECT_EQ(test::readBytes(folder / "cli.pmx"), test::readBytes(folder / "menu.pmx"));
}

INSTANTIATE_TEST_SUITE_P(Modes, CommandLineMatchesMenu,
                         ::testing::Values(ModeCase{"None", "none", "1"}, ModeCase{"Info", "info", "2"},
                                           ModeCase{"Mmd", "mmd", "3"}, ModeCase{"Digit", "2", "2"},
                                           ModeCase{"Standard", "standard", "4"}, ModeCase{"StandardDigit", "4", "4"},
                                           ModeCase{"StandardInCapitals", "Standard", "4"},
                                           ModeCase{"Default", "", "4"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Were two modes to write the same model, matching the menu would not tell
// which of them the command line chose.
TEST_F(CommandLine, TheMmdModesWriteDifferentModels) {
    const fs::path input = model("hero.dff");
    for (const char* mode : {"mmd", "standard"}) {
        const RunResult result = run({"convert", input.string(), "-o", (folder / (std::string(mode) + ".pmx")).string(),
                                      "--mode", mode, "--tables", dataFolder});
        ASSERT_EQ(result.status, 0) << result.err;
    }
    EXPECT_NE(test::readBytes(folder / "mmd.pmx"), test::readBytes(folder / "standard.pmx"));
}

struct ModeHelpCase {
    const char* name;
    std::string command;
};

class CommandLineModeHelp : public CommandLine, public ::testing::WithParamInterface<ModeHelpCase> {};

TEST_P(CommandLineModeHelp, ListsTheFourModesAndTheDefault) {
    const RunResult result = run({GetParam().command, "--help"});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* text : {"--mode TEXT:{none,info,mmd,standard,1,2,3,4}", "standard (MMD's standard skeleton)",
                             "or 1, 2, 3, 4 as in the menu. Default standard"}) {
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandLineModeHelp,
                         ::testing::Values(ModeHelpCase{"Convert", "convert"}, ModeHelpCase{"IfpToVmd", "ifp2vmd"},
                                           ModeHelpCase{"VmdToIfp", "vmd2ifp"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, RescaleWritesTheScaledCopy) {
    const fs::path input = model("hero.dff");
    const RunResult result = run({"rescale", input.string(), (folder / "big.dff").string(), "2"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::readBytes(folder / "big.dff"),
              rescaledCopy(test::readBytes(input), 2.0f, [](const std::string&) {}));
}

struct RescaleRefusal {
    const char* name;
    std::string factor;
    bool sameFile;
    std::string message;
};

class CommandLineRescaleRefusal : public CommandLine, public ::testing::WithParamInterface<RescaleRefusal> {};

TEST_P(CommandLineRescaleRefusal, FailsWithoutWriting) {
    const fs::path input = model("hero.dff");
    const fs::path output = GetParam().sameFile ? folder / "." / "hero.dff" : folder / "big.dff";
    const RunResult result = run({"rescale", input.string(), output.string(), GetParam().factor, "--force"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: " + GetParam().message + "\n");
    EXPECT_FALSE(fs::exists(folder / "big.dff"));
    EXPECT_EQ(test::readBytes(input), test::buildDff(test::sampleSkinnedModel()));
}

INSTANTIATE_TEST_SUITE_P(Refusals, CommandLineRescaleRefusal,
                         ::testing::Values(RescaleRefusal{"Letters", "big", false, "倍率には数値を入力してください"},
                                           RescaleRefusal{"NotANumber", "nan", false, "倍率には数値を入力してください"},
                                           RescaleRefusal{"SameFile", "2", true,
                                                          "入力と出力に同じファイルが指定されています"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OntoInputCase {
    const char* name;
    std::vector<std::string> arguments;  // IN stands for the input, DIR for the folder
};

class CommandLineOntoInput : public CommandLine, public ::testing::WithParamInterface<OntoInputCase> {};

TEST_P(CommandLineOntoInput, IsRefusedEvenWithForceAndTheInputStays) {
    const fs::path input = model("hero.dff");
    std::error_code noLinks;
    fs::create_symlink(input, folder / "link.dff", noLinks);
    if (noLinks && std::string_view(GetParam().name).ends_with("Link")) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    std::vector<std::string> arguments;
    for (std::string argument : GetParam().arguments) {
        if (argument == "IN") {
            argument = input.string();
        } else if (argument.starts_with("DIR")) {
            argument = folder.path().string() + argument.substr(3);
        }
        arguments.push_back(argument);
    }
    const RunResult result = run(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 入力と出力に同じファイルが指定されています\n");
    EXPECT_EQ(test::readBytes(input), test::buildDff(test::sampleSkinnedModel()));
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, CommandLineOntoInput,
    ::testing::Values(
        OntoInputCase{"ConvertSamePath", {"convert", "IN", "-o", "IN", "--force", "--tables", dataFolder}},
        OntoInputCase{"ConvertDotFolder", {"convert", "IN", "-o", "DIR/./hero.dff", "--force", "--tables", dataFolder}},
        OntoInputCase{"ConvertLink", {"convert", "IN", "-o", "DIR/link.dff", "--force", "--tables", dataFolder}},
        OntoInputCase{"RescaleLink", {"rescale", "IN", "DIR/link.dff", "2", "--force"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, ABatchRefusesASecondInputWithTheSameOutputName) {
    fs::create_directories(folder / "a");
    fs::create_directories(folder / "b");
    const fs::path first = folder.write("a/x.dff", test::buildDff(test::sampleSkinnedModel()));
    test::SkinnedModel other = test::sampleSkinnedModel();
    other.geometries[0].positions[0].x += 1;
    const fs::path second = folder.write("b/x.dff", test::buildDff(other));
    const fs::path third = model("c.dff");
    const fs::path out = folder / "out";
    const RunResult result = run({"convert", first.string(), second.string(), third.string(), "-d", out.string(),
                                  "--mode", "none", "--tables", dataFolder});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "エラー: 出力ファイルが他の入力と重なります: " + first.string() + ", " + second.string() + "\n");
    EXPECT_TRUE(result.out.ends_with("成功 2 件、失敗 1 件\n")) << result.out;
    EXPECT_TRUE(fs::exists(out / "c.pmx"));
    // The first input's model is the one in the folder.
    const RunResult alone = run(
        {"convert", first.string(), "-o", (folder / "alone.pmx").string(), "--mode", "none", "--tables", dataFolder});
    ASSERT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(test::readBytes(out / "x.pmx"), test::readBytes(folder / "alone.pmx"));
}

TEST_F(CommandLine, FileErrorsNameTheFile) {
    const RunResult missing =
        run({"convert", "no-such-model.dff", "-d", folder.path().string(), "--tables", dataFolder});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "エラー: ファイルを開けませんでした: no-such-model.dff\n");

    const RunResult unwritable =
        run({"convert", model("hero.dff").string(), "-o", (folder / "missing-folder" / "hero.pmx").string(), "--mode",
             "none", "--tables", dataFolder});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err,
              "エラー: ファイルを開けませんでした: " + (folder / "missing-folder" / "hero.pmx").string() + "\n");
}

Bytes dictionaryWith(const std::string& name) {
    test::TxdLayout txd;
    txd.textures.push_back(
        test::d3d8Texture(name, test::makeImage(1, 1, {{9, 8, 7, 255}}, false), test::TxdPixelFormat::Bgra8888));
    return test::buildTxd(txd);
}

struct TextureOptionCase {
    const char* name;
    std::vector<std::string> options;
    std::string txdName;  // the dictionary written beside the model
    bool imageWritten;
};

class CommandLineTextures : public CommandLine, public ::testing::WithParamInterface<TextureOptionCase> {};

TEST_P(CommandLineTextures, FollowTheOptions) {
    const fs::path input = model("hero.dff");
    folder.write(GetParam().txdName, dictionaryWith("body"));
    std::vector<std::string> arguments{"convert", input.string(), "--mode", "none", "--tables", dataFolder};
    for (std::string option : GetParam().options) {
        arguments.push_back(option == "TXD" ? (folder / GetParam().txdName).string() : option);
    }
    const RunResult result = run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fs::exists(folder / "body.png"), GetParam().imageWritten);
    const std::string texturesLines = "テクスチャを出力しています...\nテクスチャを出力しました (1)\n";
    EXPECT_EQ(result.out.ends_with(texturesLines), GetParam().imageWritten) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Options, CommandLineTextures,
                         ::testing::Values(TextureOptionCase{"BesideTheModel", {}, "hero.txd", true},
                                           TextureOptionCase{"NoTextures", {"--no-textures"}, "hero.txd", false},
                                           TextureOptionCase{"OtherNameNotFound", {}, "shared.txd", false},
                                           TextureOptionCase{"OtherNameGiven", {"--txd", "TXD"}, "shared.txd", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, TexturesUnpacksDictionariesAndCounts) {
    const fs::path first = folder.write("a.txd", dictionaryWith("skin"));
    const fs::path broken = folder.write("b.txd", std::string_view("not a dictionary"));
    const fs::path out = folder / "images";
    const RunResult result = run({"textures", first.string(), broken.string(), "-d", out.string(), "--format", "BMP"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::exists(out / "skin.bmp"));
    EXPECT_TRUE(result.out.ends_with("成功 1 件、失敗 1 件\n")) << result.out;
    EXPECT_EQ(result.err, "エラー: TextureDictionaryが見つかりません\n");

    const RunResult again = run({"textures", first.string(), "-d", out.string(), "--format", "bmp"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "警告: テクスチャの画像が既にあります (上書きするには --force を指定してください): " +
                             (out / "skin.bmp").string() + "\n");
    EXPECT_EQ(run({"textures", first.string(), "--format", "dds"}).status, 2);
}

// Texture names come from downloaded files: none decides where an image is
// written, and the PMX names the file that was.
struct UnsafeTextureCase {
    const char* label;
    std::string texture;  // as the DFF and the TXD name it
    std::string file;     // the image written into the chosen folder
};

class CommandLineUnsafeTexture : public CommandLine, public ::testing::WithParamInterface<UnsafeTextureCase> {};

TEST_P(CommandLineUnsafeTexture, StaysInTheChosenFolder) {
    test::SkinnedModel named = test::sampleSkinnedModel();
    named.geometries[0].materials[0] = test::texturedMaterial({GetParam().texture});
    fs::create_directories(folder / "in");
    const fs::path input = folder.write("in/hero.dff", test::buildDff(named));
    const fs::path txd = folder.write("in/hero.txd", dictionaryWith(GetParam().texture));
    const fs::path out = folder / "out" / "deep";
    const std::string warning = "警告: テクスチャ名をファイル名に使えないため変更しました: " + GetParam().texture +
                                " → " + GetParam().file.substr(0, GetParam().file.size() - 4) + "\n";

    const RunResult converted =
        run({"convert", input.string(), "--mode", "none", "--tables", dataFolder, "-d", out.string()});
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(converted.err, warning);
    EXPECT_TRUE(fs::exists(out / GetParam().file));
    EXPECT_EQ(test::decodePmx(test::readBytes(out / "hero.pmx")).textures,
              std::vector<std::u16string>{utf8ToUtf16(GetParam().file)});

    const fs::path images = folder / "out" / "images";
    const RunResult unpacked = run({"textures", txd.string(), "-d", images.string()});
    ASSERT_EQ(unpacked.status, 0) << unpacked.err;
    EXPECT_EQ(unpacked.err, warning);
    EXPECT_TRUE(fs::exists(images / GetParam().file));

    // Nothing anywhere else: the test's folder holds the inputs and the two outputs only.
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 5u);
}

INSTANTIATE_TEST_SUITE_P(Names, CommandLineUnsafeTexture,
                         ::testing::Values(UnsafeTextureCase{"ParentFolder", "../zz", "zz.png"},
                                           UnsafeTextureCase{"ParentFolderWindows", "..\\..\\zz", "zz.png"},
                                           UnsafeTextureCase{"Absolute", "/tmp/rq", "tmp_rq.png"},
                                           UnsafeTextureCase{"Drive", "C:\\rq", "rq.png"},
                                           UnsafeTextureCase{"Device", "aux", "_aux.png"},
                                           UnsafeTextureCase{"Reserved", "a?b*", "a_b_.png"}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace zorvek

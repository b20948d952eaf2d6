// zorvek pmx2dff: where it writes, its batch and its refusals, and the same
// bytes as the conversion the menu runs.
#include "CommandLineRun.h"

#include "image/ImageEncoder.h"
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxWriter.h"
#include "support/TempDir.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/txd/ImageFiles.h"
#include "txd/TextureDictionary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::run;
using test::RunResult;

class PmxToDffCommand : public ::testing::Test {
protected:
    fs::path model(const std::string& name, float height = 23) const {
        return folder.write(
            name,
            writePmx(test::makeSemiStandardModel({.vertexCount = 2000, .materialCount = 3, .height = height})).span());
    }

    static Bytes dffOf(const fs::path& pmx, const PmxToDffSettings& settings = {}) {
        const Bytes bytes = test::readBytes(pmx);
        const ByteBlock dff = convertPmxBytes(bytes, settings, [](const std::string&) {});
        return Bytes(dff.begin(), dff.end());
    }

    test::TempDir folder;
};

TEST_F(PmxToDffCommand, WritesBesideTheInputWhatTheJobWrites) {
    const fs::path input = model("miku.pmx");
    // One of the three images the materials name is there.
    folder.write("hair.tga", encodeImage(test::paintedImage(40, 40, 1, false), ImageFormat::Tga));
    const RunResult result = run({"pmx2dff", input.string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "読み込んでいます...\n読み込みが完了しました\n出力しています...\n" +
                              (folder / "miku.dff").string() +
                              "\n出力が完了しました\nテクスチャを出力しています...\nテクスチャを出力しました (1)\n");
    // The hair, the twist steps, the eyes and the other fingers go to the
    // game's bones, three of five textures have no ASCII name, and two
    // images are not there.
    EXPECT_NE(result.err.find("警告: ゲームにないボーンのウェイトを移しました ("), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("警告: テクスチャの画像が見つかりません: tex/肌.png\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("警告: テクスチャの画像が見つかりません: tex\\服.bmp\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(test::readBytes(folder / "miku.dff"), dffOf(input));
    const Bytes txd = test::readBytes(folder / "miku.txd");
    const TextureDictionary dictionary = readTextureDictionary(txd, {});
    ASSERT_EQ(dictionary.textures.size(), 1u);
    EXPECT_EQ(dictionary.textures[0].name, "hair");
    EXPECT_EQ(dictionary.textures[0].image.width, 32u);
}

TEST_F(PmxToDffCommand, TextureOptions) {
    const fs::path input = model("miku.pmx");
    folder.write("hair.tga", encodeImage(test::paintedImage(200, 200, 1, false), ImageFormat::Tga));
    const RunResult result =
        run({"pmx2dff", input.string(), "--texture-format", "8888", "--mipmaps", "--max-texture", "100"});
    EXPECT_EQ(result.status, 0) << result.err;
    const Bytes txd = test::readBytes(folder / "miku.txd");
    const StoredTextureDictionary stored = readStoredTextureDictionary(txd, {});
    ASSERT_EQ(stored.textures.size(), 1u);
    EXPECT_EQ(stored.textures[0].raster.encoding, PixelEncoding::Bgrx8888);
    EXPECT_EQ(stored.textures[0].raster.width, 64u);
    // The first native's level count: 64x64 down to 1x1.
    EXPECT_EQ(txd[52 + 85], 7);
}

TEST_F(PmxToDffCommand, HeightAndFolderOptions) {
    const fs::path input = model("tall.pmx");
    const fs::path out = folder / "made" / "peds";
    const RunResult result = run({"pmx2dff", input.string(), "-d", out.string(), "--height", "1.6"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(test::readBytes(out / "tall.dff"), dffOf(input, {.height = 1.6f, .boneNames = {}}));
    EXPECT_NE(test::readBytes(out / "tall.dff"), dffOf(input));
}

TEST_F(PmxToDffCommand, ABatchGoesOnPastAFailureAndAnExistingOutputNeedsForce) {
    const fs::path broken = folder.write("b.pmx", std::string_view("PMX \0\0\0@", 8));
    const RunResult batch = run({"pmx2dff", model("a.pmx").string(), broken.string(), model("c.pmx").string()});
    EXPECT_EQ(batch.status, 1);
    EXPECT_TRUE(fs::exists(folder / "a.dff"));
    EXPECT_FALSE(fs::exists(folder / "b.dff"));
    EXPECT_TRUE(fs::exists(folder / "c.dff"));
    EXPECT_TRUE(batch.out.ends_with("成功 2 件、失敗 1 件\n")) << batch.out;
    EXPECT_NE(batch.err.find("エラー: ファイルが壊れています (PMX\\"), std::string::npos) << batch.err;

    const RunResult again = run({"pmx2dff", (folder / "a.pmx").string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("出力ファイルが既に存在します (上書きするには --force を指定してください)"),
              std::string::npos)
        << again.err;
    EXPECT_EQ(run({"pmx2dff", (folder / "a.pmx").string(), "--force"}).status, 0);

    // The TXD beside the DFF counts as an output of its own.
    fs::remove(folder / "a.dff");
    const RunResult dictionary = run({"pmx2dff", (folder / "a.pmx").string()});
    EXPECT_EQ(dictionary.status, 1);
    EXPECT_NE(dictionary.err.find("出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                                  (folder / "a.txd").string()),
              std::string::npos)
        << dictionary.err;
    EXPECT_FALSE(fs::exists(folder / "a.dff"));
}

TEST_F(PmxToDffCommand, TheUsersBoneTableFindsBonesNamedOtherwise) {
    PmxModel renamed = test::makeSemiStandardModel({.vertexCount = 500, .materialCount = 1});
    renamed.bones[static_cast<std::size_t>(test::boneIndex(renamed, u"右ひざ"))].name = u"R_knee";
    const fs::path input = folder.write("renamed.pmx", writePmx(renamed).span());
    const RunResult missing = run({"pmx2dff", input.string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("エラー: 標準ボーンが見つかりません: 右ひざ"), std::string::npos) << missing.err;
    const fs::path table = folder.write("knees.txt", std::string_view("\xEF\xBB\xBF# knees\nR_knee\t52\n"));
    const RunResult found = run({"pmx2dff", input.string(), "--bones", table.string()});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_TRUE(fs::exists(folder / "renamed.dff"));
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
};

class PmxToDffUsage : public PmxToDffCommand, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(PmxToDffUsage, IsAUsageErrorAndWritesNothing) {
    const RunResult result = run(GetParam().arguments);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, PmxToDffUsage,
    ::testing::Values(UsageCase{"NoInput", {"pmx2dff"}},
                      UsageCase{"OutputWithTwoInputs", {"pmx2dff", "a.pmx", "b.pmx", "-o", "x.dff"}},
                      UsageCase{"HeightNotANumber", {"pmx2dff", "a.pmx", "--height", "tall"}},
                      UsageCase{"HeightTooSmall", {"pmx2dff", "a.pmx", "--height", "0.01"}},
                      UsageCase{"HeightNotFinite", {"pmx2dff", "a.pmx", "--height", "inf"}},
                      UsageCase{"TextureFormat", {"pmx2dff", "a.pmx", "--texture-format", "dxt3"}},
                      UsageCase{"MaxTextureZero", {"pmx2dff", "a.pmx", "--max-texture", "0"}},
                      UsageCase{"MaxTexturePast2048", {"pmx2dff", "a.pmx", "--max-texture", "4096"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

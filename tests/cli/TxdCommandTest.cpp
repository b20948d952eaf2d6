// zorvek txd: images of every format packed and unpacked again by
// `zorvek textures` to the same pixels within DXT's error, and its refusals.
#include "CommandLineRun.h"

#include "base/TextEncoding.h"
#include "image/ImageDecoder.h"
#include "image/ImageEncoder.h"
#include "image/ImageResize.h"
#include "support/TempDir.h"
#include "support/txd/ImageFiles.h"
#include "txd/DdsReader.h"
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

struct Packed {
    const char* file;
    Bytes bytes;
    const char* texture;  // its name in the TXD
    std::uint32_t width, height;
};

class TxdCommand : public ::testing::Test {
protected:
    TxdCommand() {
        packed = {
            {"body.png", encodeImage(test::paintedImage(64, 64, 1, true), ImageFormat::Png), "body", 64, 64},
            {"Shirt.bmp", encodeImage(test::paintedImage(96, 40, 2, false), ImageFormat::Bmp), "Shirt", 128, 32},
            {"hair.tga", encodeImage(test::paintedImage(16, 16, 3, true), ImageFormat::Tga), "hair", 16, 16},
            {"eyes.jpg", test::jpgFile(test::paintedImage(32, 32, 4, false), 90), "eyes", 32, 32},
            {"face.dds", test::ddsOf(test::paintedImage(32, 64, 5, false), test::DdsPixels::Dxt1), "face", 32, 64},
            // Nothing of ASCII to name it by: named by its place.
            {"+++.png", encodeImage(test::paintedImage(20, 20, 6, false), ImageFormat::Png), "tex5", 16, 16},
        };
        for (const Packed& p : packed) {
            inputs.push_back(folder.write(p.file, p.bytes).string());
        }
    }

    std::vector<std::string> arguments(std::vector<std::string> extra) const {
        std::vector<std::string> all{"txd"};
        all.insert(all.end(), inputs.begin(), inputs.end());
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }

    test::TempDir folder;
    std::vector<Packed> packed;
    std::vector<std::string> inputs;
    fs::path output = folder / "hero.txd";
};

TEST_F(TxdCommand, ImagesComeBackThroughTexturesWithinDxtsError) {
    const RunResult result = run(arguments({"-o", output.string()}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "テクスチャを出力しています...\n" + output.string() + "\nテクスチャを出力しました (6)\n");
    EXPECT_EQ(result.err, "警告: テクスチャ名をゲームで使える英数字の名前にしました (1 件)\n");

    const RunResult unpacked = run({"textures", output.string(), "-d", (folder / "back").string()});
    EXPECT_EQ(unpacked.status, 0) << unpacked.err;
    for (const Packed& p : packed) {
        SCOPED_TRACE(p.file);
        const Bytes back = test::readBytes(folder / "back" / (std::string(p.texture) + ".png"));
        const Image image = decodeImage(back);
        const Image source = std::string(p.file).ends_with(".dds") ? readDds(p.bytes).image : decodeImage(p.bytes);
        const Image expected = resizeImage(source, p.width, p.height);
        const test::ImageDifference d = test::difference(expected, image, !source.hasAlpha);
        EXPECT_TRUE(d.sameSize) << image.width << "x" << image.height;
        EXPECT_LE(d.rms, 5.0);
        EXPECT_LE(d.largest, 24);
    }
}

TEST_F(TxdCommand, UncompressedComesBackExactly) {
    const RunResult result = run(arguments({"-o", output.string(), "--texture-format", "8888"}));
    EXPECT_EQ(result.status, 0) << result.err;
    const TextureDictionary txd = readTextureDictionary(test::readBytes(output), {});
    ASSERT_EQ(txd.textures.size(), packed.size());
    EXPECT_EQ(txd.textures[0].image.rgba, decodeImage(packed[0].bytes).rgba);
    EXPECT_EQ(txd.textures[1].image.rgba, resizeImage(decodeImage(packed[1].bytes), 128, 32).rgba);
}

TEST_F(TxdCommand, AnExistingTxdNeedsForce) {
    folder.write("hero.txd", std::string_view("old"));
    const RunResult refused = run(arguments({"-o", output.string()}));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "エラー: 出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                               output.string() + "\n");
    EXPECT_EQ(test::readBytes(output), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(run(arguments({"-o", output.string(), "--force"})).status, 0);
    EXPECT_EQ(readTextureDictionary(test::readBytes(output), {}).textures.size(), packed.size());
}

TEST_F(TxdCommand, AnImageThatCannotBeReadFailsTheWholeTxd) {
    const fs::path broken = folder.write("broken.png", std::string_view("not an image"));
    const RunResult result = run({"txd", inputs[0], broken.string(), "-o", output.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 画像を読み込めません (unknown image type): " + broken.string() + "\n");
    EXPECT_FALSE(fs::exists(output));
    const RunResult missing = run({"txd", (folder / "none.png").string(), "-o", output.string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("ファイルを開けませんでした"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(TxdCommand, NeverWritesOverAnImage) {
    const RunResult result = run({"txd", inputs[0], inputs[1], "-o", inputs[1], "--force"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "エラー: 入力と出力に同じファイルが指定されています\n");
    EXPECT_EQ(test::readBytes(inputs[1]), packed[1].bytes);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
};

class TxdUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(TxdUsage, IsAUsageError) {
    EXPECT_EQ(run(GetParam().arguments).status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, TxdUsage,
    ::testing::Values(UsageCase{"NoImage", {"txd", "-o", "x.txd"}}, UsageCase{"NoOutput", {"txd", "a.png"}},
                      UsageCase{"Format", {"txd", "a.png", "-o", "x.txd", "--texture-format", "png"}},
                      UsageCase{"MaxTexture", {"txd", "a.png", "-o", "x.txd", "--max-texture", "-4"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zorvek

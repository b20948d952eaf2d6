// The textures that follow a converted model: found by name beside the DFF,
// matched without regard to case, written under the PMX's names, and never
// one model's image in place of another's.

#include "jobs/ConvertJob.h"
#include "jobs/TextureExport.h"
#include "jobs/TexturesJob.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"
#include "support/pmx/PmxTestDecoder.h"
#include "support/txd/TxdPixels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::Rgba;
using test::TempDir;

Image solid(Rgba colour) {
    return test::makeImage(2, 2, {colour, colour, colour, colour}, false);
}

// A dictionary of named one-colour textures in 8888.
Bytes dictionaryOf(const std::vector<std::pair<std::string, Rgba>>& textures) {
    test::TxdLayout layout;
    for (const auto& [name, colour] : textures) {
        layout.textures.push_back(test::d3d8Texture(name, solid(colour), test::TxdPixelFormat::Bgra8888));
    }
    return test::buildTxd(layout);
}

// The sample model names one texture, "body".
Bytes modelWithTexture(const std::string& name) {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.geometries[0].materials[0] = test::texturedMaterial({name});
    return test::buildDff(model);
}

struct ConvertRun {
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
};

ConvertRun convert(const fs::path& input, const fs::path& output, WrittenImages* written, bool force = false,
                   std::string extension = ".png") {
    ConvertRun run;
    ConvertDffJob job;
    job.input = input;
    job.output = output;
    job.settings = ConvertSettings{ConversionMode::None, extension};
    job.replaceExisting = force;
    const JobReport report{[&](std::string_view line) { run.lines.emplace_back(line); },
                           [&](const std::string& message) { run.warnings.push_back(message); }};
    convertDffFile(job, ConversionTables{}, report, written);
    return run;
}

std::vector<std::u16string> pmxTextures(const fs::path& pmx) {
    return test::decodePmx(test::readBytes(pmx)).textures;
}

struct DictionaryName {
    const char* name;
    const char* file;
    bool found;
};

class DictionaryBesideTheModel : public ::testing::TestWithParam<DictionaryName> {};

TEST_P(DictionaryBesideTheModel, IsFoundByTheModelsNameInAnyCase) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", Bytes{});
    folder.write(GetParam().file, Bytes{});
    const std::optional<fs::path> found = findTextureDictionaryFor(dff);
    EXPECT_EQ(found.has_value(), GetParam().found);
    if (found) {
        // The same file: a system whose names ignore case may spell it as asked.
        EXPECT_TRUE(fs::equivalent(*found, folder / GetParam().file));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, DictionaryBesideTheModel,
                         ::testing::Values(DictionaryName{"Same", "hero.txd", true},
                                           DictionaryName{"UpperCase", "HERO.TXD", true},
                                           DictionaryName{"MixedCase", "Hero.Txd", true},
                                           DictionaryName{"OtherModel", "villain.txd", false},
                                           DictionaryName{"OtherExtension", "hero.img", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModelTextures, AreMatchedWithoutCaseAndSpelledAsTheModelSpellsThem) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("Body"));
    folder.write("hero.txd", dictionaryOf({{"BODY", {10, 20, 30, 255}}, {"unused", {1, 2, 3, 255}}}));
    const ConvertRun run = convert(dff, folder / "hero.pmx", nullptr);
    EXPECT_TRUE(fs::exists(folder / "Body.png"));
    EXPECT_FALSE(fs::exists(folder / "unused.png")) << "textures the model does not use are not written";
    EXPECT_EQ(pmxTextures(folder / "hero.pmx"), (std::vector<std::u16string>{u"Body.png"}));
    EXPECT_EQ(run.lines.back(), "テクスチャを出力しました (1)");
    EXPECT_EQ(run.warnings, std::vector<std::string>{});
}

TEST(ModelTextures, ANameTheDictionaryLacksIsAWarning) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("body"));
    folder.write("hero.txd", dictionaryOf({{"face", {10, 20, 30, 255}}}));
    const ConvertRun run = convert(dff, folder / "hero.pmx", nullptr);
    EXPECT_EQ(run.warnings, std::vector<std::string>{"テクスチャが見つかりません: body"});
    EXPECT_EQ(run.lines.back(), "テクスチャを出力しました (0)");
    EXPECT_TRUE(fs::exists(folder / "hero.pmx"));
}

TEST(ModelTextures, ABrokenDictionaryLeavesThePmxAndWarns) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("body"));
    Bytes broken = dictionaryOf({{"body", {10, 20, 30, 255}}});
    broken.resize(broken.size() / 2);
    folder.write("hero.txd", broken);
    const ConvertRun run = convert(dff, folder / "hero.pmx", nullptr);
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_TRUE(run.warnings[0].starts_with("テクスチャを読み込めませんでした: ")) << run.warnings[0];
    EXPECT_NE(run.warnings[0].find("ファイルが壊れています"), std::string::npos) << run.warnings[0];
    EXPECT_TRUE(fs::exists(folder / "hero.pmx"));
}

TEST(ModelTextures, AnExtensionOfNoImageFormatWritesThePmxAndWarns) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("body"));
    folder.write("hero.txd", dictionaryOf({{"body", {10, 20, 30, 255}}}));
    const ConvertRun run = convert(dff, folder / "hero.pmx", nullptr, false, ".dds");
    EXPECT_EQ(run.warnings,
              std::vector<std::string>{"この拡張子ではテクスチャの画像を出力できません (.png, .bmp, .tga のみ): .dds"});
    EXPECT_EQ(run.lines.back(), "出力が完了しました");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

TEST(ModelTextures, WithoutADictionaryNothingIsSaid) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("body"));
    const ConvertRun run = convert(dff, folder / "hero.pmx", nullptr);
    EXPECT_EQ(run.lines.back(), "出力が完了しました");
    EXPECT_EQ(run.warnings, std::vector<std::string>{});
}

TEST(ModelTextures, AnExistingImageIsKeptUnlessReplacingIsAllowed) {
    TempDir folder;
    const fs::path dff = folder.write("hero.dff", modelWithTexture("body"));
    folder.write("hero.txd", dictionaryOf({{"body", {10, 20, 30, 255}}}));
    folder.write("body.png", std::string_view("old"));
    const ConvertRun kept = convert(dff, folder / "hero.pmx", nullptr);
    EXPECT_EQ(test::readBytes(folder / "body.png"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(kept.warnings,
              std::vector<std::string>{"テクスチャの画像が既にあります: " + (folder / "body.png").string()});
    const ConvertRun replaced = convert(dff, folder / "hero2.pmx", nullptr, true);
    EXPECT_NE(test::readBytes(folder / "body.png"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(replaced.lines.back(), "テクスチャを出力しました (1)");
}

// Real peds share texture names with different pixels: in one folder, the
// later model's image gets its own name, and its PMX names that file.
TEST(BatchTextures, OtherPixelsUnderTheSameNameAreRenamedAndIdenticalOnesShared) {
    TempDir folder;
    fs::create_directories(folder / "out");
    const fs::path first = folder.write("andre.dff", modelWithTexture("watchcro"));
    folder.write("andre.txd", dictionaryOf({{"watchcro", {200, 0, 0, 255}}}));
    const fs::path second = folder.write("bmost.dff", modelWithTexture("watchcro"));
    folder.write("bmost.txd", dictionaryOf({{"watchcro", {0, 200, 0, 255}}}));
    const fs::path third = folder.write("cwfyhb.dff", modelWithTexture("watchcro"));
    folder.write("cwfyhb.txd", dictionaryOf({{"watchcro", {200, 0, 0, 255}}}));

    WrittenImages written;
    convert(first, folder / "out" / "andre.pmx", &written);
    const ConvertRun renamed = convert(second, folder / "out" / "bmost.pmx", &written);
    const ConvertRun shared = convert(third, folder / "out" / "cwfyhb.pmx", &written);

    EXPECT_EQ(pmxTextures(folder / "out" / "andre.pmx"), (std::vector<std::u16string>{u"watchcro.png"}));
    EXPECT_EQ(pmxTextures(folder / "out" / "bmost.pmx"), (std::vector<std::u16string>{u"bmost_watchcro.png"}));
    EXPECT_EQ(pmxTextures(folder / "out" / "cwfyhb.pmx"), (std::vector<std::u16string>{u"watchcro.png"}));
    EXPECT_EQ(renamed.warnings,
              std::vector<std::string>{
                  "同じ名前で画像の違うテクスチャを別の名前で出力します: watchcro.png → bmost_watchcro.png"});
    EXPECT_EQ(shared.lines.back(), "テクスチャを出力しました (0)") << "the same image is not written twice";
    EXPECT_NE(test::readBytes(folder / "out" / "watchcro.png"), test::readBytes(folder / "out" / "bmost_watchcro.png"));
}

TEST(UnpackTextures, WritesEveryTextureInTheChosenFormat) {
    TempDir folder;
    const fs::path txd = folder.write("hero.txd", dictionaryOf({{"body", {1, 2, 3, 255}}, {"face", {4, 5, 6, 255}}}));
    std::vector<std::string> lines;
    const JobReport report{[&](std::string_view line) { lines.emplace_back(line); }, [](const std::string&) {}};
    fs::create_directories(folder / "images");
    unpackTextureDictionary(UnpackTexturesJob{txd, folder / "images", ImageFormat::Tga, false}, report, nullptr);
    EXPECT_TRUE(fs::exists(folder / "images" / "body.tga"));
    EXPECT_TRUE(fs::exists(folder / "images" / "face.tga"));
    EXPECT_EQ(lines.back(), "テクスチャを出力しました (2)");
}

// "../zz" and "zz" both come to "zz" once made safe: the first keeps the file.
TEST(UnpackTextures, TwoNamesComingToOneFileKeepTheFirst) {
    TempDir folder;
    const fs::path txd = folder.write(
        "hero.txd", dictionaryOf({{"../zz", {1, 2, 3, 255}}, {"zz", {4, 5, 6, 255}}, {"ZZ", {4, 5, 6, 255}}}));
    std::vector<std::string> warnings;
    const JobReport report{[](std::string_view) {}, [&](const std::string& message) { warnings.push_back(message); }};
    fs::create_directories(folder / "images");
    unpackTextureDictionary(UnpackTexturesJob{txd, folder / "images", ImageFormat::Bmp, false}, report, nullptr);
    EXPECT_EQ(warnings, (std::vector<std::string>{
                            "テクスチャ名をファイル名に使えないため変更しました: ../zz → zz",
                            "同じ名前で画像の違うテクスチャを別の名前で出力します: zz.bmp → hero_zz.bmp",
                        }));
    // A 32-bit BMP's last pixel, blue first.
    const auto lastPixel = [&](const char* file) {
        const Bytes bytes = test::readBytes(folder / "images" / file);
        return Bytes(bytes.end() - 4, bytes.end());
    };
    EXPECT_EQ(lastPixel("zz.bmp"), (Bytes{3, 2, 1, 255}));
    EXPECT_EQ(lastPixel("hero_zz.bmp"), (Bytes{6, 5, 4, 255}));
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 3u);
}

}  // namespace
}  // namespace zorvek

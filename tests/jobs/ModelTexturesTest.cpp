// pmx2dff's textures: a model made in code with its images in every format
// in a folder of Japanese names, converted as the command line and the menu
// convert it, its TXD read back by our reader with every material's texture
// found and holding its image resized, within DXT's error.
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "image/ImageDecoder.h"
#include "image/ImageEncoder.h"
#include "image/ImageResize.h"
#include "jobs/DffConversion.h"
#include "jobs/PmxToDffJob.h"
#include "jobs/TextureDictionaryJob.h"
#include "pmx/PmxWriter.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/txd/ImageFiles.h"
#include "txd/DdsReader.h"
#include "txd/TextureDictionary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

fs::path pathOf(std::u16string_view text) {
    return utf8ToPath(utf16ToUtf8(text));
}

struct ModelImage {
    std::u16string name;  // as the PMX names it
    std::u16string file;  // as it lies on disk, under the model's folder
    Image image;          // what it holds
    Bytes bytes;
    std::uint16_t width, height;  // in the TXD
    bool transparent;
};

class PmxModelTextures : public ::testing::Test {
protected:
    PmxModelTextures() {
        const Image skin = test::paintedImage(100, 60, 1, false);
        const Image cloth = test::paintedImage(64, 64, 2, true);
        const Image hair = test::paintedImage(300, 200, 3, false);
        const Image eyes = test::paintedImage(50, 50, 4, false);
        const Image face = test::paintedImage(32, 32, 5, false);
        images = {
            {u"テクスチャ/肌.png", u"テクスチャ/肌.png", skin, encodeImage(skin, ImageFormat::Png), 128, 64, false},
            // The PMX's case and separator differ from the disk's.
            {u"テクスチャ\\服.BMP", u"テクスチャ/服.bmp", cloth, encodeImage(cloth, ImageFormat::Bmp), 64, 64, true},
            {u"テクスチャ/髪.tga", u"テクスチャ/髪.tga", hair, encodeImage(hair, ImageFormat::Tga), 256, 256, false},
            {u"テクスチャ/目.jpg", u"テクスチャ/目.jpg", eyes, test::jpgFile(eyes, 90), 64, 64, false},
            {u"テクスチャ/顔.dds", u"テクスチャ/顔.dds", face, test::ddsOf(face, test::DdsPixels::Dxt1), 32, 32, false},
        };
        model = test::makeSemiStandardModel({.vertexCount = 600, .materialCount = 5});
        model.textures.clear();
        for (const ModelImage& image : images) {
            model.textures.push_back(image.name);
            write(pathOf(image.file), image.bytes);
        }
        // MMD's shading: a toon texture and a sphere map, on disk and named, never packed.
        model.textures.push_back(u"テクスチャ/toon01.bmp");
        model.textures.push_back(u"テクスチャ/光.spa");
        write(pathOf(u"テクスチャ/toon01.bmp"), encodeImage(skin, ImageFormat::Bmp));
        write(pathOf(u"テクスチャ/光.spa"), encodeImage(skin, ImageFormat::Bmp));
        for (std::size_t m = 0; m < model.materials.size(); ++m) {
            model.materials[m].texture = static_cast<std::int32_t>(m);
        }
        model.materials[0].sharedToon = false;
        model.materials[0].toon = 5;
        model.materials[1].sphereTexture = 6;
        model.materials[1].sphereMode = 1;
        input = folder.path() / pathOf(u"ミク.pmx");
        const ByteBlock pmx = writePmx(model);
        write(pathOf(u"ミク.pmx"), Bytes(pmx.begin(), pmx.end()));
    }

    void write(const fs::path& relative, const Bytes& bytes) const {
        fs::create_directories((folder.path() / relative).parent_path());
        std::ofstream out(folder.path() / relative, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<std::string> convert(const TexturePackSettings& textures = {}) const {
        std::vector<std::string> warnings;
        const PmxToDffJob job{.input = input, .output = output, .settings = {}, .textures = textures};
        convertPmxFile(job, {.progress = [](std::string_view) {},
                             .warn = [&](const std::string& message) { warnings.push_back(message); }});
        return warnings;
    }

    // The DFF's material texture names, read back.
    std::vector<std::string> materialTextures() const {
        const Bytes dff = test::readBytes(output);
        return DffConversion::fromBytes(dff, u"hero.dff", [](const std::string&) {}).model().materialTextureNames;
    }

    TextureDictionary dictionary() const {
        const Bytes txd = test::readBytes(folder / "hero.txd");
        return readTextureDictionary(txd, [](const std::string& message) { ADD_FAILURE() << message; });
    }

    test::TempDir folder;
    std::vector<ModelImage> images;
    PmxModel model;
    fs::path input;
    fs::path output = folder / "hero.dff";
};

TEST_F(PmxModelTextures, EveryMaterialsTextureIsInTheTxdAsItsImageResized) {
    const std::vector<std::string> warnings = convert();
    // Beside the two about bones, only the renaming of the six Japanese
    // names: no image was missed.
    EXPECT_EQ(warnings.size(), 3u);
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), "テクスチャ名をゲームで使える英数字の名前にしました (6 件)"),
              1);
    const std::vector<std::string> materials = materialTextures();
    const TextureDictionary txd = dictionary();
    EXPECT_EQ(txd.deviceId, 2);
    ASSERT_EQ(txd.textures.size(), images.size());
    ASSERT_EQ(materials.size(), images.size());
    for (std::size_t m = 0; m < images.size(); ++m) {
        const ModelImage& image = images[m];
        SCOPED_TRACE(utf16ToUtf8(image.name));
        // The game finds a material's texture by its name, without regard to case.
        const auto found = std::find_if(txd.textures.begin(), txd.textures.end(), [&](const Texture& t) {
            return std::equal(t.name.begin(), t.name.end(), materials[m].begin(), materials[m].end(),
                              [](char a, char b) { return std::tolower(a) == std::tolower(b); });
        });
        ASSERT_NE(found, txd.textures.end()) << materials[m];
        EXPECT_EQ(found->image.width, image.width);
        EXPECT_EQ(found->image.height, image.height);
        EXPECT_EQ(found->image.hasAlpha, image.transparent);
        // What the file decodes to (a JPG is not its source's pixels), resized.
        const Image decoded = image.name.ends_with(u".dds") ? readDds(image.bytes).image : decodeImage(image.bytes);
        const Image expected = resizeImage(decoded, image.width, image.height);
        const test::ImageDifference d = test::difference(expected, found->image, !image.transparent);
        EXPECT_LE(d.rms, 5.0);
        EXPECT_LE(d.largest, 24);
    }
}

TEST_F(PmxModelTextures, TheDdsBlocksAreKept) {
    convert();
    const Bytes txd = test::readBytes(folder / "hero.txd");
    const StoredTextureDictionary stored = readStoredTextureDictionary(txd, {});
    const DdsImage dds = readDds(images[4].bytes);
    ASSERT_EQ(stored.textures.size(), 5u);
    const StoredRaster& raster = stored.textures[4].raster;
    EXPECT_EQ(raster.encoding, PixelEncoding::Dxt1);
    EXPECT_TRUE(std::equal(raster.pixels.begin(), raster.pixels.end(), dds.levels[0].begin(), dds.levels[0].end()));
}

TEST_F(PmxModelTextures, UncompressedGivesTheResizedPixelsExactly) {
    TexturePackSettings settings;
    settings.format = TextureFormat::Bgra;
    convert(settings);
    const TextureDictionary txd = dictionary();
    ASSERT_EQ(txd.textures.size(), 5u);
    const Image expected = resizeImage(decodeImage(images[0].bytes), 128, 64);
    EXPECT_EQ(txd.textures[0].image.rgba, expected.rgba);
}

TEST_F(PmxModelTextures, MissingOrOutsideImagesAreWarnedAndTheirMaterialsKeepTheirNames) {
    write("secret.png", images[0].bytes);
    fs::remove(folder.path() / pathOf(u"テクスチャ/髪.tga"));
    model.textures[0] = u"..\\secret.png";
    const fs::path inner = folder / "model";
    fs::create_directories(inner);
    fs::copy(folder.path() / pathOf(u"テクスチャ"), inner / pathOf(u"テクスチャ"), fs::copy_options::recursive);
    const ByteBlock pmx = writePmx(model);
    write(fs::path("model") / pathOf(u"ミク.pmx"), Bytes(pmx.begin(), pmx.end()));
    input = inner / pathOf(u"ミク.pmx");
    const std::vector<std::string> warnings = convert();
    EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                        "モデルのフォルダーの外にあるテクスチャは読み込みません: ..\\secret.png"),
              warnings.end());
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), "テクスチャの画像が見つかりません: テクスチャ/髪.tga"),
              warnings.end());
    const TextureDictionary txd = dictionary();
    EXPECT_EQ(txd.textures.size(), 3u);
    const std::vector<std::string> materials = materialTextures();
    EXPECT_EQ(materials[0], "secret");
    EXPECT_FALSE(materials[2].empty());
}

TEST_F(PmxModelTextures, AnUnreadableImageIsAWarning) {
    write(pathOf(u"テクスチャ/肌.png"), Bytes{'n', 'o', 't'});
    const std::vector<std::string> warnings = convert();
    const std::string expected = "テクスチャの画像を読み込めません (画像を読み込めません (unknown image type)): " +
                                 pathToUtf8(folder.path() / pathOf(u"テクスチャ") / pathOf(u"肌.png"));
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), expected), warnings.end());
    EXPECT_EQ(dictionary().textures.size(), 4u);
}

// One large image named under many names would make a dictionary past what
// can be written: packing stops at the limit instead of holding it all.
TEST_F(PmxModelTextures, PackingStopsAtTheLargestDictionary) {
    TexturePackSettings settings;
    settings.largestDictionary = 20000;  // the hair alone is 256x256 DXT1: 32 KiB
    EXPECT_USER_ERROR(convert(settings), "テクスチャが大きすぎます");
    EXPECT_FALSE(fs::exists(folder / "hero.txd"));
    settings.largestDictionary = 60000;  // all five: 4 + 4 + 32 + 2 + 0.5 KiB and their headers
    fs::remove(output);
    EXPECT_USER_ERROR(convert(settings), test::noUserError);
    EXPECT_EQ(dictionary().textures.size(), 5u);
}

TEST_F(PmxModelTextures, AnExistingTxdIsReplacedOnlyWhenAllowed) {
    write("hero.txd", Bytes{'o', 'l', 'd'});
    EXPECT_THROW(convert(), UserMessageError);
    EXPECT_FALSE(fs::exists(output));  // refused before the DFF was written
    EXPECT_EQ(test::readBytes(folder / "hero.txd"), (Bytes{'o', 'l', 'd'}));
    const PmxToDffJob job{.input = input, .output = output, .settings = {}, .textures = {}, .replaceExisting = true};
    convertPmxFile(job, {});
    EXPECT_EQ(dictionary().textures.size(), 5u);
}

}  // namespace
}  // namespace zorvek

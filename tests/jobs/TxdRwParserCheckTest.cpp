// Written TXD files read by rw-parser, a RenderWare reader we did not write:
// every format the writer stores, its fields as the game reads them and its
// pixels the ones our reader gives, within what DXT decoders round apart
// (the blended colours: 1 at most, measured).
#include "support/NodeScripts.h"
#include "support/TempDir.h"
#include "support/txd/ImageFiles.h"
#include "txd/TextureDictionary.h"
#include "txd/TexturePacking.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

const fs::path checkerFolder = fs::path(ZORVEK_SOURCE_DIR) / "tests/dff/rw-parser";

struct CheckedTexture {
    NativeTexture texture;
    const char* d3dFormat;
    std::uint32_t rasterFormat;
    int tolerance;
};

TEST(TxdRwParserCheck, ReadsEveryFormatToOurPixels) {
    if (const std::string missing = test::missingNodePackage(checkerFolder, "rw-parser"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    TexturePackSettings bgra;
    bgra.format = TextureFormat::Bgra;
    TexturePackSettings mipmaps;
    mipmaps.mipmaps = true;
    const std::vector<CheckedTexture> checked{
        {packImage("skin", test::paintedImage(64, 64, 1, false), {}), "DXT1", 0x0200, 2},
        {packImage("hair", test::paintedImage(32, 64, 2, true), {}), "DXT5", 0x0300, 2},
        {packImage("cloth", test::paintedImage(16, 8, 3, false), bgra), "", 0x0600, 0},
        {packImage("lace", test::paintedImage(8, 16, 4, true), bgra), "", 0x0500, 0},
        {packImage("face", test::paintedImage(64, 32, 5, false), mipmaps), "DXT1", 0x8200, 2},
        {packImageFile("eyes", test::ddsOf(test::paintedImage(16, 16, 6, true), test::DdsPixels::Dxt3), {}), "DXT3",
         0x0300, 2},
    };
    std::vector<NativeTexture> textures;
    for (const CheckedTexture& c : checked) {
        textures.push_back(c.texture);
    }
    const ByteBlock txd = writeTextureDictionary(textures);
    test::TempDir dir;
    const fs::path file = dir.write("hero.txd", txd.span());
    const TextureDictionary ours = readTextureDictionary(Bytes(txd.begin(), txd.end()), {});
    ASSERT_EQ(ours.textures.size(), checked.size());

    std::string json = "{\"textures\": [";
    for (std::size_t i = 0; i < checked.size(); ++i) {
        const CheckedTexture& c = checked[i];
        const std::string pixels = c.texture.name + ".rgba";
        dir.write(pixels, ours.textures[i].image.rgba);
        json += std::string(i > 0 ? ", " : "") + "{\"textureName\": \"" + c.texture.name +
                "\", \"maskName\": \"\", \"platformId\": 9, \"filterMode\": 6, \"uAddressing\": 1, "
                "\"vAddressing\": 1, \"width\": " +
                std::to_string(c.texture.width) + ", \"height\": " + std::to_string(c.texture.height) +
                ", \"rasterFormat\": " + std::to_string(c.rasterFormat) + ", \"d3dFormat\": \"" + c.d3dFormat +
                "\", \"alpha\": " + (c.texture.hasAlpha ? "true" : "false") +
                ", \"compressed\": " + (c.d3dFormat[0] != 0 ? "true" : "false") +
                ", \"mipmapCount\": " + std::to_string(c.texture.levels.size()) + ", \"rasterType\": 4" +
                ", \"pixels\": \"" + pixels + "\", \"tolerance\": " + std::to_string(c.tolerance) + "}";
    }
    json += "]}";
    const fs::path expectations = dir.write("expected.json", json);
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(checkerFolder / "check-txd.mjs") + " " + test::shellQuoted(file) +
                         " " + test::shellQuoted(expectations));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\"textures\":[\"skin\",\"hair\",\"cloth\",\"lace\",\"face\",\"eyes\"]"),
              std::string::npos)
        << result.output;
}

}  // namespace
}  // namespace zorvek

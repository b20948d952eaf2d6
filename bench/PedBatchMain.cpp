// zorvek-bench-peds COUNT FOLDER: a stand-in for the game's peds, the batch
// of scripts/bench.sh: COUNT synthetic peds of 3,000 to 6,000 vertices, each
// with its TXD beside it (ped001.dff and ped001.txd, ...). Every ped has its
// own 256x256 body texture (DXT1, opaque), and every other one a 256x256
// DXT5 head texture too; the others use the body texture for both
// materials. The DXT blocks come from a few images, compressed once.

#include "PatternedImage.h"
#include "SyntheticModel.h"

#include "base/FileIo.h"
#include "support/txd/TxdPixels.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zorvek;

constexpr std::uint32_t variants = 8;
constexpr std::uint32_t textureSize = 256;

std::vector<test::TextureLayout> compressedVariants(test::TxdPixelFormat format, std::uint32_t firstSeed) {
    std::vector<test::TextureLayout> textures;
    for (std::uint32_t variant = 0; variant < variants; ++variant) {
        Image image = bench::patternedImage(textureSize, firstSeed + variant);
        image.hasAlpha = format != test::TxdPixelFormat::Dxt1;
        textures.push_back(test::d3d9Texture("", image, format));
    }
    return textures;
}

std::string pedName(std::uint32_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "ped%03u", static_cast<unsigned>(number));
    return name;
}

void writePed(const std::filesystem::path& folder, std::uint32_t number, const test::TextureLayout& body,
              const test::TextureLayout& head) {
    const std::string name = pedName(number);
    const bool twoTextures = number % 2 == 0;
    test::TxdLayout txd;
    txd.deviceId = 2;
    txd.textures = {body};
    txd.textures[0].name = name;
    if (twoTextures) {
        txd.textures.push_back(head);
        txd.textures[1].name = name + "_head";
    }
    const std::uint32_t vertices = 3000 + number * 7919u % 3001u;
    const test::SkinnedModel model = bench::buildSyntheticModel(vertices, name, twoTextures ? name + "_head" : name);
    writeFileAtomically(folder / (name + ".dff"), test::buildDff(model));
    writeFileAtomically(folder / (name + ".txd"), test::buildTxd(txd));
}

}  // namespace

int main(int argc, char** argv) {
    std::uint32_t count = 0;
    const char* const end = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
    if (argc != 3 || std::from_chars(argv[1], end, count).ptr != end || count == 0 || count > 999) {
        std::fprintf(stderr, "usage: zorvek-bench-peds COUNT FOLDER (1 to 999 peds)\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[2];
        std::filesystem::create_directories(folder);
        const std::vector<test::TextureLayout> bodies = compressedVariants(test::TxdPixelFormat::Dxt1, 1);
        const std::vector<test::TextureLayout> heads = compressedVariants(test::TxdPixelFormat::Dxt5, 101);
        for (std::uint32_t number = 1; number <= count; ++number) {
            writePed(folder, number, bodies[number % variants], heads[number / 2 % variants]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-peds: %s\n", error.what());
        return 1;
    }
    return 0;
}

// zorvek-fuzz-seeds OUTDIR: writes the fuzzers' seed inputs into
// OUTDIR/<target>/, built with the tests' DFF and TXD builders and copied from
// the shipped tables, so that no unexplained blobs need to be kept.

#include "SyntheticModel.h"

#include "base/FileIo.h"
#include "support/dff/DffBuilder.h"
#include "support/txd/TxdPixels.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zorvek::Bytes;
namespace test = zorvek::test;

struct NamedDff {
    std::string name;
    Bytes bytes;
};

test::SkinnedModel stripModel() {
    test::SkinnedModel model = test::sampleSkinnedModel();
    model.geometries[0].binMeshFlags = 1;
    model.geometries[0].meshes = {{0, {0, 1, 2, 3}}, {1, {3, 2, 1}}};
    return model;
}

// Two geometries and atomics, prelit colours and a second uv set: the parts the reader warns about.
test::SkinnedModel warningModel() {
    test::SkinnedModel model = test::sampleSkinnedModel();
    test::GeometrySpec& geometry = model.geometries[0];
    geometry.flags |= test::geometryPrelit | test::geometryTextured2;
    geometry.prelit.assign(geometry.positions.size(), {255, 255, 255, 255});
    geometry.uvSets.push_back(geometry.uvSets[0]);
    model.geometries.push_back(geometry);
    model.numAtomics = 2;
    return model;
}

std::vector<NamedDff> seedModels() {
    return {
        {"sample", test::buildDff(test::sampleSkinnedModel())},
        {"strip", test::buildDff(stripModel())},
        {"warnings", test::buildDff(warningModel())},
        {"ped", test::buildDff(zorvek::bench::buildSyntheticModel(96))},
    };
}

// The first byte of a DFF seed is the fuzzer's own parameter (mode or factor).
void writeDffSeeds(const fs::path& folder, const std::vector<NamedDff>& models, int parameters) {
    fs::create_directories(folder);
    for (const NamedDff& model : models) {
        for (int parameter = 0; parameter < parameters; ++parameter) {
            Bytes seed{static_cast<std::uint8_t>(parameter)};
            seed.insert(seed.end(), model.bytes.begin(), model.bytes.end());
            zorvek::writeFileAtomically(folder / (model.name + "-" + std::to_string(parameter)), seed);
        }
    }
}

// An 8 x 8 image with a few colours and alpha values, small enough for any palette.
zorvek::Image seedImage() {
    std::vector<test::Rgba> pixels;
    for (std::uint8_t y = 0; y < 8; ++y) {
        for (std::uint8_t x = 0; x < 8; ++x) {
            const auto shade = static_cast<std::uint8_t>((x / 2 + y / 2 * 4) * 17);
            const auto alpha = static_cast<std::uint8_t>(y < 4 ? 255 : 0x80);
            pixels.push_back({shade, static_cast<std::uint8_t>(255 - shade), 0x84, alpha});
        }
    }
    return test::makeImage(8, 8, pixels, true);
}

struct NamedTxd {
    std::string name;
    Bytes bytes;
};

// One dictionary per pixel format and platform, one with every kind at once
// (and a PS2 texture), one with mip levels and the padding real files carry.
std::vector<NamedTxd> seedTextureDictionaries() {
    using Format = test::TxdPixelFormat;
    const std::vector<std::pair<std::string, Format>> formats = {
        {"1555", Format::Argb1555}, {"565", Format::Rgb565}, {"4444", Format::Argb4444}, {"555", Format::Xrgb1555},
        {"lum8", Format::Lum8},     {"8888", Format::Bgra8888}, {"888", Format::Bgrx8888}, {"pal8", Format::Pal8},
        {"pal4", Format::Pal4},     {"pal4packed", Format::Pal4Packed}, {"dxt1", Format::Dxt1}, {"dxt3", Format::Dxt3},
        {"dxt5", Format::Dxt5},
    };
    const zorvek::Image image = seedImage();
    std::vector<NamedTxd> seeds;
    test::TxdLayout everything;
    for (const auto& [name, format] : formats) {
        seeds.push_back({"d3d8-" + name, test::buildTxd({.textures = {test::d3d8Texture(name, image, format)}})});
        seeds.push_back({"d3d9-" + name, test::buildTxd({.textures = {test::d3d9Texture(name, image, format)}})});
        everything.textures.push_back(test::d3d9Texture(name, image, format));
    }
    test::TextureLayout ps2;
    ps2.platform = test::ps2Platform;
    ps2.otherPlatformPayload = zorvek::Bytes(16, 0);
    everything.textures.push_back(ps2);
    seeds.push_back({"everything", test::buildTxd(everything)});
    test::TextureLayout mips = test::d3d8Texture("mips", image, Format::Dxt1);
    mips.rasterFormat |= test::rasterMipmaps;
    mips.levels.push_back(zorvek::Bytes(8, 0x55));
    seeds.push_back({"mips-padded", test::buildTxd({.textures = {mips}, .alignment = 2048})});
    return seeds;
}

void writeSeeds(const fs::path& folder, const std::vector<NamedTxd>& files) {
    fs::create_directories(folder);
    for (const NamedTxd& file : files) {
        zorvek::writeFileAtomically(folder / file.name, file.bytes);
    }
}

void copyTable(const fs::path& folder, const fs::path& table) {
    fs::create_directories(folder);
    zorvek::writeFileAtomically(folder / table.filename(), zorvek::readWholeFile(table));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorvek-fuzz-seeds OUTDIR\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        const std::vector<NamedDff> models = seedModels();
        writeDffSeeds(out / "convert", models, 3);
        writeDffSeeds(out / "rescale", models, 1);
        copyTable(out / "bone_table", fs::path(ZORVEK_DATA_DIR) / "bones.dat");
        copyTable(out / "ik_table", fs::path(ZORVEK_DATA_DIR) / "iks.dat");
        writeSeeds(out / "txd", seedTextureDictionaries());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-fuzz-seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}

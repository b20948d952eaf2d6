// zorvek-fuzz-seeds OUTDIR: writes the fuzzers' seed inputs into
// OUTDIR/<target>/, built with the tests' DFF builder and copied from the
// shipped tables, so that no unexplained blobs need to be kept.

#include "SyntheticModel.h"

#include "base/FileIo.h"
#include "support/dff/DffBuilder.h"

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
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-fuzz-seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}

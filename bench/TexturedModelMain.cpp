// zorvek-bench-textured FOLDER COUNT SIZE: a semi-standard MMD model of COUNT
// materials, each textured with its own SIZE x SIZE PNG (every fourth with
// cut-out holes) in FOLDER/textures, the model as FOLDER/model.pmx: the input
// of the texture step of pmx2dff and of `zorvek txd` in scripts/bench.sh.

#include "PaintedTexture.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "image/ImageEncoder.h"
#include "pmx/PmxWriter.h"
#include "support/mmd/SemiStandardModel.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zorvek-bench-textured FOLDER COUNT SIZE\n");
        return 2;
    }
    try {
        namespace fs = std::filesystem;
        const fs::path folder = argv[1];
        const auto count = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
        const auto size = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
        fs::create_directories(folder / "textures");
        zorvek::PmxModel model =
            zorvek::test::makeSemiStandardModel({.vertexCount = 20000, .materialCount = count, .height = 23});
        model.textures.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::string name = "tex_" + std::to_string(i) + ".png";
            zorvek::writeImageFile(folder / "textures" / name, zorvek::bench::paintedTexture(size, i, i % 4 == 3),
                                   zorvek::ImageFormat::Png);
            model.textures.push_back(zorvek::utf8ToUtf16("textures\\" + name));
            model.materials[i].texture = static_cast<std::int32_t>(i);
        }
        zorvek::writeFileAtomically(folder / "model.pmx", zorvek::writePmx(model).span());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-textured: %s\n", error.what());
        return 1;
    }
    return 0;
}

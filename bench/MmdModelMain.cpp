// zorvek-bench-pmx VERTICES MATERIALS OUT.pmx: writes a semi-standard MMD
// model of that many vertices and materials, the input of pmx2dff in
// scripts/bench.sh.

#include "support/mmd/SemiStandardModel.h"

#include "base/FileIo.h"
#include "pmx/PmxWriter.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

bool parse(const char* text, std::size_t& value) {
    const char* const end = text + std::strlen(text);
    return std::from_chars(text, end, value).ptr == end;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t vertices = 0;
    std::size_t materials = 0;
    if (argc != 4 || !parse(argv[1], vertices) || !parse(argv[2], materials) || vertices < 300 || materials < 1) {
        std::fprintf(stderr, "usage: zorvek-bench-pmx VERTICES MATERIALS OUT.pmx (at least 300 vertices)\n");
        return 2;
    }
    try {
        const zorvek::PmxModel model =
            zorvek::test::makeSemiStandardModel({.vertexCount = vertices, .materialCount = materials});
        zorvek::writeFileAtomically(argv[3], zorvek::writePmx(model).span());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-pmx: %s\n", error.what());
        return 1;
    }
    return 0;
}

// zorvek-bench-model VERTICES OUT.dff: writes a synthetic skinned ped with
// that many vertices on 32 bones, the input of scripts/bench.sh.

#include "SyntheticModel.h"

#include "base/FileIo.h"
#include "base/UserMessageError.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>

int main(int argc, char** argv) {
    std::uint32_t vertices = 0;
    const char* const end = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
    if (argc != 3 || std::from_chars(argv[1], end, vertices).ptr != end || vertices < 4) {
        std::fprintf(stderr, "usage: zorvek-bench-model VERTICES OUT.dff (at least 4 vertices)\n");
        return 2;
    }
    try {
        zorvek::writeFileAtomically(argv[2], zorvek::test::buildDff(zorvek::bench::buildSyntheticModel(vertices)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-model: %s\n", error.what());
        return 1;
    }
    return 0;
}

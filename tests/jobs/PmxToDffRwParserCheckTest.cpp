// A converted MMD model as a whole file, read by rw-parser, a RenderWare
// reader we did not write.
#include "jobs/PmxToDffJob.h"
#include "pmx/PmxWriter.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"
#include "support/mmd/SemiStandardModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

const fs::path source(ZORVEK_SOURCE_DIR);
const fs::path checkerFolder = source / "tests/dff/rw-parser";

struct Converted {
    PmxModel model;
    ByteBlock dff;
};

const Converted& semiStandard() {
    static const Converted converted = [] {
        Converted c;
        c.model = test::makeSemiStandardModel({.vertexCount = 40000, .materialCount = 5});
        const ByteBlock pmx = writePmx(c.model);
        c.dff = convertPmxBytes(pmx.span(), {}, [](const std::string&) {});
        return c;
    }();
    return converted;
}

TEST(PmxToDffRwParserCheck, ReadsTheConvertedPed) {
    if (const std::string missing = test::missingNodePackage(checkerFolder, "rw-parser"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const Converted& c = semiStandard();
    test::TempDir dir;
    const fs::path file = dir.write("miku.dff", c.dff.span());
    const std::string expected =
        "clumpCount=1 atomicCount=1 frameCount=33 nodeCount=32 geometryCount=1 vertexCount=" +
        std::to_string(c.model.vertices.size()) +
        " materialCount=5 meshCount=5 skinBoneCount=32 maxWeights=4 atomicFrame=2 atomicFlags=5";
    const test::CommandResult result = test::runCommand("node " + test::shellQuoted(checkerFolder / "check-dff.mjs") +
                                                        " " + test::shellQuoted(file) + " " + expected);
    EXPECT_EQ(result.status, 0) << result.output;
}

}  // namespace
}  // namespace zorvek

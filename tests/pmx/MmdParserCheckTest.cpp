// Converted files read by mmd-parser, a PMX reader we did not write.
#include "support/pmx/PmxTestModels.h"
#include "skeleton/Skeleton.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace zorvek {
namespace {

const std::filesystem::path checkerFolder = std::filesystem::path(ZORVEK_SOURCE_DIR) / "tests/pmx/mmd-parser";

std::string quoted(const std::filesystem::path& path) {
    std::string result = "'";
    for (char c : path.string()) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

struct CommandResult {
    int status = -1;
    std::string output;
};

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char chunk[512];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        result.output += chunk;
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Why the check cannot run here, or "" when it can.
std::string missingTools() {
    if (run("node --version").status != 0) {
        return "node is not installed";
    }
    if (!std::filesystem::exists(checkerFolder / "node_modules/mmd-parser")) {
        return "mmd-parser is not installed: run npm ci in " + checkerFolder.string();
    }
    return "";
}

struct ParserCase {
    const char* name;
    ConversionMode mode;
    int chainBones;  // 0: the small writer model
    std::string expectations;
};

class MmdParserReads : public testing::TestWithParam<ParserCase> {};

TEST_P(MmdParserReads, TheConvertedFileWithItsCountsAndIndices) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const ParserCase& c = GetParam();
    DffModel model = c.chainBones == 0 ? test::makeWriterModel() : test::makeChainModel(c.chainBones);
    const BoneTable bones = test::makeWriterBoneTable();
    prepareSkeleton(model, c.mode, bones);
    const ByteBlock pmx =
        buildPmx(model, c.mode, bones, test::makeWriterIkTable(), test::makeTexts(), [](const std::string&) {});
    test::TempDir dir;
    const std::filesystem::path file = dir.write("model.pmx", pmx);
    const std::filesystem::path expectations = dir.write("expected.json", c.expectations);
    const CommandResult result =
        run("node " + quoted(checkerFolder / "check-pmx.js") + " " + quoted(file) + " " + quoted(expectations));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MmdParserReads,
    testing::Values(
        ParserCase{"None", ConversionMode::None, 0,
                   R"({"vertexCount": 3, "faceCount": 1, "textureCount": 1, "materialCount": 1, "boneCount": 5,
                       "ikCount": 0, "frameCount": 3, "boneIndexSize": 1})"},
        ParserCase{"AxesAndBoneInfo", ConversionMode::AxesAndBoneInfo, 0,
                   R"({"vertexCount": 3, "faceCount": 1, "materialCount": 1, "boneCount": 10, "ikCount": 0,
                       "frameCount": 3})"},
        ParserCase{"NamesAndAxes", ConversionMode::NamesAndAxes, 0,
                   R"({"vertexCount": 3, "faceCount": 1, "materialCount": 1, "boneCount": 13, "ikCount": 3,
                       "frameCount": 4})"},
        ParserCase{"TwoByteBoneIndices", ConversionMode::AxesAndBoneInfo, 100,
                   R"({"vertexCount": 100, "faceCount": 0, "boneCount": 200, "frameCount": 3, "boneIndexSize": 2})"}),
    [](const testing::TestParamInfo<ParserCase>& info) { return info.param.name; });

TEST(MmdParserCheck, ReportsAWrongExpectation) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    DffModel model = test::makeWriterModel();
    test::TempDir dir;
    const std::filesystem::path file = dir.write(
        "model.pmx", buildPmx(model, ConversionMode::None, {}, {}, test::makeTexts(), [](const std::string&) {}));
    const CommandResult result =
        run("node " + quoted(checkerFolder / "check-pmx.js") + " " + quoted(file) + " vertexCount=3 boneCount=6");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("mismatch: boneCount: expected 6, found 5"), std::string::npos) << result.output;
}

// The bundled sample as a user converts it: the PMX and the images from its
// TXD, read back as a viewer finds them.
TEST(MmdParserCheck, TheSampleWithItsTexturesBesideIt) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const std::filesystem::path source(ZORVEK_SOURCE_DIR);
    test::TempDir dir;
    const CommandResult converted = run(std::string(quoted(ZORVEK_BINARY)) + " convert " +
                                        quoted(source / "samples/zorvek_sample.dff") + " -o " +
                                        quoted(dir / "sample.pmx") + " --tables " + quoted(source / "data"));
    ASSERT_EQ(converted.status, 0) << converted.output;
    const CommandResult result = run("node " + quoted(checkerFolder / "check-pmx.js") + " " +
                                     quoted(dir / "sample.pmx") + " textureCount=3 materialCount=3 texturesBeside=1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace zorvek

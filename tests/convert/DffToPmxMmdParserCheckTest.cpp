// Converted files read by mmd-parser, a PMX reader we did not write.
#include "base/FileIo.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "skeleton/Skeleton.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"
#include "support/pmx/PmxTestModels.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace zorvek {
namespace {

const std::filesystem::path checkerFolder = std::filesystem::path(ZORVEK_SOURCE_DIR) / "tests/pmx/mmd-parser";

// Why the check cannot run here, or "" when it can.
std::string missingTools() {
    return test::missingNodePackage(checkerFolder, "mmd-parser");
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
    const PreparedSkeleton skeleton = prepareSkeleton(model, c.mode, bones);
    const ByteBlock pmx = buildPmx(model, skeleton, c.mode, bones, test::makeWriterIkTable(), test::makeTexts(),
                                   [](const std::string&) {});
    test::TempDir dir;
    const std::filesystem::path file = dir.write("model.pmx", pmx);
    const std::filesystem::path expectations = dir.write("expected.json", c.expectations);
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(checkerFolder / "check-pmx.js") + " " + test::shellQuoted(file) +
                         " " + test::shellQuoted(expectations));
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
    test::PreparedModel model = test::makeWriterModel();
    test::TempDir dir;
    const std::filesystem::path file = dir.write(
        "model.pmx",
        buildPmx(model, model.skeleton, ConversionMode::None, {}, {}, test::makeTexts(), [](const std::string&) {}));
    const test::CommandResult result = test::runCommand("node " + test::shellQuoted(checkerFolder / "check-pmx.js") +
                                                        " " + test::shellQuoted(file) + " vertexCount=3 boneCount=6");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("mismatch: boneCount: expected 6, found 5"), std::string::npos) << result.output;
}

// The sample on the standard MMD skeleton: its grants, IK, bone morphs and
// the morphs' display frame, read by another reader.
TEST(MmdParserCheck, TheSampleOnTheStandardSkeleton) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const std::filesystem::path source(ZORVEK_SOURCE_DIR);
    const BoneTable bones = loadBoneTable(source / "data");
    const IkTable iks = loadIkTable(source / "data");
    const Bytes dff = readWholeFile(source / "samples/zorvek_sample.dff");
    DffModel model;
    SectionInput input(dff);
    readDffModel(input, model, [](const std::string&) {});
    numberTextures(model);
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::Standard, bones);
    const ByteBlock pmx =
        buildPmx(model, skeleton, ConversionMode::Standard, bones, iks, test::makeTexts(), [](const std::string&) {});
    test::TempDir dir;
    const std::filesystem::path file = dir.write("sample.pmx", pmx);
    // Twelve twist grants and the two 肩C; five vowels and four brow shapes.
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(checkerFolder / "check-pmx.js") + " " + test::shellQuoted(file) +
                         " grantCount=14 morphCount=9 ikCount=4 frameCount=9 materialCount=3");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

// The bundled sample as a user converts it: the PMX and the images from its
// TXD, read back as a viewer finds them.
TEST(MmdParserCheck, TheSampleWithItsTexturesBesideIt) {
    if (const std::string missing = missingTools(); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    const std::filesystem::path source(ZORVEK_SOURCE_DIR);
    test::TempDir dir;
    const test::CommandResult converted =
        test::runCommand(std::string(test::shellQuoted(ZORVEK_BINARY)) + " convert " +
                         test::shellQuoted(source / "samples/zorvek_sample.dff") + " -o " +
                         test::shellQuoted(dir / "sample.pmx") + " --tables " + test::shellQuoted(source / "data"));
    ASSERT_EQ(converted.status, 0) << converted.output;
    const test::CommandResult result =
        test::runCommand("node " + test::shellQuoted(checkerFolder / "check-pmx.js") + " " +
                         test::shellQuoted(dir / "sample.pmx") + " textureCount=3 materialCount=3 texturesBeside=1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("\nok\n"), std::string::npos) << result.output;
}

}  // namespace
}  // namespace zorvek

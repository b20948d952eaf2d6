// Files our writer writes, read and written again, must come back byte for
// byte: the reader keeps everything the writer puts in a file.
#include "support/mmd/MmdBuilder.h"

#include "convert/DffToPmx.h"
#include "pmx/MmdModelReader.h"
#include "pmx/PmxReader.h"
#include "pmx/PmxWriter.h"
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvek::test {
namespace {

Bytes bytesOf(const ByteBlock& block) {
    return Bytes(block.begin(), block.end());
}

Bytes rewritten(const Bytes& file) {
    return bytesOf(writePmx(readPmx(file)));
}

struct RoundTripCase {
    std::string label;
    PmxTextEncoding encoding;
    std::uint8_t width;
    std::uint8_t additionalUvs;
    bool wideBones = false;  // a vertex bone -1, which only the int32 quads hold
};

class PmxRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(PmxRoundTrip, WritingWhatWasReadGivesTheSameBytes) {
    const RoundTripCase& c = GetParam();
    PmxModel model = everySectionModel(c.encoding, c.width, c.additionalUvs);
    if (c.wideBones) {
        model.vertices.smallBones.clear();
        model.vertices.bones = {{2, 0, 0, 0}, {0, 1, 0, 0}, {0, 1, 2, -1}};
    }
    const Bytes file = bytesOf(writePmx(model));
    EXPECT_EQ(rewritten(file), file);
    // The same through the entry point that tells the formats apart.
    EXPECT_EQ(bytesOf(writePmx(readMmdModel(file))), file);

    const PmxModel read = readPmx(file);
    EXPECT_EQ(read.header.encoding, c.encoding);
    EXPECT_EQ(read.header.boneIndexSize, c.width);
    EXPECT_EQ(read.information.comment, u"コメント\r\n二行目");
    EXPECT_EQ(read.textures, model.textures);
    ASSERT_EQ(read.morphs.size(), model.morphs.size());
    EXPECT_EQ(read.morphs.back().materialOffsets.size(), 2u);
    EXPECT_EQ(read.vertices.additionalUvs.size(), c.additionalUvs);
    EXPECT_EQ(read.vertices.smallBones.empty(), c.wideBones);
    EXPECT_EQ(read.vertices.bones.empty(), !c.wideBones);
}

std::vector<RoundTripCase> roundTripCases() {
    std::vector<RoundTripCase> cases;
    for (const PmxTextEncoding encoding : {PmxTextEncoding::Utf16, PmxTextEncoding::Utf8}) {
        for (const std::uint8_t width : {1, 2, 4}) {
            for (const std::uint8_t uvs : {0, 1, 4}) {
                cases.push_back({std::string(encoding == PmxTextEncoding::Utf8 ? "Utf8" : "Utf16") + "Width" +
                                     std::to_string(width) + "Uvs" + std::to_string(uvs),
                                 encoding, width, uvs});
            }
            cases.push_back({std::string(encoding == PmxTextEncoding::Utf8 ? "Utf8" : "Utf16") + "Width" +
                                 std::to_string(width) + "NoneBone",
                             encoding, width, 2, true});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryEncodingAndWidth, PmxRoundTrip, testing::ValuesIn(roundTripCases()),
                         [](const testing::TestParamInfo<RoundTripCase>& info) { return info.param.label; });

// Mixed widths: each index kind read with its own width.
TEST(PmxRoundTripWidths, EachIndexKindKeepsItsOwnWidth) {
    PmxModel model = everySectionModel(PmxTextEncoding::Utf16, 4, 1);
    model.header.vertexIndexSize = 2;
    model.header.textureIndexSize = 1;
    model.header.materialIndexSize = 4;
    model.header.boneIndexSize = 2;
    model.header.morphIndexSize = 1;
    model.header.rigidBodyIndexSize = 2;
    const Bytes file = bytesOf(writePmx(model));
    EXPECT_EQ(rewritten(file), file);
}

// Every vertex BDEF4, which the model keeps as an empty deform list.
TEST(PmxRoundTripWidths, AllBdef4VerticesKeepNoDeformList) {
    PmxModel model = everySectionModel(PmxTextEncoding::Utf16, 2, 0);
    model.vertices.deforms.clear();
    const Bytes file = bytesOf(writePmx(model));
    const PmxModel read = readPmx(file);
    EXPECT_TRUE(read.vertices.deforms.empty());
    EXPECT_EQ(bytesOf(writePmx(read)), file);
}

struct ConvertedCase {
    const char* label;
    ConversionMode mode;
    int chainBones;  // 0: the writer model; else a chain of that many bones
};

class ConvertedPmxRoundTrip : public testing::TestWithParam<ConvertedCase> {};

// What the converter writes from a DFF, in every mode, with one-byte and
// two-byte bone indices.
TEST_P(ConvertedPmxRoundTrip, WritingWhatWasReadGivesTheSameBytes) {
    const ConvertedCase& c = GetParam();
    const PreparedModel prepared = c.chainBones == 0 ? makeWriterModel() : makeChainModel(c.chainBones);
    DffModel used = prepared;
    const BoneTable bones = c.chainBones == 0 ? makeWriterBoneTable() : BoneTable{};
    const IkTable iks = c.chainBones == 0 ? makeWriterIkTable() : IkTable{};
    const Bytes file =
        bytesOf(buildPmx(used, prepared.skeleton, c.mode, bones, iks, makeTexts(), [](const std::string&) {}));
    const PmxModel read = readPmx(file);
    EXPECT_EQ(bytesOf(writePmx(read)), file);
    EXPECT_EQ(read.bones.size(), decodePmx(file).bones.size());
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ConvertedPmxRoundTrip,
                         testing::Values(ConvertedCase{"None", ConversionMode::None, 0},
                                         ConvertedCase{"AxesAndBoneInfo", ConversionMode::AxesAndBoneInfo, 0},
                                         ConvertedCase{"NamesAndAxes", ConversionMode::NamesAndAxes, 0},
                                         ConvertedCase{"Standard", ConversionMode::Standard, 0},
                                         ConvertedCase{"ChainOf300Bones", ConversionMode::None, 300}),
                         [](const testing::TestParamInfo<ConvertedCase>& info) { return info.param.label; });

}  // namespace
}  // namespace zorvek::test

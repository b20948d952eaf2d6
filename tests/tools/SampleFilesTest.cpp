#include "sample/SampleModel.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

const std::filesystem::path committedSamples = std::filesystem::path(ZORVEK_SOURCE_DIR) / "samples";

const std::vector<std::string> sampleFileNames = {"zorvek_sample.dff", "sample_skin.png", "sample_clothes.png",
                                                  "sample_hair.png"};

class SampleFilesTest : public ::testing::TestWithParam<std::string> {};

// The committed files are what the generator writes today: regenerate after any change.
TEST_P(SampleFilesTest, RegeneratedFileEqualsTheCommittedOne) {
    TempDir folder;
    sample::writeSampleFiles(folder.path());
    const Bytes regenerated = readBytes(folder / GetParam());
    const Bytes committed = readBytes(committedSamples / GetParam());
    ASSERT_EQ(regenerated.size(), committed.size());
    EXPECT_TRUE(regenerated == committed);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFilesTest, ::testing::ValuesIn(sampleFileNames),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(SampleFiles, TheToolWritesExactlyTheSampleFiles) {
    TempDir folder;
    const auto written = sample::writeSampleFiles(folder / "nested" / "out");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "nested" / "out")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = sampleFileNames;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    ASSERT_EQ(written.size(), sampleFileNames.size());
    EXPECT_EQ(written.front().filename(), "zorvek_sample.dff");
}

TEST(SampleFiles, GeneratingTwiceGivesTheSameBytes) {
    const auto first = sample::buildSampleFiles();
    const auto second = sample::buildSampleFiles();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name;
    }
}

struct PngCase {
    std::string name;
    std::uint32_t size;
};

class SamplePngTest : public ::testing::TestWithParam<PngCase> {};

TEST_P(SamplePngTest, IsAnRgbPngOfTheTextureSize) {
    const Bytes png = readBytes(committedSamples / GetParam().name);
    ASSERT_GT(png.size(), 33u);
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    auto bigEndian = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 | std::uint32_t{png[at + 2]} << 8 |
               png[at + 3];
    };
    EXPECT_EQ(bigEndian(16), GetParam().size);
    EXPECT_EQ(bigEndian(20), GetParam().size);
    EXPECT_EQ(png[24], 8);  // bits per channel
    EXPECT_EQ(png[25], 2);  // RGB
}

INSTANTIATE_TEST_SUITE_P(Textures, SamplePngTest,
                         ::testing::Values(PngCase{"sample_skin.png", 256}, PngCase{"sample_clothes.png", 128},
                                           PngCase{"sample_hair.png", 128}),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace zorvek::test

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

const std::vector<std::string> sampleFileNames = {"zorvek_sample.dff", "zorvek_sample.txd", "zorvek_sample.ifp"};

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

}  // namespace
}  // namespace zorvek::test

// The batch's parts that every front-end shares: its summary, an item whose
// failure stops nothing else, and the outputs two items may not share.

#include "jobs/Batch.h"

#include "base/TextEncoding.h"
#include "jobs/Failures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace zorvek {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct SummaryCase {
    const char* label;
    BatchCounts counts;
    std::string summary;
};

class BatchSummary : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(BatchSummary, CountsEachOutcome) {
    EXPECT_EQ(batchSummary(GetParam().counts), GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, BatchSummary,
    ::testing::Values(SummaryCase{"AllDone", {.succeeded = 4}, "成功 4 件、失敗 0 件"},
                      SummaryCase{"SomeFailed", {.succeeded = 3, .failed = 1}, "成功 3 件、失敗 1 件"},
                      SummaryCase{"SomeSkipped", {.succeeded = 2, .skipped = 2}, "成功 2 件、失敗 0 件、スキップ 2 件"},
                      SummaryCase{"NothingDone", {.failed = 2, .skipped = 1}, "成功 0 件、失敗 2 件、スキップ 1 件"}),
    [](const auto& info) { return std::string(info.param.label); });

struct ItemCase {
    const char* label;
    std::function<void()> item;
    std::optional<std::string> failure;  // as describeFailure says it; nothing when the item succeeds
};

class BatchItem : public ::testing::TestWithParam<ItemCase> {};

TEST_P(BatchItem, HandsEveryFailureToTheSinkAndReturns) {
    std::vector<std::string> failures;
    const bool done =
        runBatchItem(GetParam().item, [&](const std::exception& error) { failures.push_back(describeFailure(error)); });
    EXPECT_EQ(done, !GetParam().failure.has_value());
    EXPECT_EQ(failures,
              GetParam().failure ? std::vector<std::string>{*GetParam().failure} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Items, BatchItem,
    ::testing::Values(ItemCase{"Succeeds", [] {}, std::nullopt},
                      ItemCase{"OurError", [] { throw UserMessageError("ファイルが壊れています"); },
                               "ファイルが壊れています"},
                      ItemCase{"OutOfMemory", [] { throw std::bad_alloc(); }, "メモリが足りません"},
                      ItemCase{"ALibrarysError", [] { throw std::out_of_range("map::at"); },
                               "予期しないエラーが発生しました (map::at)"}),
    [](const auto& info) { return std::string(info.param.label); });

struct FileBatchCase {
    const char* label;
    std::vector<std::string> inputs;
    std::string failing;  // the input whose job throws a library's error
    std::vector<std::string> lines;
    BatchCounts counts;
};

class FileBatch : public ::testing::TestWithParam<FileBatchCase> {};

TEST_P(FileBatch, RunsEveryInputAndCountsThem) {
    const FileBatchCase& c = GetParam();
    std::vector<fs::path> inputs;
    for (const std::string& input : c.inputs) {
        inputs.push_back(utf8ToPath(input));
    }
    std::vector<std::string> lines;
    const JobReport report{.progress = [&](std::string_view line) { lines.emplace_back(line); }};
    const BatchCounts counts = runFileBatch(
        inputs,
        [&](const fs::path& input) {
            lines.push_back("job " + pathToUtf8(input));
            if (pathToUtf8(input) == c.failing) {
                throw std::runtime_error("disk on fire");
            }
        },
        report, [&](const std::exception& error) { lines.push_back("failed " + describeFailure(error)); });
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(counts.succeeded, c.counts.succeeded);
    EXPECT_EQ(counts.failed, c.counts.failed);
    EXPECT_EQ(counts.skipped, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FileBatch,
    ::testing::Values(FileBatchCase{"OneIsNotNumbered", {"in/a.dff"}, "", {"job in/a.dff"}, {.succeeded = 1}},
                      FileBatchCase{
                          "AFailureStopsNothing",
                          {"in/a.dff", "in/b.dff", "c.dff"},
                          "in/b.dff",
                          {"[1/3] a.dff", "job in/a.dff", "[2/3] b.dff", "job in/b.dff",
                           "failed 予期しないエラーが発生しました (disk on fire)", "[3/3] c.dff", "job c.dff"},
                          {.succeeded = 2, .failed = 1}}),
    [](const auto& info) { return std::string(info.param.label); });

struct ClaimCase {
    const char* label;
    std::string first;  // below the test's folder
    std::string second;
    bool shared;  // the second is refused, naming both owners
};

class ClaimOutputs : public ::testing::TestWithParam<ClaimCase> {};

TEST_P(ClaimOutputs, RefuseASecondOwnerOfOnePath) {
    TempDir folder;
    fs::create_directories(folder / "out");
    ClaimedOutputs claimed;
    claimed.claim(folder / GetParam().first, "a/x.dff");
    std::string refused = "(not refused)";
    try {
        claimed.claim(folder / GetParam().second, "b/x.dff");
    } catch (const OutputClaimedError& error) {
        refused = error.earlier() + " | " + error.later() + " | " + error.what();
    }
    EXPECT_EQ(refused, GetParam().shared ? "a/x.dff | b/x.dff | 出力ファイルが他の入力と重なります: a/x.dff, b/x.dff"
                                         : "(not refused)");
}

INSTANTIATE_TEST_SUITE_P(Paths, ClaimOutputs,
                         ::testing::Values(ClaimCase{"Same", "out/x.pmx", "out/x.pmx", true},
                                           ClaimCase{"SpelledWithADot", "out/x.pmx", "out/./x.pmx", true},
                                           ClaimCase{"SpelledThroughItsParent", "out/x.pmx", "out/../out/x.pmx", true},
                                           ClaimCase{"AnotherName", "out/x.pmx", "out/y.pmx", false},
                                           ClaimCase{"AnotherFolder", "out/x.pmx", "x.pmx", false}),
                         [](const auto& info) { return std::string(info.param.label); });

// A file that exists under two names (a link here; a name in another case
// where the file system ignores case) is one output.
TEST(ClaimOutputs, AnExistingFileUnderAnotherNameIsTheSameOutput) {
    TempDir folder;
    const fs::path first = folder.write("x.vmd", std::string_view("written"));
    std::error_code error;
    fs::create_hard_link(first, folder / "other.vmd", error);
    if (error) {
        GTEST_SKIP() << "this file system makes no hard links: " << error.message();
    }
    ClaimedOutputs claimed;
    claimed.claim(first, "x (1番目)");
    EXPECT_THROW(claimed.claim(folder / "other.vmd", "X (2番目)"), OutputClaimedError);
    claimed.claim(folder / "third.vmd", "third (3番目)");
}

}  // namespace
}  // namespace zorvek

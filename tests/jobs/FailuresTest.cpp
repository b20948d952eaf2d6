// What every front-end says of a failure: the one description that the menu,
// the command line and the motion dialogue share, with their own additions.

#include "jobs/Failures.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "jobs/Batch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

namespace zorvek {
namespace {

namespace fs = std::filesystem;

const fs::path file = utf8ToPath("モデル.dff");

struct FailureCase {
    const char* label;
    std::function<void()> fail;
    std::string plain;                // the menu's commands: nothing added
    std::string namingFiles;          // the motion dialogue's batch: the failed file named
    std::string namingFilesWithHint;  // the command line: the file named, and its flag for replacing
};

class DescribeFailure : public ::testing::TestWithParam<FailureCase> {};

std::string described(const std::function<void()>& fail, const FailureWording& wording) {
    try {
        fail();
    } catch (const std::exception& error) {
        return describeFailure(error, wording);
    }
    return "(nothing thrown)";
}

TEST_P(DescribeFailure, SaysWhatEachFrontEndShows) {
    const FailureCase& c = GetParam();
    EXPECT_EQ(described(c.fail, {}), c.plain);
    EXPECT_EQ(described(c.fail, {.nameFile = true}), c.namingFiles);
    EXPECT_EQ(described(c.fail, {.nameFile = true, .replaceHint = " (-f で上書き)"}), c.namingFilesWithHint);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DescribeFailure,
    ::testing::Values(FailureCase{"UserMessage", [] { throw UserMessageError("ファイルが壊れています"); },
                                  "ファイルが壊れています", "ファイルが壊れています", "ファイルが壊れています"},
                      FailureCase{"FileAccess", [] { throw FileAccessError("ファイルを開けませんでした", file); },
                                  "ファイルを開けませんでした", "ファイルを開けませんでした: モデル.dff",
                                  "ファイルを開けませんでした: モデル.dff"},
                      FailureCase{"ExistingOutput", [] { throw ExistingOutputError(file); },
                                  "出力ファイルが既に存在します: モデル.dff",
                                  "出力ファイルが既に存在します: モデル.dff",
                                  "出力ファイルが既に存在します (-f で上書き): モデル.dff"},
                      FailureCase{"OutputClaimed", [] { throw OutputClaimedError("a/x.dff", "b/x.dff"); },
                                  "出力ファイルが他の入力と重なります: a/x.dff, b/x.dff",
                                  "出力ファイルが他の入力と重なります: a/x.dff, b/x.dff",
                                  "出力ファイルが他の入力と重なります: a/x.dff, b/x.dff"},
                      FailureCase{"OutOfMemory", [] { throw std::bad_alloc(); }, "メモリが足りません",
                                  "メモリが足りません", "メモリが足りません"},
                      FailureCase{"NotOurs", [] { throw std::length_error("vector::reserve"); },
                                  "予期しないエラーが発生しました (vector::reserve)",
                                  "予期しないエラーが発生しました (vector::reserve)",
                                  "予期しないエラーが発生しました (vector::reserve)"}),
    [](const auto& info) { return std::string(info.param.label); });

// The job's own message names no front-end's way of replacing.
TEST(ExistingOutputError, ItsMessageStatesTheFactAlone) {
    const ExistingOutputError error(file);
    EXPECT_STREQ(error.what(), "出力ファイルが既に存在します: モデル.dff");
    EXPECT_EQ(error.path(), file);
    EXPECT_EQ(error.message(" (上書きするには --force を指定してください)"),
              "出力ファイルが既に存在します (上書きするには --force を指定してください): モデル.dff");
}

}  // namespace
}  // namespace zorvek

#pragma once

#include "base/UserMessageError.h"
#include "jobs/JobReport.h"

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zorvek {

// What became of a batch's items.
struct BatchCounts {
    std::size_t succeeded = 0;
    std::size_t failed = 0;
    std::size_t skipped = 0;  // left out without an attempt (a hidden animation, a file kept)
};

// "成功 N 件、失敗 M 件", then "、スキップ K 件" where the batch left some out.
std::string batchSummary(const BatchCounts& counts);

// Hears the failure of one item while it is handled: the front-end describes it
// (jobs/Failures.h) and the batch goes on.
using FailureSink = std::function<void(const std::exception& error)>;

// Runs one item: true when it succeeded. A failure of any kind goes to
// `failed` and unwinds no further.
bool runBatchItem(const std::function<void()>& item, const FailureSink& failed);

// One job per input, in order, "[i/N] name" before each when there are
// several; the others still run when one fails.
BatchCounts runFileBatch(const std::vector<std::filesystem::path>& inputs,
                         const std::function<void(const std::filesystem::path& input)>& job, const JobReport& report,
                         const FailureSink& failed);

// An output that an earlier item of the batch has claimed. The message is the
// command line's; a front-end may word the two owners its own way.
class OutputClaimedError : public UserMessageError {
public:
    OutputClaimedError(std::string earlier, std::string later);

    const std::string& earlier() const { return earlier_; }
    const std::string& later() const { return later_; }

private:
    std::string earlier_;
    std::string later_;
};

// The outputs a batch has claimed so far: a second item that maps to the same
// output (a/x.dff and b/x.dff into one folder, two animations whose names
// differ only in what a file name cannot hold) would replace the first's.
class ClaimedOutputs {
public:
    // Throws OutputClaimedError naming both owners when the output was claimed
    // already: the same path however it is spelled, or an existing file that
    // an earlier claim names otherwise (on a file system that ignores case).
    void claim(const std::filesystem::path& output, std::string owner);

private:
    // By the absolute, normal path.
    std::map<std::filesystem::path, std::string> owners_;
};

}  // namespace zorvek

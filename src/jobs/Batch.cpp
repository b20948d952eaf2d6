#include "jobs/Batch.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace zorvek {

namespace fs = std::filesystem;

std::string batchSummary(const BatchCounts& counts) {
    std::string summary = "成功 ";
    summary.append(std::to_string(counts.succeeded)).append(" 件、失敗 ");
    summary.append(std::to_string(counts.failed)).append(" 件");
    if (counts.skipped > 0) {
        summary.append("、スキップ ").append(std::to_string(counts.skipped)).append(" 件");
    }
    return summary;
}

bool runBatchItem(const std::function<void()>& item, const FailureSink& failed) {
    try {
        item();
        return true;
    } catch (const std::exception& error) {
        // One item's fault, expected or not, is no reason to leave the others undone.
        failed(error);
    }
    return false;
}

BatchCounts runFileBatch(const std::vector<fs::path>& inputs, const std::function<void(const fs::path& input)>& job,
                         const JobReport& report, const FailureSink& failed) {
    const std::size_t total = inputs.size();
    BatchCounts counts;
    for (std::size_t i = 0; i < total; ++i) {
        if (total > 1) {
            std::string line = "[";
            line.append(std::to_string(i + 1)).append("/").append(std::to_string(total)).append("] ");
            report.progress(line.append(pathToUtf8(inputs[i].filename())));
        }
        if (runBatchItem([&] { job(inputs[i]); }, failed)) {
            ++counts.succeeded;
        } else {
            ++counts.failed;
        }
    }
    return counts;
}

OutputClaimedError::OutputClaimedError(std::string earlier, std::string later)
    : UserMessageError("出力ファイルが他の入力と重なります: " + earlier + ", " + later),
      earlier_(std::move(earlier)),
      later_(std::move(later)) {}

void ClaimedOutputs::claim(const fs::path& output, std::string owner) {
    std::error_code error;
    const fs::path absolute = fs::absolute(output, error);
    const fs::path key = (error ? output : absolute).lexically_normal();
    auto found = owners_.find(key);
    if (found == owners_.end() && fs::exists(key, error)) {
        found = std::find_if(owners_.begin(), owners_.end(),
                             [&key](const auto& earlier) { return isSameFile(earlier.first, key); });
    }
    if (found != owners_.end()) {
        throw OutputClaimedError(found->second, std::move(owner));
    }
    owners_.emplace(key, std::move(owner));
}

}  // namespace zorvek

#include "jobs/MotionBatch.h"

#include "base/TextEncoding.h"

#include <system_error>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> motionOutputs(const MotionBatch& batch) {
    std::vector<fs::path> outputs;
    for (const IfpAnimation* animation : batch.selection.animations) {
        outputs.push_back(batch.output ? *batch.output : batch.folder / motionFileName(animation->name));
    }
    return outputs;
}

std::size_t countExisting(const std::vector<fs::path>& paths) {
    std::size_t existing = 0;
    for (const fs::path& path : paths) {
        std::error_code error;
        existing += fs::exists(path, error) ? 1 : 0;
    }
    return existing;
}

}  // namespace

BatchCounts writeMotionFiles(const MotionTarget& target, const IfpFile& file, const MotionBatch& batch,
                             const ReplaceQuestion& askReplace, const JobReport& report, const FailureSink& failed) {
    const std::vector<fs::path> outputs = motionOutputs(batch);
    const ExistingOutputs existing = askReplace(countExisting(outputs));
    // A batch meets the same problem in many animations (a model's long bone names): said once.
    const JobReport once = withEachWarningOnce(report);
    once.progress("出力しています...");
    const std::vector<const IfpAnimation*>& hidden = batch.selection.hidden;
    if (!hidden.empty()) {
        once.warn(hiddenAnimationsWarning(hidden));
    }
    BatchCounts counts{.skipped = hidden.size()};
    ClaimedOutputs claimed;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const IfpAnimation& animation = *batch.selection.animations[i];
        bool kept = false;
        const bool done = runBatchItem(
            [&] {
                // Numbered: two animations whose names differ only in what a file name cannot hold look alike.
                claimed.claim(outputs[i], numberedAnimationName(file, animation));
                std::error_code error;
                if (existing == ExistingOutputs::Keep && fs::exists(outputs[i], error)) {
                    once.warn("既にあるファイルは残しました: " + pathToUtf8(outputs[i]));
                    kept = true;
                    return;
                }
                const MotionOutput output{
                    .path = outputs[i], .inputs = batch.inputs, .replaceExisting = existing != ExistingOutputs::Refuse};
                writeMotionFile(target, animation, output, once);
            },
            failed);
        if (!done) {
            ++counts.failed;
        } else if (kept) {
            ++counts.skipped;
        } else {
            ++counts.succeeded;
        }
    }
    return counts;
}

}  // namespace zorvek

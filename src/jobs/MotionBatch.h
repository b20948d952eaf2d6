#pragma once

// Many animations of one IFP to their VMD files, as the menu and the command line write them.

#include "ifp/IfpAnimation.h"
#include "jobs/Batch.h"
#include "jobs/JobReport.h"
#include "jobs/MotionJob.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace zorvek {

// What the batch does with the outputs that exist already, decided once for all.
enum class ExistingOutputs {
    Replace,  // written over
    Keep,     // left as they are, each with a warning, its animation skipped
    Refuse,   // each a failure of its animation (ExistingOutputError)
};

// Asked once, before anything is written, with how many of the outputs exist:
// the command line answers from its flag, the menu asks the user (who may
// cancel: that unwinds out of the batch before any file is written).
using ReplaceQuestion = std::function<ExistingOutputs(std::size_t existing)>;

struct MotionBatch {
    AnimationSelection selection{};
    std::filesystem::path folder{};                 // each animation's "<name>.vmd" goes in it
    std::optional<std::filesystem::path> output{};  // else the one file of a single animation
    std::vector<std::filesystem::path> inputs{};    // the IFP and the DFF, never to be written over
};

// The selected animations to their files, in order: "出力しています...", the
// warning for the hidden animations, then each file's path as it is written.
// An animation that fails, for whatever reason, goes to `failed` and the
// others are still written; two that land on one file leave it to the first
// (OutputClaimedError for the second). Each distinct warning is passed on once.
// The hidden animations and the kept files count as skipped.
BatchCounts writeMotionFiles(const MotionTarget& target, const IfpFile& file, const MotionBatch& batch,
                             const ReplaceQuestion& askReplace, const JobReport& report, const FailureSink& failed);

}  // namespace zorvek

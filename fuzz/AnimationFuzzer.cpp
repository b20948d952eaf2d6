// The whole VMD to IFP conversion in memory: an MMD motion played on the
// mmd-mode PMX of a fixed synthetic ped, IK included, and written as ANP3.
// The first byte picks the conversion mode, the rest is the VMD file.

#include "FuzzPed.h"
#include "FuzzTables.h"

#include "base/UserMessageError.h"
#include "jobs/AnimationJob.h"
#include "vmd/VmdReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// Every frame up to the last key is played: longer motions (the product
// takes up to 546 s) would slow the fuzzing without reaching other code.
constexpr std::uint32_t mostFramesFuzzed = 60 * 30;

void ignoreWarning(const std::string&) {}

bool tooLongToFuzz(const zorvek::VmdMotion& file) {
    std::uint32_t last = 0;
    for (const zorvek::VmdBoneTrack& bone : file.bones) {
        last = bone.keys.empty() ? last : std::max(last, bone.keys.back().frame);
    }
    if (!file.showIk.empty()) {
        last = std::max(last, file.showIk.back().frame);
    }
    return last > mostFramesFuzzed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvek;
    if (size == 0) {
        return 0;
    }
    const auto mode = static_cast<ConversionMode>(data[0] % 4);
    const std::span<const std::uint8_t> vmd(data + 1, size - 1);
    try {
        if (tooLongToFuzz(readVmd(vmd))) {
            return -1;  // not added to the corpus
        }
        convertVmdBytes(vmd, fuzz::syntheticPedDff(), mode, fuzz::shippedTables(), ignoreWarning);
    } catch (const UserMessageError&) {
        // A refused file is an expected outcome; anything else escapes and is a finding.
    }
    return 0;
}

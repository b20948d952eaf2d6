// The whole motion conversion in memory: every animation of an IFP file made
// into VMD bytes for a fixed synthetic ped. The first byte picks the
// conversion mode, the rest is the IFP file.

#include "FuzzPed.h"
#include "FuzzTables.h"

#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"
#include "jobs/MotionJob.h"
#include "motion/MotionBuilder.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// A motion keys every MMD frame, and the product takes animations of up to
// half an hour: inputs making more than a minute of frames would slow the
// fuzzing to a crawl without reaching other code, so they are left out.
constexpr std::uint64_t mostFramesFuzzed = 60 * 30;

void ignoreWarning(const std::string&) {}

// The frames the conversion would make, counted as it goes: up to and
// including the first animation it refuses as too long, which ends it.
bool tooLongToFuzz(const zorvek::IfpFile& file) {
    std::uint64_t frames = 0;
    for (const zorvek::IfpAnimation& animation : file.animations) {
        try {
            frames += zorvek::lastMotionFrame(animation) + std::uint64_t{1};
        } catch (const zorvek::UserMessageError&) {
            break;
        }
        if (frames > mostFramesFuzzed) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvek;
    if (size == 0) {
        return 0;
    }
    const auto mode = static_cast<ConversionMode>(data[0] % 4);
    const std::span<const std::uint8_t> ifp(data + 1, size - 1);
    try {
        if (tooLongToFuzz(readIfp(ifp))) {
            return -1;  // not added to the corpus
        }
        convertIfpBytes(ifp, fuzz::syntheticPedDff(), mode, fuzz::shippedTables(), ignoreWarning);
    } catch (const UserMessageError&) {
        // A refused file is an expected outcome; anything else escapes and is a finding.
    }
    return 0;
}

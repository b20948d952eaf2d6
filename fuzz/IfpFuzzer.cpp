// Reading an IFP animation file, ANP3 or ANPK. The whole input is the file.
// Besides crashes, it checks what the conversion relies on: ordered, finite
// key times (before 0 too) and values, and animations found again by their names.

#include "base/TextBlanks.h"
#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>

namespace {

void checkAnimation(const zorvek::IfpFile& file, const zorvek::IfpAnimation& animation) {
    float latest = 0;
    for (const zorvek::IfpTrack& track : animation.tracks) {
        float previous = -std::numeric_limits<float>::infinity();
        for (const zorvek::IfpKey& key : track.keys) {
            if (!std::isfinite(key.time) || key.time < previous || !std::isfinite(key.rotation.w) ||
                !std::isfinite(key.translation.x)) {
                std::abort();
            }
            previous = key.time;
        }
        latest = std::max(latest, previous);
    }
    const bool findable = !zorvek::trimBlanks(animation.name).empty();
    if (animation.duration() != latest || (findable && zorvek::findAnimation(file, animation.name) == nullptr)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const zorvek::IfpFile file = zorvek::readIfp(std::span<const std::uint8_t>(data, size));
        for (const zorvek::IfpAnimation& animation : file.animations) {
            checkAnimation(file, animation);
        }
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}

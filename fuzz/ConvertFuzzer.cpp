// The whole conversion of a DFF to PMX bytes in memory. The first byte picks
// the conversion mode, the rest is the DFF file.

#include "FuzzTables.h"

#include "base/UserMessageError.h"
#include "jobs/ConvertJob.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void ignoreWarning(const std::string&) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zorvek;
    if (size == 0) {
        return 0;
    }
    const ConvertSettings settings{static_cast<ConversionMode>(data[0] % 4), ".png"};
    try {
        convertDffBytes(std::span(data + 1, size - 1), settings, fuzz::shippedTables(), ignoreWarning);
    } catch (const UserMessageError&) {
        // A refused file is an expected outcome; anything else escapes and is a finding.
    }
    return 0;
}

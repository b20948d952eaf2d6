// The rescale walk over a DFF file. The first byte picks the factor, the rest
// is the DFF file.

#include "base/UserMessageError.h"
#include "rescale/DffRescaler.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <vector>

namespace {

constexpr std::array<float, 6> factors{2.0f, 0.5f, -1.0f, 0.0f, 1e30f, std::numeric_limits<float>::denorm_min()};

void ignoreWarning(const std::string&) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const float factor = factors[data[0] % factors.size()];
    const std::span<const std::uint8_t> dff(data + 1, size - 1);
    try {
        zorvek::Bytes copy(dff.begin(), dff.end());
        const std::vector<zorvek::ByteRange> changed = zorvek::rescaleDff(copy, factor, ignoreWarning);
        // Only values are patched in place: every change lies inside the input.
        bool outside = false;
        for (const zorvek::ByteRange& range : changed) {
            outside = outside || range.offset > dff.size() || range.size > dff.size() - range.offset;
        }
        if (outside) {
            std::abort();
        }
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}

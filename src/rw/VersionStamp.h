#pragma once

#include <cstdint>

namespace zorvek {

// Which library stamps a chunk stream accepts. The DFF commands know one
// layout only and refuse the rest; texture dictionaries keep the same layout
// across every RenderWare 3 release the games were built with.
enum class StampRule {
    Dff,     // only acceptedVersionStamp
    AnyRw3,  // any RenderWare 3.0 to 3.7 stamp, any build
};

// The library version a stamp names, as 0x3XY00 | revision (3.6.0.3 is
// 0x36003). Stamps without a build word (the oldest files) hold the version
// shifted right by 8 bits.
constexpr std::uint32_t libraryVersionOfStamp(std::uint32_t stamp) {
    if ((stamp & 0xFFFF0000u) != 0) {
        return (((stamp >> 14) & 0x3FF00u) + 0x30000u) | ((stamp >> 16) & 0x3Fu);
    }
    return stamp << 8;
}

bool stampAccepted(StampRule rule, std::uint32_t stamp);

}  // namespace zorvek

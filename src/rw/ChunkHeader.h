#pragma once

#include <cstdint>

namespace zorvek {

// The RenderWare 3.6 library stamp (3.6.0.3, build 0xFFFF): the only one DFF files may carry.
inline constexpr std::uint32_t acceptedVersionStamp = 0x1803FFFF;

struct ChunkHeader {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::uint32_t version = 0;
};

inline constexpr std::uint32_t chunkHeaderSize = 12;

}  // namespace zorvek

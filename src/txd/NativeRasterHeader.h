#pragma once

#include "rw/SectionInput.h"

#include <cstdint>
#include <span>
#include <string>

namespace zorvek {

inline constexpr std::uint32_t platformD3D8 = 8;
inline constexpr std::uint32_t platformD3D9 = 9;

// The fixed part of a Direct3D 8 or 9 texture native's Struct, after its
// platform word: 84 bytes.
struct NativeRasterHeader {
    std::uint32_t platform = 0;
    std::uint32_t filterFlags = 0;
    std::string name;      // UTF-8
    std::string maskName;  // UTF-8
    std::uint32_t rasterFormat = 0;
    // Direct3D 8: the "has alpha" word; Direct3D 9: the D3DFORMAT (a number or a FourCC).
    std::uint32_t alphaOrD3dFormat = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t levelCount = 0;
    std::uint8_t rasterType = 0;
    // Direct3D 8: the DXT kind (0, 1, 3, 5); Direct3D 9: flags (bit 0 alpha, bit 3 compressed).
    std::uint8_t compressionOrFlags = 0;
};

NativeRasterHeader readNativeRasterHeader(SectionInput& input, std::uint32_t platform);

// The bytes of a fixed-size name field up to its first zero byte, read as
// Latin-1, in UTF-8.
std::string nameFieldToUtf8(std::span<const std::uint8_t> field);

}  // namespace zorvek

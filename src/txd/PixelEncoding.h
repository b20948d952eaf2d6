#pragma once

#include "txd/NativeRasterHeader.h"

#include <cstdint>
#include <optional>

namespace zorvek {

// How the pixels of a level are stored.
enum class PixelEncoding {
    Argb1555,  // 16-bit little-endian words
    Rgb565,
    Argb4444,
    Xrgb1555,    // "555": the top bit is unused
    Lum8,        // one grey byte
    Bgra8888,    // B, G, R, A bytes
    Bgrx8888,    // "888": B, G, R and a padding byte
    Pal8,        // one index byte into 256 entries
    Pal4,        // one index byte into a 4-bit palette, as Direct3D holds it
    Pal4Packed,  // two 4-bit indices a byte, low nibble first, rows start on a byte
    Dxt1,
    Dxt3,
    Dxt5,
};

inline constexpr std::uint32_t rasterPal8 = 0x2000;
inline constexpr std::uint32_t rasterPal4 = 0x4000;

// The encoding of a Direct3D 8 or 9 raster; none for a format the PC games
// never store. A 4-bit palette is Pal4 here; the level's size decides later
// whether it is packed.
std::optional<PixelEncoding> pixelEncodingOf(const NativeRasterHeader& header);

// The bytes one level of this size needs.
std::uint64_t levelBytesNeeded(PixelEncoding encoding, std::uint32_t width, std::uint32_t height);

// Whether the raster format's colour part (raster format & 0xF00) has an alpha
// channel; a palette in a format without one is opaque.
bool rasterFormatHasAlpha(std::uint32_t rasterFormat);

}  // namespace zorvek

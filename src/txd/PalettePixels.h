#pragma once

#include "image/Image.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zorvek {

inline constexpr std::size_t pal8Entries = 256;
// RenderWare's Direct3D drivers store a 4-bit palette with 32 entries; some
// other tools store only the 16 that 4-bit indices reach.
inline constexpr std::size_t pal4StoredEntries = 32;
inline constexpr std::size_t pal4Entries = 16;

// How many entries a 4-bit palette at the start of `rest` (the rest of the
// Struct) holds: 16 only when the level size words then end exactly at the
// Struct's end and with 32 they would not.
std::size_t pal4EntriesIn(std::span<const std::uint8_t> rest, std::uint32_t levelCount);

// Pal8, Pal4 or Pal4Packed.
bool isPaletted(PixelEncoding encoding);

// Whether every index of a level (as decodePalettePixels takes it) lies
// inside a palette of `entries` entries.
bool paletteIndicesFit(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                       std::span<const std::uint8_t> indices, std::size_t entries);

// A level of palette indices (Pal8, Pal4 or Pal4Packed; `indices` holds at
// least levelBytesNeeded bytes) through `palette` (R, G, B, A entries). The
// palette's alpha counts only when `paletteAlpha`; the image has alpha when a
// pixel uses an entry whose alpha is below 255. None when an index lies past
// the palette.
std::optional<Image> decodePalettePixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                                         std::span<const std::uint8_t> indices, std::span<const std::uint8_t> palette,
                                         bool paletteAlpha);

}  // namespace zorvek

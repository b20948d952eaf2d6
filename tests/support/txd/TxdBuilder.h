#pragma once

// Builds RenderWare texture dictionaries (TXD files) from code on top of the
// DFF builder's chunk tree. A TxdLayout is valid by default once its textures
// are; every field of a texture native can be set to make malformed files.
// TxdPixels.h makes the pixel bytes of each format from an image.

#include "support/dff/DffBuilder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvek::test {

inline constexpr std::uint32_t d3d8Platform = 8;
inline constexpr std::uint32_t d3d9Platform = 9;
inline constexpr std::uint32_t ps2Platform = 0x00325350;  // "PS2\0"

// Raster format bits.
inline constexpr std::uint32_t raster1555 = 0x0100;
inline constexpr std::uint32_t raster565 = 0x0200;
inline constexpr std::uint32_t raster4444 = 0x0300;
inline constexpr std::uint32_t rasterLum8 = 0x0400;
inline constexpr std::uint32_t raster8888 = 0x0500;
inline constexpr std::uint32_t raster888 = 0x0600;
inline constexpr std::uint32_t raster555 = 0x0A00;
inline constexpr std::uint32_t rasterPalette8 = 0x2000;
inline constexpr std::uint32_t rasterPalette4 = 0x4000;
inline constexpr std::uint32_t rasterMipmaps = 0x8000;

constexpr std::uint32_t fourCC(const char (&text)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(text[0])} | std::uint32_t{static_cast<std::uint8_t>(text[1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(text[2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(text[3])} << 24;
}

// Direct3D 9 flags.
inline constexpr std::uint8_t d3d9HasAlpha = 0x01;
inline constexpr std::uint8_t d3d9Compressed = 0x08;

inline constexpr std::uint32_t sanAndreasStamp = 0x1803FFFF;

struct TextureLayout {
    std::uint32_t platform = d3d8Platform;
    std::uint32_t filterFlags = 0x1106;
    std::string name = "texture";
    std::string maskName;
    // The 32-byte name fields whole, instead of the name, a zero and zeros.
    std::optional<Bytes> nameField;
    std::optional<Bytes> maskField;
    std::uint32_t rasterFormat = raster8888;
    std::uint32_t alphaOrD3dFormat = 0;  // Direct3D 8: has alpha; 9: the D3DFORMAT
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 32;
    std::optional<std::uint8_t> levelCount;  // default: levels.size()
    std::uint8_t rasterType = 4;
    std::uint8_t compressionOrFlags = 0;                   // Direct3D 8: DXT kind; 9: flags
    Bytes palette;                                         // R, G, B, A entries, written as given
    std::vector<Bytes> levels;                             // each after its size word
    std::vector<std::optional<std::uint32_t>> levelSizes;  // replace the size words, by level
    Bytes trailing;                                        // after the levels, inside the Struct
    // Only the Struct, as the PS2 and other ports lay theirs out: the platform word then these bytes.
    std::optional<Bytes> otherPlatformPayload;
};

struct TxdLayout {
    std::optional<std::uint16_t> textureCount;  // default: textures.size()
    std::uint16_t deviceId = 1;
    std::vector<TextureLayout> textures;
    std::uint32_t version = sanAndreasStamp;  // on every chunk
    std::size_t alignment = 0;                // zeros after the dictionary up to a multiple of this
};

// The Struct payload of a texture native.
Bytes textureNativeStruct(const TextureLayout& texture);
Chunk textureNativeChunk(const TextureLayout& texture);
Chunk textureDictionaryChunk(const TxdLayout& txd);
// Sets the stamp of the chunk and all its descendants.
void stampAll(Chunk& chunk, std::uint32_t version);
Bytes buildTxd(const TxdLayout& txd);

}  // namespace zorvek::test

#pragma once

#include "base/FileIo.h"
#include "base/LargeArrays.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// One texture as it is stored: its levels' bytes in its encoding.
struct NativeTexture {
    std::string name;  // ASCII, at most 31 bytes
    // Bgra8888 ("8888"), Bgrx8888 ("888", the padding byte 255), Dxt1, Dxt3 or Dxt5.
    PixelEncoding encoding = PixelEncoding::Bgra8888;
    bool hasAlpha = false;  // whether any pixel is transparent
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // Largest first, each halving the sides down to 1, each exactly
    // levelBytesNeeded long.
    std::vector<Bytes> levels;
};

// The largest TXD written: chunk sizes are 32-bit words, and the reader
// takes no file of 2 GiB or more.
inline constexpr std::uint64_t largestTextureDictionary = (std::uint64_t{1} << 31) - 1;

// The bytes a texture takes in a dictionary, its chunk headers included.
std::uint64_t nativeTextureSize(const NativeTexture& texture);

// A TXD as the game's own ped dictionaries are laid out: a TexDictionary
// stamped 0x1803FFFF on every chunk, device id 2 (Direct3D 9), then one
// Direct3D 9 texture native per texture, in order, each with an empty
// Extension, and the dictionary's empty Extension. Filtering linear between
// mip levels, wrapped in U and V, as the DFF materials name them; the mask
// name empty. Throws std::invalid_argument for a texture the layout cannot
// hold (a name too long, levels that do not fit its size) and
// UserMessageError "テクスチャが多すぎます" past 65535 textures,
// "テクスチャが大きすぎます" past largestTextureDictionary.
ByteBlock writeTextureDictionary(const std::vector<NativeTexture>& textures);

}  // namespace zorvek

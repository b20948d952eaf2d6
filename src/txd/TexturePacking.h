#pragma once

#include "image/Image.h"
#include "txd/TextureDictionaryWriter.h"

#include <cstdint>
#include <span>
#include <string>

namespace zorvek {

inline constexpr std::uint32_t largestTextureSide = 2048;

enum class TextureFormat {
    Dxt,   // DXT1 for opaque images, DXT5 for images with transparent pixels
    Bgra,  // uncompressed: 8888 with transparent pixels, 888 without
};

struct TexturePackSettings {
    TextureFormat format = TextureFormat::Dxt;
    bool mipmaps = false;  // every level down to 1x1; the game's peds carry one
    std::uint32_t maxSide = largestTextureSide;
    // The largest dictionary the textures may make together: packing stops
    // there rather than holding more than can be written.
    std::uint64_t largestDictionary = largestTextureDictionary;
};

// The side a texture of this side gets: the nearest power of two (the larger
// of two as near), no larger than the cap, itself rounded down to a power of
// two and to largestTextureSide. A cap of 0 counts as 1.
std::uint32_t textureSide(std::uint32_t side, std::uint32_t maxSide);

// The image as a texture: resized to textureSide on each side, stored in the
// settings' format, with its mip levels when asked for. The alpha flag is set
// exactly when a pixel of the stored size is transparent.
NativeTexture packImage(const std::string& name, const Image& image, const TexturePackSettings& settings);

// An image file as a texture: a DDS by our reader, anything else by
// decodeImage. A DXT DDS whose sides are already the texture's keeps its
// blocks as they are (and its levels, when mip levels are asked for and it
// holds them all); the rest goes through packImage. Throws the readers'
// UserMessageErrors.
NativeTexture packImageFile(const std::string& name, std::span<const std::uint8_t> file,
                            const TexturePackSettings& settings);

}  // namespace zorvek

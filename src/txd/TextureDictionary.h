#pragma once

#include "base/Warnings.h"
#include "image/Image.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorvek {

struct Texture {
    std::string name;      // UTF-8, decoded from the file's Latin-1
    std::string maskName;  // the same; empty when the texture has no mask
    Image image;           // the largest mip level
};

struct TextureDictionary {
    std::uint16_t deviceId = 0;  // 1 Direct3D 8, 2 Direct3D 9, 0 none given
    std::vector<Texture> textures;
};

// The largest mip level as the file stores it. It views the file's bytes, so
// it lives no longer than they do. Everything that can be wrong with it was
// found when it was read: decoding it cannot fail.
struct StoredRaster {
    PixelEncoding encoding = PixelEncoding::Bgra8888;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::span<const std::uint8_t> pixels;   // exactly levelBytesNeeded bytes
    std::span<const std::uint8_t> palette;  // R, G, B, A entries; empty without a palette
    bool paletteAlpha = false;              // whether the palette's alpha counts
};

struct StoredTexture {
    std::string name;
    std::string maskName;
    StoredRaster raster;
};

// A dictionary read but not decoded: a model uses a few of a TXD's textures,
// and decoding is most of the cost of reading one.
struct StoredTextureDictionary {
    std::uint16_t deviceId = 0;
    std::vector<StoredTexture> textures;
};

// Reads the first texture dictionary of a TXD file (the padding real files
// carry after it is ignored) and decodes every PC texture, in file order.
// Textures of other platforms, or in pixel formats the PC games never use,
// are left out with a warning. Throws UserMessageError: "ファイルが壊れています
// (<open sections>)" for a file whose sizes or counts do not fit its bytes,
// "不明なRW Version IDです" for a stamp of no RenderWare 3 release, and
// "TextureDictionaryが見つかりません" when the file holds no dictionary.
TextureDictionary readTextureDictionary(std::span<const std::uint8_t> file, const WarningSink& warn);

// The same reading, with the same warnings and errors, leaving every texture
// undecoded.
StoredTextureDictionary readStoredTextureDictionary(std::span<const std::uint8_t> file, const WarningSink& warn);

// RGBA pixels of a stored level, as readTextureDictionary gives them.
Image decodeRaster(const StoredRaster& raster);
Texture decodeTexture(const StoredTexture& texture);

}  // namespace zorvek

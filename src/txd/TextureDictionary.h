#pragma once

#include "base/Warnings.h"
#include "image/Image.h"

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

// Reads the first texture dictionary of a TXD file (the padding real files
// carry after it is ignored) and decodes every PC texture, in file order.
// Textures of other platforms, or in pixel formats the PC games never use,
// are left out with a warning. Throws UserMessageError: "ファイルが壊れています
// (<open sections>)" for a file whose sizes or counts do not fit its bytes,
// "不明なRW Version IDです" for a stamp of no RenderWare 3 release, and
// "TextureDictionaryが見つかりません" when the file holds no dictionary.
TextureDictionary readTextureDictionary(std::span<const std::uint8_t> file, const WarningSink& warn);

}  // namespace zorvek

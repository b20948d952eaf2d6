#pragma once

#include "base/UserMessageError.h"
#include "support/ExpectError.h"
#include "support/txd/TxdBuilder.h"
#include "support/txd/TxdPixels.h"
#include "txd/TextureDictionary.h"

#include <string>
#include <vector>

namespace zorvek::test {

inline const std::string brokenStruct = "ファイルが壊れています (TextureDictionary\\TextureNative\\Struct)";
inline const std::string brokenDictionary = "ファイルが壊れています (TextureDictionary)";

struct ReadResult {
    TextureDictionary dictionary;
    std::vector<std::string> warnings;
};

inline ReadResult readTxd(const Bytes& file) {
    ReadResult result;
    result.dictionary =
        readTextureDictionary(file, [&result](const std::string& message) { result.warnings.push_back(message); });
    return result;
}

// The message of the UserMessageError reading throws, or noUserError.
inline std::string readError(const Bytes& file) {
    return userErrorOf([&] { readTextureDictionary(file, nullptr); });
}

inline TxdLayout txdOf(std::vector<TextureLayout> textures) {
    TxdLayout txd;
    txd.textures = std::move(textures);
    return txd;
}

// The one texture of a dictionary that must hold exactly one.
inline Texture onlyTexture(const TextureLayout& texture) {
    ReadResult result = readTxd(buildTxd(txdOf({texture})));
    if (result.dictionary.textures.size() != 1) {
        throw std::logic_error("expected one texture, read " + std::to_string(result.dictionary.textures.size()));
    }
    return std::move(result.dictionary.textures[0]);
}

inline std::vector<Rgba> pixelsOf(const Image& image) {
    std::vector<Rgba> pixels;
    for (std::size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        pixels.push_back({image.rgba[i], image.rgba[i + 1], image.rgba[i + 2], image.rgba[i + 3]});
    }
    return pixels;
}

}  // namespace zorvek::test

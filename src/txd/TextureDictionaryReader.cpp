#include "rw/ChunkHeader.h"
#include "rw/Section.h"
#include "txd/TextureDictionary.h"
#include "txd/TextureNativeReader.h"

namespace zorvek {

namespace {

struct DictionaryHead {
    std::uint16_t textureCount = 0;
    std::uint16_t deviceId = 0;
};

DictionaryHead readDictionaryHead(SectionInput& input) {
    const Section<SectionType::Struct> data(input);
    DictionaryHead head;
    head.textureCount = input.readU16();
    head.deviceId = input.readU16();
    return head;
}

}  // namespace

StoredTextureDictionary readStoredTextureDictionary(std::span<const std::uint8_t> file, const WarningSink& warn) {
    SectionInput input(file, StampRule::AnyRw3);
    const Section<SectionType::TextureDictionary> section(input);
    const DictionaryHead head = readDictionaryHead(input);
    // Every texture is a chunk of its own, at least a header long.
    input.requireBytes(std::uint64_t{head.textureCount} * chunkHeaderSize);
    StoredTextureDictionary dictionary;
    dictionary.deviceId = head.deviceId;
    for (std::size_t number = 1; number <= head.textureCount; ++number) {
        if (std::optional<StoredTexture> texture = readTextureNative(input, number, warn)) {
            dictionary.textures.push_back(std::move(*texture));
        }
    }
    return dictionary;
}

TextureDictionary readTextureDictionary(std::span<const std::uint8_t> file, const WarningSink& warn) {
    const StoredTextureDictionary stored = readStoredTextureDictionary(file, warn);
    TextureDictionary dictionary;
    dictionary.deviceId = stored.deviceId;
    dictionary.textures.reserve(stored.textures.size());
    for (const StoredTexture& texture : stored.textures) {
        dictionary.textures.push_back(decodeTexture(texture));
    }
    return dictionary;
}

}  // namespace zorvek

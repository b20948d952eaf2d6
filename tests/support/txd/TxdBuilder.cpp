#include "support/txd/TxdBuilder.h"

#include <stdexcept>

namespace zorvek::test {

namespace {

constexpr std::size_t nameFieldSize = 32;

Bytes nameField(const std::string& name, const std::optional<Bytes>& whole) {
    if (whole) {
        if (whole->size() != nameFieldSize) {
            throw std::logic_error("a test name field must be 32 bytes");
        }
        return *whole;
    }
    if (name.size() >= nameFieldSize) {
        throw std::logic_error("a test texture name must leave room for its zero byte");
    }
    Bytes field(name.begin(), name.end());
    field.resize(nameFieldSize, 0);
    return field;
}

void writeLevels(ByteWriter& out, const TextureLayout& texture) {
    for (std::size_t level = 0; level < texture.levels.size(); ++level) {
        const bool overridden = level < texture.levelSizes.size() && texture.levelSizes[level];
        const auto size = static_cast<std::uint32_t>(texture.levels[level].size());
        out.u32(overridden ? *texture.levelSizes[level] : size);
        out.bytes(texture.levels[level]);
    }
}

}  // namespace

Bytes textureNativeStruct(const TextureLayout& texture) {
    ByteWriter out;
    out.u32(texture.platform);
    if (texture.otherPlatformPayload) {
        return out.bytes(*texture.otherPlatformPayload).take();
    }
    out.u32(texture.filterFlags);
    out.bytes(nameField(texture.name, texture.nameField));
    out.bytes(nameField(texture.maskName, texture.maskField));
    out.u32(texture.rasterFormat).u32(texture.alphaOrD3dFormat);
    out.u16(texture.width).u16(texture.height);
    out.u8(texture.depth);
    out.u8(texture.levelCount.value_or(static_cast<std::uint8_t>(texture.levels.size())));
    out.u8(texture.rasterType).u8(texture.compressionOrFlags);
    out.bytes(texture.palette);
    writeLevels(out, texture);
    out.bytes(texture.trailing);
    return out.take();
}

Chunk textureNativeChunk(const TextureLayout& texture) {
    return containerChunk(SectionType::TextureNative,
                          {structChunk(textureNativeStruct(texture)), leafChunk(SectionType::Extension, {})});
}

Chunk textureDictionaryChunk(const TxdLayout& txd) {
    ByteWriter head;
    head.u16(txd.textureCount.value_or(static_cast<std::uint16_t>(txd.textures.size()))).u16(txd.deviceId);
    std::vector<Chunk> children{structChunk(head.take())};
    for (const TextureLayout& texture : txd.textures) {
        children.push_back(textureNativeChunk(texture));
    }
    children.push_back(leafChunk(SectionType::Extension, {}));
    Chunk dictionary = containerChunk(SectionType::TextureDictionary, std::move(children));
    stampAll(dictionary, txd.version);
    return dictionary;
}

void stampAll(Chunk& chunk, std::uint32_t version) {
    chunk.version = version;
    for (Chunk& child : chunk.children) {
        stampAll(child, version);
    }
}

Bytes buildTxd(const TxdLayout& txd) {
    Bytes file = serialize(textureDictionaryChunk(txd));
    if (txd.alignment > 1) {
        file.resize((file.size() + txd.alignment - 1) / txd.alignment * txd.alignment, 0);
    }
    return file;
}

}  // namespace zorvek::test

#include "txd/TextureDictionaryWriter.h"

#include "base/BlockWriter.h"
#include "base/UserMessageError.h"
#include "rw/ChunkHeader.h"
#include "rw/ChunkStreamWriter.h"
#include "rw/SectionType.h"

#include <stdexcept>

namespace zorvek {

namespace {

constexpr std::uint32_t platformD3D9 = 9;
constexpr std::uint16_t deviceD3D9 = 2;
// Linear filtering between mip levels (6), wrapped in U (1 << 8) and V (1 << 12).
constexpr std::uint32_t filterAndAddressing = 0x1106;
constexpr std::size_t nameFieldSize = 32;
constexpr std::uint8_t rasterTypeTexture = 4;
constexpr std::uint32_t rasterMipmaps = 0x8000;
constexpr std::uint8_t d3d9HasAlpha = 0x01;
constexpr std::uint8_t d3d9Compressed = 0x08;
constexpr std::uint64_t nativeStructFixed = 88;
constexpr std::uint64_t chunkHeader = 12;

constexpr std::uint32_t fourCC(const char (&text)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(text[0])} | std::uint32_t{static_cast<std::uint8_t>(text[1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(text[2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(text[3])} << 24;
}

struct FormatWords {
    std::uint32_t rasterFormat = 0;
    std::uint32_t d3dFormat = 0;
    std::uint8_t depth = 0;
    bool compressed = false;
};

// The raster format says what the blocks decode to, as RenderWare's own
// Direct3D 9 driver writes it: 565 for opaque DXT1, 1555 for DXT1 with
// cut-out pixels, 4444 for DXT3 and DXT5.
FormatWords formatWords(const NativeTexture& texture) {
    switch (texture.encoding) {
    case PixelEncoding::Bgra8888: return {0x0500, 21, 32, false};
    case PixelEncoding::Bgrx8888: return {0x0600, 22, 32, false};
    case PixelEncoding::Dxt1: return {texture.hasAlpha ? 0x0100u : 0x0200u, fourCC("DXT1"), 16, true};
    case PixelEncoding::Dxt3: return {0x0300, fourCC("DXT3"), 16, true};
    case PixelEncoding::Dxt5: return {0x0300, fourCC("DXT5"), 16, true};
    default: throw std::invalid_argument("writeTextureDictionary: an encoding the writer does not store");
    }
}

void checkTexture(const NativeTexture& texture) {
    if (texture.name.size() >= nameFieldSize) {
        throw std::invalid_argument("writeTextureDictionary: a name longer than 31 bytes");
    }
    if (texture.width == 0 || texture.height == 0 || texture.levels.empty() || texture.levels.size() > 255) {
        throw std::invalid_argument("writeTextureDictionary: a texture without a size or levels");
    }
    std::uint32_t width = texture.width;
    std::uint32_t height = texture.height;
    for (const Bytes& level : texture.levels) {
        if (level.size() != levelBytesNeeded(texture.encoding, width, height)) {
            throw std::invalid_argument("writeTextureDictionary: a level whose bytes do not match its size");
        }
        width = std::max<std::uint32_t>(1, width / 2);
        height = std::max<std::uint32_t>(1, height / 2);
    }
}

std::uint64_t structSize(const NativeTexture& texture) {
    std::uint64_t size = nativeStructFixed;
    for (const Bytes& level : texture.levels) {
        size += 4 + level.size();
    }
    return size;
}

void writeNative(ChunkStreamWriter& out, const NativeTexture& texture) {
    const FormatWords words = formatWords(texture);
    const std::uint64_t data = structSize(texture);
    out.chunk(SectionType::TextureNative, chunkHeader + data + chunkHeader);
    out.chunk(SectionType::Struct, data);
    out.u32(platformD3D9);
    out.u32(filterAndAddressing);
    out.fixedText(texture.name, nameFieldSize);
    out.fixedText("", nameFieldSize);
    out.u32(words.rasterFormat | (texture.levels.size() > 1 ? rasterMipmaps : 0));
    out.u32(words.d3dFormat);
    out.u16(texture.width);
    out.u16(texture.height);
    out.u8(words.depth);
    out.u8(static_cast<std::uint8_t>(texture.levels.size()));
    out.u8(rasterTypeTexture);
    out.u8(static_cast<std::uint8_t>((texture.hasAlpha ? d3d9HasAlpha : 0) | (words.compressed ? d3d9Compressed : 0)));
    for (const Bytes& level : texture.levels) {
        out.u32(static_cast<std::uint32_t>(level.size()));
        out.bytes(level);
    }
    out.chunk(SectionType::Extension, 0);
}

}  // namespace

std::uint64_t nativeTextureSize(const NativeTexture& texture) {
    return chunkHeader + chunkHeader + structSize(texture) + chunkHeader;
}

ByteBlock writeTextureDictionary(const std::vector<NativeTexture>& textures) {
    if (textures.size() > 0xFFFF) {
        throw UserMessageError("テクスチャが多すぎます");
    }
    std::uint64_t contents = chunkHeader + 4 + chunkHeader;
    for (const NativeTexture& texture : textures) {
        checkTexture(texture);
        formatWords(texture);
        contents += nativeTextureSize(texture);
    }
    if (chunkHeader + contents > largestTextureDictionary) {
        throw UserMessageError("テクスチャが大きすぎます");
    }
    ChunkStreamWriter out(static_cast<std::size_t>(chunkHeader + contents));
    out.chunk(SectionType::TextureDictionary, contents);
    out.chunk(SectionType::Struct, 4);
    out.u16(static_cast<std::uint16_t>(textures.size()));
    out.u16(deviceD3D9);
    for (const NativeTexture& texture : textures) {
        writeNative(out, texture);
    }
    out.chunk(SectionType::Extension, 0);
    return out.finish();
}

}  // namespace zorvek

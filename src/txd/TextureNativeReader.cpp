#include "txd/TextureNativeReader.h"

#include "rw/Section.h"
#include "txd/NativeRasterHeader.h"
#include "txd/PalettePixels.h"
#include "txd/PixelEncoding.h"

#include <cstdio>
#include <string>

namespace zorvek {

namespace {

// Texture natives of the console ports: the PS2 one is a FourCC.
constexpr std::uint32_t platformXbox = 5;
constexpr std::uint32_t platformPs2 = 0x00325350;

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string platformName(std::uint32_t platform) {
    switch (platform) {
    case platformPs2: return "PS2";
    case platformXbox: return "Xbox";
    default: return hex(platform, 8);
    }
}

std::string notPcMessage(std::size_t number, std::uint32_t platform) {
    return "TXDの" + std::to_string(number) +
           "番目のテクスチャはPC用ではないため読み込みません (プラットフォーム: " + platformName(platform) + ")";
}

std::string unsupportedMessage(const NativeRasterHeader& header) {
    const std::string detail = header.platform == platformD3D8 ? "圧縮: " + std::to_string(header.compressionOrFlags)
                                                               : "D3D形式: " + hex(header.alphaOrD3dFormat, 8);
    return "テクスチャ「" + header.name +
           "」は対応していない形式のため読み込みません (ラスター形式: " + hex(header.rasterFormat, 4) + ", " + detail +
           ")";
}

void report(const WarningSink& warn, const std::string& message) {
    if (warn) {
        warn(message);
    }
}

std::span<const std::uint8_t> readPalette(SectionInput& input, const NativeRasterHeader& header,
                                          PixelEncoding encoding) {
    if (encoding == PixelEncoding::Pal8) {
        return input.readView(pal8Entries * 4);
    }
    if (encoding != PixelEncoding::Pal4) {
        return {};
    }
    const std::uint64_t start = input.tell();
    const std::span<const std::uint8_t> rest = input.readView(input.bytesLeftInSection());
    input.seek(start);
    return input.readView(pal4EntriesIn(rest, header.levelCount) * 4);
}

// Direct3D has no 4-bit textures: its drivers store one index byte a pixel
// whatever the depth says. Only a depth-4 level too short for that is read as
// packed nibbles.
PixelEncoding storedEncoding(PixelEncoding encoding, const NativeRasterHeader& header, std::uint32_t levelSize) {
    if (encoding == PixelEncoding::Pal4 && header.depth == 4 &&
        levelSize < levelBytesNeeded(PixelEncoding::Pal4, header.width, header.height)) {
        return PixelEncoding::Pal4Packed;
    }
    return encoding;
}

// The palette and the first level, checked so that decoding cannot fail.
StoredRaster readLargestLevel(SectionInput& input, const NativeRasterHeader& header, PixelEncoding encoding) {
    StoredRaster raster;
    raster.width = header.width;
    raster.height = header.height;
    raster.palette = readPalette(input, header, encoding);
    raster.paletteAlpha = rasterFormatHasAlpha(header.rasterFormat);
    const std::uint32_t levelSize = input.readU32();
    const std::span<const std::uint8_t> level = input.readView(levelSize);
    raster.encoding = storedEncoding(encoding, header, levelSize);
    const std::uint64_t needed = levelBytesNeeded(raster.encoding, header.width, header.height);
    if (needed > level.size()) {
        input.failMalformed();
    }
    raster.pixels = level.first(static_cast<std::size_t>(needed));
    if (isPaletted(raster.encoding) &&
        !paletteIndicesFit(raster.encoding, raster.width, raster.height, raster.pixels, raster.palette.size() / 4)) {
        input.failMalformed();
    }
    return raster;
}

// The smaller levels are not decoded, but a file that claims more than it
// holds is broken all the same.
void skipSmallerLevels(SectionInput& input, std::uint32_t levelCount) {
    for (std::uint32_t level = 1; level < levelCount; ++level) {
        input.skipInSection(input.readU32());
    }
}

}  // namespace

std::optional<StoredTexture> readTextureNative(SectionInput& input, std::size_t number, const WarningSink& warn) {
    const Section<SectionType::TextureNative> native(input);
    const Section<SectionType::Struct> data(input);
    const std::uint32_t platform = input.readU32();
    if (platform != platformD3D8 && platform != platformD3D9) {
        report(warn, notPcMessage(number, platform));
        return std::nullopt;
    }
    const NativeRasterHeader header = readNativeRasterHeader(input, platform);
    if (header.width == 0 || header.height == 0 || header.levelCount == 0) {
        input.failMalformed();
    }
    const std::optional<PixelEncoding> encoding = pixelEncodingOf(header);
    if (!encoding) {
        report(warn, unsupportedMessage(header));
        return std::nullopt;
    }
    StoredTexture texture{header.name, header.maskName, readLargestLevel(input, header, *encoding)};
    skipSmallerLevels(input, header.levelCount);
    return texture;
}

}  // namespace zorvek

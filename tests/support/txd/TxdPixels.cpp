#include "support/txd/TxdPixels.h"

#include <squish.h>

#include <algorithm>
#include <stdexcept>

namespace zorvek::test {

namespace {

struct FormatInfo {
    std::uint32_t rasterFormat;
    std::uint32_t d3dFormat;
    std::uint8_t depth;
    std::uint8_t d3d8Compression;
};

constexpr std::uint32_t d3dFormatP8 = 41;

FormatInfo infoOf(TxdPixelFormat format) {
    switch (format) {
    case TxdPixelFormat::Argb1555: return {raster1555, 25, 16, 0};
    case TxdPixelFormat::Rgb565: return {raster565, 23, 16, 0};
    case TxdPixelFormat::Argb4444: return {raster4444, 26, 16, 0};
    case TxdPixelFormat::Xrgb1555: return {raster555, 24, 16, 0};
    case TxdPixelFormat::Lum8: return {rasterLum8, 50, 8, 0};
    case TxdPixelFormat::Bgra8888: return {raster8888, 21, 32, 0};
    case TxdPixelFormat::Bgrx8888: return {raster888, 22, 32, 0};
    case TxdPixelFormat::Pal8: return {rasterPalette8 | raster8888, d3dFormatP8, 8, 0};
    case TxdPixelFormat::Pal4:
    case TxdPixelFormat::Pal4Packed: return {rasterPalette4 | raster8888, d3dFormatP8, 4, 0};
    case TxdPixelFormat::Dxt1: return {raster565, fourCC("DXT1"), 16, 1};
    case TxdPixelFormat::Dxt3: return {raster4444, fourCC("DXT3"), 16, 3};
    case TxdPixelFormat::Dxt5: return {raster4444, fourCC("DXT5"), 16, 5};
    }
    throw std::logic_error("unknown test pixel format");
}

std::uint16_t word1555(const std::uint8_t* p, bool alpha) {
    return static_cast<std::uint16_t>((alpha && p[3] >= 128 ? 0x8000 : 0) | (p[0] >> 3) << 10 | (p[1] >> 3) << 5 |
                                      p[2] >> 3);
}

std::uint16_t word565(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
}

std::uint16_t word4444(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[3] >> 4) << 12 | (p[0] >> 4) << 8 | (p[1] >> 4) << 4 | p[2] >> 4);
}

void appendPixel(ByteWriter& out, const std::uint8_t* p, TxdPixelFormat format) {
    switch (format) {
    case TxdPixelFormat::Argb1555: out.u16(word1555(p, true)); break;
    case TxdPixelFormat::Xrgb1555: out.u16(word1555(p, false)); break;
    case TxdPixelFormat::Rgb565: out.u16(word565(p)); break;
    case TxdPixelFormat::Argb4444: out.u16(word4444(p)); break;
    case TxdPixelFormat::Lum8: out.u8(p[0]); break;
    case TxdPixelFormat::Bgra8888: out.u8(p[2]).u8(p[1]).u8(p[0]).u8(p[3]); break;
    case TxdPixelFormat::Bgrx8888: out.u8(p[2]).u8(p[1]).u8(p[0]).u8(0xA5); break;
    default: throw std::logic_error("not a direct-colour test format");
    }
}

Bytes packNibbles(const Bytes& indices, std::uint32_t width, std::uint32_t height) {
    const std::size_t rowBytes = (std::size_t{width} + 1) / 2;
    Bytes packed(rowBytes * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t index = indices[y * width + x];
            packed[y * rowBytes + x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index : index << 4);
        }
    }
    return packed;
}

Bytes levelOf(const Image& image, TxdPixelFormat format, Bytes& palette) {
    switch (format) {
    case TxdPixelFormat::Pal8:
    case TxdPixelFormat::Pal4:
    case TxdPixelFormat::Pal4Packed: {
        const bool packed = format == TxdPixelFormat::Pal4Packed;
        const std::size_t entries = format == TxdPixelFormat::Pal8 ? 256 : packed ? 16 : 32;
        PalettedPixels pixels = palettize(image, entries, packed);
        palette = std::move(pixels.palette);
        return std::move(pixels.indices);
    }
    case TxdPixelFormat::Dxt1: return compressDxt(image, squish::kDxt1);
    case TxdPixelFormat::Dxt3: return compressDxt(image, squish::kDxt3);
    case TxdPixelFormat::Dxt5: return compressDxt(image, squish::kDxt5);
    default: return directPixels(image, format);
    }
}

TextureLayout textureOf(const std::string& name, const Image& image, TxdPixelFormat format) {
    const FormatInfo info = infoOf(format);
    TextureLayout texture;
    texture.name = name;
    texture.rasterFormat = info.rasterFormat;
    texture.width = static_cast<std::uint16_t>(image.width);
    texture.height = static_cast<std::uint16_t>(image.height);
    texture.depth = info.depth;
    texture.levels.push_back(levelOf(image, format, texture.palette));
    return texture;
}

bool isDxt(TxdPixelFormat format) {
    return format == TxdPixelFormat::Dxt1 || format == TxdPixelFormat::Dxt3 || format == TxdPixelFormat::Dxt5;
}

}  // namespace

Image makeImage(std::uint32_t width, std::uint32_t height, const std::vector<Rgba>& pixels, bool hasAlpha) {
    if (pixels.size() != std::size_t{width} * height) {
        throw std::logic_error("test image pixel count does not match its size");
    }
    Image image{width, height, hasAlpha, {}};
    for (const Rgba& pixel : pixels) {
        image.rgba.insert(image.rgba.end(), pixel.begin(), pixel.end());
    }
    return image;
}

Bytes directPixels(const Image& image, TxdPixelFormat format) {
    ByteWriter out;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        appendPixel(out, &image.rgba[i], format);
    }
    return out.take();
}

PalettedPixels palettize(const Image& image, std::size_t entries, bool packed) {
    std::vector<Rgba> colours;
    Bytes indices;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        const Rgba colour{image.rgba[i], image.rgba[i + 1], image.rgba[i + 2], image.rgba[i + 3]};
        auto found = std::find(colours.begin(), colours.end(), colour);
        if (found == colours.end()) {
            colours.push_back(colour);
            found = colours.end() - 1;
        }
        indices.push_back(static_cast<std::uint8_t>(found - colours.begin()));
    }
    if (colours.size() > (packed ? std::size_t{16} : entries)) {
        throw std::logic_error("test image has too many colours for its palette");
    }
    PalettedPixels result;
    result.palette.assign(entries * 4, 0);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        std::copy(colours[i].begin(), colours[i].end(), result.palette.begin() + static_cast<std::ptrdiff_t>(i * 4));
    }
    result.indices = packed ? packNibbles(indices, image.width, image.height) : std::move(indices);
    return result;
}

Bytes compressDxt(const Image& image, int squishFlags) {
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    Bytes blocks(static_cast<std::size_t>(squish::GetStorageRequirements(width, height, squishFlags)));
    squish::CompressImage(image.rgba.data(), width, height, blocks.data(), squishFlags);
    return blocks;
}

TextureLayout d3d8Texture(const std::string& name, const Image& image, TxdPixelFormat format) {
    TextureLayout texture = textureOf(name, image, format);
    texture.platform = d3d8Platform;
    texture.alphaOrD3dFormat = image.hasAlpha ? 1 : 0;
    texture.compressionOrFlags = infoOf(format).d3d8Compression;
    return texture;
}

TextureLayout d3d9Texture(const std::string& name, const Image& image, TxdPixelFormat format) {
    TextureLayout texture = textureOf(name, image, format);
    texture.platform = d3d9Platform;
    texture.alphaOrD3dFormat = infoOf(format).d3dFormat;
    texture.compressionOrFlags =
        static_cast<std::uint8_t>((image.hasAlpha ? d3d9HasAlpha : 0) | (isDxt(format) ? d3d9Compressed : 0));
    return texture;
}

}  // namespace zorvek::test

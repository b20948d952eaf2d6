#include "txd/TexturePacking.h"

#include "image/ImageDecoder.h"
#include "image/ImageResize.h"
#include "txd/DdsReader.h"
#include "txd/DxtEncoder.h"

#include <algorithm>
#include <bit>

namespace zorvek {

namespace {

Bytes bgraLevel(const Image& image, bool keepAlpha) {
    Bytes pixels(image.rgba.size());
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = image.rgba[i + 2];
        pixels[i + 1] = image.rgba[i + 1];
        pixels[i + 2] = image.rgba[i];
        pixels[i + 3] = keepAlpha ? image.rgba[i + 3] : 255;
    }
    return pixels;
}

Bytes storedLevel(const Image& image, PixelEncoding encoding) {
    switch (encoding) {
    case PixelEncoding::Bgra8888: return bgraLevel(image, true);
    case PixelEncoding::Bgrx8888: return bgraLevel(image, false);
    default: return encodeDxt(image, encoding);
    }
}

PixelEncoding encodingFor(TextureFormat format, bool transparent) {
    if (format == TextureFormat::Bgra) {
        return transparent ? PixelEncoding::Bgra8888 : PixelEncoding::Bgrx8888;
    }
    return transparent ? PixelEncoding::Dxt5 : PixelEncoding::Dxt1;
}

std::uint32_t levelCountFor(std::uint32_t width, std::uint32_t height, bool mipmaps) {
    return mipmaps ? static_cast<std::uint32_t>(std::bit_width(std::max(width, height))) : 1;
}

}  // namespace

std::uint32_t textureSide(std::uint32_t side, std::uint32_t maxSide) {
    const std::uint32_t cap = std::bit_floor(std::clamp<std::uint32_t>(maxSide, 1, largestTextureSide));
    if (side >= cap) {
        return cap;
    }
    const std::uint32_t below = std::bit_floor(std::max<std::uint32_t>(side, 1));
    if (below == side) {
        return side;
    }
    const std::uint32_t above = below * 2;
    return std::min(side - below < above - side ? below : above, cap);
}

NativeTexture packImage(const std::string& name, const Image& image, const TexturePackSettings& settings) {
    const std::uint32_t width = textureSide(image.width, settings.maxSide);
    const std::uint32_t height = textureSide(image.height, settings.maxSide);
    Image level = resizeImage(image, width, height);
    NativeTexture texture;
    texture.name = name;
    texture.hasAlpha = anyPixelTransparent(level.rgba);
    texture.encoding = encodingFor(settings.format, texture.hasAlpha);
    texture.width = static_cast<std::uint16_t>(width);
    texture.height = static_cast<std::uint16_t>(height);
    const std::uint32_t levels = levelCountFor(width, height, settings.mipmaps);
    for (std::uint32_t l = 0; l < levels; ++l) {
        if (l > 0) {
            level = resizeImage(level, std::max<std::uint32_t>(1, level.width / 2),
                                std::max<std::uint32_t>(1, level.height / 2));
        }
        texture.levels.push_back(storedLevel(level, texture.encoding));
    }
    return texture;
}

NativeTexture packImageFile(const std::string& name, std::span<const std::uint8_t> file,
                            const TexturePackSettings& settings) {
    if (!looksLikeDds(file)) {
        return packImage(name, decodeImage(file), settings);
    }
    const DdsImage dds = readDds(file);
    const bool blocks = dds.encoding != PixelEncoding::Bgra8888;
    const bool sized = textureSide(dds.width, settings.maxSide) == dds.width &&
                       textureSide(dds.height, settings.maxSide) == dds.height;
    const std::uint32_t levels = levelCountFor(dds.width, dds.height, settings.mipmaps);
    if (!blocks || !sized || settings.format != TextureFormat::Dxt || dds.levels.size() < levels) {
        return packImage(name, dds.image, settings);
    }
    NativeTexture texture;
    texture.name = name;
    texture.encoding = dds.encoding;
    texture.hasAlpha = dds.image.hasAlpha;
    texture.width = static_cast<std::uint16_t>(dds.width);
    texture.height = static_cast<std::uint16_t>(dds.height);
    for (std::uint32_t l = 0; l < levels; ++l) {
        texture.levels.emplace_back(dds.levels[l].begin(), dds.levels[l].end());
    }
    return texture;
}

}  // namespace zorvek

#include "txd/PalettePixels.h"

#include <algorithm>

namespace zorvek {

namespace {

std::uint32_t wordAt(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
    return std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
           std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24;
}

bool levelsEndExactly(std::span<const std::uint8_t> rest, std::uint64_t paletteBytes, std::uint32_t levelCount) {
    std::uint64_t offset = paletteBytes;
    for (std::uint32_t level = 0; level < levelCount; ++level) {
        if (offset + 4 > rest.size()) {
            return false;
        }
        offset += 4 + std::uint64_t{wordAt(rest, offset)};
    }
    return offset == rest.size();
}

std::uint8_t indexAt(PixelEncoding encoding, std::span<const std::uint8_t> indices, std::size_t x, std::size_t y,
                     std::size_t width) {
    if (encoding != PixelEncoding::Pal4Packed) {
        return indices[y * width + x];
    }
    const std::uint8_t pair = indices[y * ((width + 1) / 2) + x / 2];
    return x % 2 == 0 ? pair & 0x0F : pair >> 4;
}

}  // namespace

std::size_t pal4EntriesIn(std::span<const std::uint8_t> rest, std::uint32_t levelCount) {
    const bool stored32 = levelsEndExactly(rest, pal4StoredEntries * 4, levelCount);
    const bool stored16 = levelsEndExactly(rest, pal4Entries * 4, levelCount);
    return stored16 && !stored32 ? pal4Entries : pal4StoredEntries;
}

bool isPaletted(PixelEncoding encoding) {
    return encoding == PixelEncoding::Pal8 || encoding == PixelEncoding::Pal4 || encoding == PixelEncoding::Pal4Packed;
}

bool paletteIndicesFit(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                       std::span<const std::uint8_t> indices, std::size_t entries) {
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            if (indexAt(encoding, indices, x, y, width) >= entries) {
                return false;
            }
        }
    }
    return true;
}

std::optional<Image> decodePalettePixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                                         std::span<const std::uint8_t> indices, std::span<const std::uint8_t> palette,
                                         bool paletteAlpha) {
    const std::size_t entries = palette.size() / 4;
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t{width} * height * 4);
    auto out = image.rgba.begin();
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t index = indexAt(encoding, indices, x, y, width);
            if (index >= entries) {
                return std::nullopt;
            }
            out = std::copy_n(palette.begin() + static_cast<std::ptrdiff_t>(index * 4), 3, out);
            *out++ = paletteAlpha ? palette[index * 4 + 3] : 255;
        }
    }
    image.hasAlpha = anyPixelTransparent(image.rgba);
    return image;
}

}  // namespace zorvek

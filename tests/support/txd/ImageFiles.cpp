#include "support/txd/ImageFiles.h"

#include "support/txd/TxdPixels.h"

#include <squish.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace zorvek::test {

namespace {

constexpr std::uint32_t fourCCOf(const char (&text)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(text[0])} | std::uint32_t{static_cast<std::uint8_t>(text[1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(text[2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(text[3])} << 24;
}

void u32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

bool isDxt(DdsPixels pixels) {
    return pixels == DdsPixels::Dxt1 || pixels == DdsPixels::Dxt3 || pixels == DdsPixels::Dxt5;
}

Image halved(const Image& image) {
    Image half;
    half.width = std::max<std::uint32_t>(1, image.width / 2);
    half.height = std::max<std::uint32_t>(1, image.height / 2);
    half.hasAlpha = image.hasAlpha;
    for (std::uint32_t y = 0; y < half.height; ++y) {
        for (std::uint32_t x = 0; x < half.width; ++x) {
            const std::size_t from =
                (std::size_t{y * (image.height / half.height)} * image.width + x * (image.width / half.width)) * 4;
            half.rgba.insert(half.rgba.end(), image.rgba.begin() + static_cast<std::ptrdiff_t>(from),
                             image.rgba.begin() + static_cast<std::ptrdiff_t>(from + 4));
        }
    }
    return half;
}

Bytes levelOf(const Image& image, DdsPixels pixels) {
    switch (pixels) {
    case DdsPixels::Dxt1: return compressDxt(image, squish::kDxt1);
    case DdsPixels::Dxt3: return compressDxt(image, squish::kDxt3);
    case DdsPixels::Dxt5: return compressDxt(image, squish::kDxt5);
    default: break;
    }
    Bytes out;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        const std::uint8_t r = image.rgba[i], g = image.rgba[i + 1], b = image.rgba[i + 2], a = image.rgba[i + 3];
        if (pixels == DdsPixels::Abgr8888) {
            out.insert(out.end(), {r, g, b, a});
        } else {
            out.insert(out.end(), {b, g, r, pixels == DdsPixels::Xrgb8888 ? std::uint8_t{0x5A} : a});
        }
    }
    return out;
}

}  // namespace

Bytes jpgFile(const Image& image, int quality) {
    Bytes out;
    const auto append = [](void* context, void* data, int size) {
        auto* bytes = static_cast<Bytes*>(context);
        const auto* from = static_cast<const std::uint8_t*>(data);
        bytes->insert(bytes->end(), from, from + size);
    };
    if (stbi_write_jpg_to_func(append, &out, static_cast<int>(image.width), static_cast<int>(image.height), 4,
                               image.rgba.data(), quality) == 0) {
        throw std::runtime_error("stb could not write the JPG");
    }
    return out;
}

Bytes ddsFile(const DdsLayout& layout) {
    Bytes out{'D', 'D', 'S', ' '};
    u32(out, layout.headerSize);
    const std::uint32_t caps = 0x1 | 0x2 | 0x4 | 0x1000;
    u32(out, caps | (layout.mipMapCount > 1 ? 0x20000 : 0));
    u32(out, layout.height);
    u32(out, layout.width);
    u32(out, 0);  // pitch or linear size, which readers recompute
    u32(out, 0);
    u32(out, layout.mipMapCount);
    for (int i = 0; i < 11; ++i) {
        u32(out, 0);
    }
    u32(out, layout.pixelFormatSize);
    std::uint32_t code = layout.fourCC;
    switch (layout.pixels) {
    case DdsPixels::Dxt1: code = code != 0 ? code : fourCCOf("DXT1"); break;
    case DdsPixels::Dxt3: code = code != 0 ? code : fourCCOf("DXT3"); break;
    case DdsPixels::Dxt5: code = code != 0 ? code : fourCCOf("DXT5"); break;
    default: break;
    }
    if (isDxt(layout.pixels)) {
        u32(out, 0x4);
        u32(out, code);
        for (int i = 0; i < 5; ++i) {
            u32(out, 0);
        }
    } else {
        const bool alpha = layout.pixels != DdsPixels::Xrgb8888;
        u32(out, 0x40 | (alpha ? 0x1 : 0));
        u32(out, 0);
        u32(out, layout.bitCount);
        if (layout.pixels == DdsPixels::Abgr8888) {
            u32(out, 0x000000FF);
            u32(out, 0x0000FF00);
            u32(out, 0x00FF0000);
        } else {
            u32(out, 0x00FF0000);
            u32(out, 0x0000FF00);
            u32(out, 0x000000FF);
        }
        u32(out, alpha ? 0xFF000000 : 0);
    }
    u32(out, 0x1000 | (layout.mipMapCount > 1 ? 0x400008 : 0));
    for (int i = 0; i < 4; ++i) {
        u32(out, 0);
    }
    for (const Bytes& level : layout.levels) {
        out.insert(out.end(), level.begin(), level.end());
    }
    return out;
}

Bytes ddsOf(const Image& image, DdsPixels pixels, std::uint32_t levels) {
    DdsLayout layout;
    layout.pixels = pixels;
    layout.width = image.width;
    layout.height = image.height;
    layout.mipMapCount = levels;
    Image level = image;
    for (std::uint32_t l = 0; l < levels; ++l) {
        layout.levels.push_back(levelOf(level, pixels));
        level = halved(level);
    }
    return ddsFile(layout);
}

Image paintedImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed, bool transparent) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t{width} * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* pixel = &image.rgba[(std::size_t{y} * width + x) * 4];
            // Shading along one colour line with a soft weave over it, as skin
            // and cloth are painted: what DXT's two colours a block hold well.
            const std::uint32_t shade = (x * 600 / width + y * 400 / height) / 10;
            const std::uint32_t weave = ((x / 8 + y / 8 + seed) % 4) * 6;
            pixel[0] = static_cast<std::uint8_t>(60 + shade * 15 / 10 + weave);
            pixel[1] = static_cast<std::uint8_t>(40 + shade * 12 / 10 + weave);
            pixel[2] = static_cast<std::uint8_t>(30 + shade + weave + seed % 20);
            pixel[3] =
                transparent ? static_cast<std::uint8_t>(255 - x * 255 / std::max<std::uint32_t>(1, width - 1)) : 255;
        }
    }
    image.hasAlpha = transparent;
    return image;
}

ImageDifference difference(const Image& a, const Image& b, bool ignoreAlpha) {
    ImageDifference d;
    d.sameSize = a.width == b.width && a.height == b.height && a.rgba.size() == b.rgba.size();
    if (!d.sameSize) {
        d.rms = 1e9;
        d.largest = 255;
        return d;
    }
    double sum = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) {
        const bool alpha = i % 4 == 3;
        const int from = alpha && ignoreAlpha ? 255 : a.rgba[i];
        const int to = alpha && ignoreAlpha ? 255 : b.rgba[i];
        const int delta = std::abs(from - to);
        d.largest = std::max(d.largest, delta);
        sum += double(delta) * delta;
    }
    d.rms = std::sqrt(sum / double(a.rgba.size()));
    return d;
}

}  // namespace zorvek::test

#include "image/ImageEncoder.h"

#include "base/UserMessageError.h"

#include <stdexcept>

// Our own copy of the encoder, with internal linkage, so no other copy in the
// process can change its settings or its output.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace zorvek {

namespace {

// stb sizes its buffers and headers with int: the largest RGBA row-plus-filter
// buffer must stay well inside it.
constexpr std::uint64_t maxPixels = std::uint64_t{1} << 28;

void checkImage(const Image& image) {
    const std::uint64_t pixels = std::uint64_t{image.width} * image.height;
    if (pixels == 0) {
        throw std::invalid_argument("an image needs a width and a height");
    }
    if (pixels > maxPixels || image.width > maxPixels || image.height > maxPixels) {
        throw UserMessageError("画像が大きすぎます");
    }
    if (image.rgba.size() != pixels * 4) {
        throw std::invalid_argument("image pixels do not match its dimensions");
    }
}

Bytes rgbOf(const Image& image) {
    Bytes rgb;
    rgb.reserve(image.rgba.size() / 4 * 3);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        rgb.insert(rgb.end(), image.rgba.begin() + static_cast<std::ptrdiff_t>(i),
                   image.rgba.begin() + static_cast<std::ptrdiff_t>(i + 3));
    }
    return rgb;
}

void appendTo(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

int writeWithStb(Bytes& out, ImageFormat format, int width, int height, int channels, const std::uint8_t* pixels) {
    switch (format) {
    case ImageFormat::Png:
        return stbi_write_png_to_func(appendTo, &out, width, height, channels, pixels, width * channels);
    case ImageFormat::Bmp:
        return stbi_write_bmp_to_func(appendTo, &out, width, height, channels, pixels);
    case ImageFormat::Tga:
        return stbi_write_tga_to_func(appendTo, &out, width, height, channels, pixels);
    }
    return 0;
}

}  // namespace

Bytes encodeImage(const Image& image, ImageFormat format) {
    checkImage(image);
    const int channels = image.hasAlpha ? 4 : 3;
    const Bytes rgb = image.hasAlpha ? Bytes() : rgbOf(image);
    const std::uint8_t* pixels = image.hasAlpha ? image.rgba.data() : rgb.data();
    Bytes out;
    if (writeWithStb(out, format, static_cast<int>(image.width), static_cast<int>(image.height), channels, pixels) ==
        0) {
        throw UserMessageError("画像を作成できませんでした");
    }
    return out;
}

void writeImageFile(const std::filesystem::path& path, const Image& image, ImageFormat format) {
    writeFileAtomically(path, encodeImage(image, format));
}

}  // namespace zorvek

#include "image/ImageEncoder.h"

#include "base/UserMessageError.h"
#include "image/PngEncoder.h"

#include <stdexcept>

// Our own copy of the encoder for BMP and TGA, with internal linkage, so no
// other copy in the process can change its settings or its output.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace zorvek {

namespace {

// stb sizes its buffers and headers with int: the largest RGBA row-plus-filter
// buffer must stay well inside it.
constexpr std::uint64_t maxPixels = std::uint64_t{1} << 28;

// The largest header stb writes: BMP's file header and its V4 bitmap header.
constexpr std::size_t largestHeader = 14 + 108;

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
    const std::size_t pixels = image.rgba.size() / 4;
    Bytes rgb(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) {
        rgb[i * 3] = image.rgba[i * 4];
        rgb[i * 3 + 1] = image.rgba[i * 4 + 1];
        rgb[i * 3 + 2] = image.rgba[i * 4 + 2];
    }
    return rgb;
}

// At most what either format can take: a byte more a pixel than its channels
// (TGA's run-length packets at their worst) and BMP's row padding.
std::size_t boundOf(const Image& image, int channels) {
    const std::size_t row = std::size_t{image.width} * static_cast<std::size_t>(channels + 1) + 3;
    return largestHeader + row * image.height;
}

// stb hands its output over 64 bytes at a time into room reserved once.
void appendTo(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

Bytes encodeWithStb(const Image& image, ImageFormat format) {
    const int channels = image.hasAlpha ? 4 : 3;
    const Bytes rgb = image.hasAlpha ? Bytes() : rgbOf(image);
    const std::uint8_t* pixels = image.hasAlpha ? image.rgba.data() : rgb.data();
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    Bytes out;
    out.reserve(boundOf(image, channels));
    const int written = format == ImageFormat::Bmp
                            ? stbi_write_bmp_to_func(appendTo, &out, width, height, channels, pixels)
                            : stbi_write_tga_to_func(appendTo, &out, width, height, channels, pixels);
    if (written == 0) {
        throw UserMessageError("画像を作成できませんでした");
    }
    return out;
}

}  // namespace

Bytes encodeImage(const Image& image, ImageFormat format) {
    checkImage(image);
    return format == ImageFormat::Png ? encodePng(image) : encodeWithStb(image, format);
}

void writeImageFile(const std::filesystem::path& path, const Image& image, ImageFormat format) {
    writeFileAtomically(path, encodeImage(image, format));
}

}  // namespace zorvek

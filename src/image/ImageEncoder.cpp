#include "image/ImageEncoder.h"

#include "base/UserMessageError.h"

#include <stdexcept>

#include <zlib.h>

#include <cstdlib>

namespace {

// PNG's deflate streams come from zlib rather than stb's own compressor, which
// takes several times as long for larger files: textures are written on every
// conversion. Both builds link zlib 1.2.13 (Debian's zlib1g and its mingw-w64
// build), so the bytes are the same on every platform.
constexpr int pngDeflateLevel = 6;

unsigned char* deflateWithZlib(unsigned char* data, int size, int* outSize, int /*stbQuality*/) {
    uLongf capacity = compressBound(static_cast<uLong>(size));
    auto* out = static_cast<unsigned char*>(std::malloc(capacity));
    if (out == nullptr) {
        return nullptr;
    }
    if (compress2(out, &capacity, data, static_cast<uLong>(size), pngDeflateLevel) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outSize = static_cast<int>(capacity);
    return out;
}

}  // namespace

// Our own copy of the encoder, with internal linkage, so no other copy in the
// process can change its settings or its output.
#define STBIW_ZLIB_COMPRESS deflateWithZlib
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
    out->reserve(out->size() + static_cast<std::size_t>(size));
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
    // One filter for every row: stb's choice among all five per row costs more
    // than it saves, and Paeth suits decoded textures best.
    static const bool filterChosen = (stbi_write_force_png_filter = 4, true);
    (void)filterChosen;
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

#include "sample/PngWriter.h"

#include <png.h>

#include <cstddef>
#include <new>
#include <stdexcept>

namespace zorvek::sample {

namespace {

void appendToBytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    // libpng reports errors by a long jump, which must not cross the try block.
    if (failed) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

// Nothing with a destructor lives in this frame: libpng's errors jump out of it.
bool writeImage(png_structp png, png_infop info, const RgbImage& image) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) {
        png_write_row(png, image.pixels.data() + stride * static_cast<std::size_t>(y));
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

Bytes encodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
        throw std::invalid_argument("image size does not match its pixels");
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    Bytes bytes;
    png_set_write_fn(png, &bytes, appendToBytes, flushNothing);
    const bool written = writeImage(png, info, image);
    png_destroy_write_struct(&png, &info);
    if (!written) {
        throw std::runtime_error("the PNG encoder failed");
    }
    return bytes;
}

}  // namespace zorvek::sample

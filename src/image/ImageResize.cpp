#include "image/ImageResize.h"

#include <stdexcept>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>

namespace zorvek {

Image resizeImage(const Image& image, std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || image.rgba.size() != std::size_t{image.width} * image.height * 4) {
        throw std::invalid_argument("resizeImage: empty size or pixels that do not match the image");
    }
    if (width == image.width && height == image.height) {
        return image;
    }
    Image resized;
    resized.width = width;
    resized.height = height;
    resized.rgba.resize(std::size_t{width} * height * 4);
    // Linear colour space: stb's sRGB mode would take the bytes through its
    // tables as well, but the game filters the stored bytes as they are.
    const int ok = stbir_resize_uint8_generic(
        image.rgba.data(), static_cast<int>(image.width), static_cast<int>(image.height),
        static_cast<int>(image.width * 4), resized.rgba.data(), static_cast<int>(width), static_cast<int>(height),
        static_cast<int>(width * 4), 4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT, STBIR_COLORSPACE_LINEAR, nullptr);
    if (ok == 0) {
        throw std::bad_alloc();
    }
    resized.hasAlpha = anyPixelTransparent(resized.rgba);
    return resized;
}

}  // namespace zorvek

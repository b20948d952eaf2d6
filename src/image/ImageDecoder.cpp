#include "image/ImageDecoder.h"

#include "base/UserMessageError.h"

#include <climits>
#include <cstring>
#include <memory>
#include <string>

// Our own copy of stb's decoder with internal linkage, only the formats a
// model's textures come in. Without SIMD: the MinGW build has none, and the
// scalar JPEG transform on both keeps the pixels, and so the TXD, the same.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_NO_SIMD
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>

namespace zorvek {

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::string failureReason() {
    const char* reason = stbi_failure_reason();
    return reason != nullptr ? reason : "unknown";
}

}  // namespace

bool decodedSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= maxDecodedSide && height <= maxDecodedSide &&
           width * height <= maxDecodedPixels;
}

Image decodeImage(std::span<const std::uint8_t> file) {
    if (file.size() > static_cast<std::size_t>(INT_MAX)) {
        throw UserMessageError("画像を読み込めません (too large)");
    }
    const int length = static_cast<int>(file.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info_from_memory(file.data(), length, &width, &height, &channels) == 0) {
        throw UserMessageError("画像を読み込めません (" + failureReason() + ")");
    }
    if (width <= 0 || height <= 0 || !decodedSizeAllowed(std::uint64_t(width), std::uint64_t(height))) {
        throw UserMessageError("画像が大きすぎます (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    }
    int decodedWidth = 0;
    int decodedHeight = 0;
    const std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(file.data(), length, &decodedWidth, &decodedHeight, &channels, 4));
    // A file whose header changes between the two reads cannot exist, but a
    // size other than the checked one must not be copied from.
    if (!pixels || decodedWidth != width || decodedHeight != height) {
        throw UserMessageError("画像を読み込めません (" + failureReason() + ")");
    }
    Image image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.rgba.assign(pixels.get(), pixels.get() + std::size_t{image.width} * image.height * 4);
    image.hasAlpha = anyPixelTransparent(image.rgba);
    return image;
}

}  // namespace zorvek

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

// stb_image 2.27 (Debian's) builds a JPEG Huffman table from its 16 counts
// without checking that they add up to at most 256, the size of the arrays
// it fills: a table claiming more writes past them. Every DHT segment the
// decoder could reach is checked first: every FF C4 in the file, since stb
// resynchronises on any FF between segments. Only a table stb would build
// (class 0 or 1, index 0 to 3) counts; a valid file never holds more than
// 256 codes in one.
bool huffmanTablesFit(std::span<const std::uint8_t> file) {
    for (std::size_t at = 0; at + 4 <= file.size(); ++at) {
        if (file[at] != 0xFF || file[at + 1] != 0xC4) {
            continue;
        }
        std::int64_t left = (std::int64_t{file[at + 2]} << 8 | file[at + 3]) - 2;
        std::size_t table = at + 4;
        while (left > 0 && table < file.size()) {
            const std::uint8_t kind = file[table];
            if ((kind >> 4) > 1 || (kind & 15) > 3) {
                break;  // stb refuses the file here
            }
            std::uint32_t codes = 0;
            for (std::size_t i = 1; i <= 16 && table + i < file.size(); ++i) {
                codes += file[table + i];
            }
            if (codes > 256) {
                return false;
            }
            table += 17 + codes;
            left -= 17 + std::int64_t{codes};
        }
    }
    return true;
}

// stb takes a file for a JPEG when it starts with FF (any number of them
// before D8), and tries JPEG before the other formats.
bool looksLikeJpeg(std::span<const std::uint8_t> file) {
    return !file.empty() && file[0] == 0xFF;
}

std::string failureReason() {
    const char* reason = stbi_failure_reason();
    return reason != nullptr ? reason : "unknown";
}

}  // namespace

bool decodedSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= maxDecodedSide && height <= maxDecodedSide &&
           width * height <= maxDecodedPixels;
}

std::optional<ImageSize> peekImageSize(std::span<const std::uint8_t> file) {
    if (looksLikeJpeg(file) && !huffmanTablesFit(file)) {
        return std::nullopt;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    if (file.size() > static_cast<std::size_t>(INT_MAX) ||
        stbi_info_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels) == 0 ||
        width <= 0 || height <= 0) {
        return std::nullopt;
    }
    return ImageSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
}

Image decodeImage(std::span<const std::uint8_t> file) {
    if (file.size() > static_cast<std::size_t>(INT_MAX)) {
        throw UserMessageError("画像を読み込めません (too large)");
    }
    if (looksLikeJpeg(file) && !huffmanTablesFit(file)) {
        throw UserMessageError("画像を読み込めません (bad DHT header)");
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

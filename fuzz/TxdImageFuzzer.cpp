// An image file packed into a TXD as pmx2dff and `zorvek txd` pack it, the
// dictionary written and read back by our reader. The first byte picks the
// settings (format, mip levels, the largest side); the rest is the file: a
// DDS for our own reader or anything stb_image reads.

#include "base/UserMessageError.h"
#include "image/ImageDecoder.h"
#include "txd/DdsReader.h"
#include "txd/TextureDictionary.h"
#include "txd/TexturePacking.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

namespace {

// The readers take images up to maxDecodedPixels; decoding and resizing one
// that large under the sanitizers takes seconds. Larger ones are only
// refused or read as far as their headers here, to keep runs short.
constexpr std::uint64_t maxFuzzedPixels = std::uint64_t{1} << 20;

std::uint64_t claimedPixels(std::span<const std::uint8_t> file) {
    if (zorvek::looksLikeDds(file)) {
        if (file.size() < 20) {
            return 0;
        }
        std::uint32_t height = 0;
        std::uint32_t width = 0;
        std::memcpy(&height, file.data() + 12, 4);
        std::memcpy(&width, file.data() + 16, 4);
        return std::uint64_t{width} * height;
    }
    const std::optional<zorvek::ImageSize> size = zorvek::peekImageSize(file);
    return size ? std::uint64_t{size->width} * size->height : 0;
}

zorvek::TexturePackSettings settingsOf(std::uint8_t byte) {
    zorvek::TexturePackSettings settings;
    settings.format = (byte & 1) != 0 ? zorvek::TextureFormat::Bgra : zorvek::TextureFormat::Dxt;
    settings.mipmaps = (byte & 2) != 0;
    constexpr std::uint32_t caps[4] = {2048, 256, 16, 1};
    settings.maxSide = caps[(byte >> 2) & 3];
    return settings;
}

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const zorvek::TexturePackSettings settings = settingsOf(data[0]);
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    const std::uint64_t pixels = claimedPixels(file);
    if (pixels > maxFuzzedPixels && pixels <= zorvek::maxDecodedPixels) {
        return 0;
    }
    try {
        const zorvek::NativeTexture texture = zorvek::packImageFile("fuzz", file, settings);
        check(std::has_single_bit(std::uint32_t{texture.width}) && std::has_single_bit(std::uint32_t{texture.height}));
        check(texture.width <= settings.maxSide && texture.height <= settings.maxSide);
        const zorvek::ByteBlock txd = zorvek::writeTextureDictionary({texture});
        const zorvek::TextureDictionary read = zorvek::readTextureDictionary(txd.span(), [](const std::string&) {
            std::abort();  // everything we write, we read
        });
        check(read.textures.size() == 1);
        const zorvek::Image& image = read.textures[0].image;
        check(image.width == texture.width && image.height == texture.height);
        check(image.rgba.size() == std::size_t{image.width} * image.height * 4);
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}

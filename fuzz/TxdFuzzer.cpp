// Reading a TXD file and encoding its textures as PNG, as the conversion
// will. The whole input is the file.

#include "base/UserMessageError.h"
#include "image/ImageEncoder.h"
#include "txd/TextureDictionary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

// Decoding costs at most a few bytes out per byte in, but encoding costs by the
// image: a small input may describe a large image of DXT blocks. Larger
// textures are read and checked but not encoded, to keep runs short.
constexpr std::uint64_t maxEncodedPixels = std::uint64_t{1} << 16;

void ignoreWarning(const std::string&) {}

void checkTexture(const zorvek::Texture& texture) {
    const zorvek::Image& image = texture.image;
    const std::uint64_t pixels = std::uint64_t{image.width} * image.height;
    if (pixels == 0 || image.rgba.size() != pixels * 4) {
        std::abort();
    }
    if (pixels <= maxEncodedPixels && zorvek::encodeImage(image, zorvek::ImageFormat::Png).empty()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const zorvek::TextureDictionary dictionary =
            zorvek::readTextureDictionary(std::span<const std::uint8_t>(data, size), ignoreWarning);
        for (const zorvek::Texture& texture : dictionary.textures) {
            checkTexture(texture);
        }
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}

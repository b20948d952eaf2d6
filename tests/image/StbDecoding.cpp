#include "StbDecoding.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
// mingw's GCC at -O3 sees a maybe-uninitialized field inside stb's reader once
// it is inlined here; the reader only checks our files in the tests.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace zorvek::test {

std::optional<DecodedImage> decodeWithStb(const Bytes& file) {
    DecodedImage image;
    stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &image.width, &image.height,
                                            &image.channelsInFile, 4);
    if (pixels == nullptr) {
        return std::nullopt;
    }
    image.rgba.assign(pixels, pixels + std::size_t(image.width) * std::size_t(image.height) * 4);
    stbi_image_free(pixels);
    return image;
}

}  // namespace zorvek::test

#include "image/Image.h"

namespace zorvek {

bool anyPixelTransparent(std::span<const std::uint8_t> rgba) {
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        if (rgba[i] != 255) {
            return true;
        }
    }
    return false;
}

}  // namespace zorvek

#pragma once

#include "image/Image.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zorvek {

// The largest image we read: no texture the game draws comes near it, and
// the pixels of the largest stay within a few hundred megabytes.
inline constexpr std::uint32_t maxDecodedSide = 16384;
inline constexpr std::uint64_t maxDecodedPixels = std::uint64_t{1} << 26;

// Whether an image of this size may be decoded.
bool decodedSizeAllowed(std::uint64_t width, std::uint64_t height);

struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size a PNG, BMP, TGA or JPG file's header gives, without decoding it;
// none when the header cannot be read or a side is not positive.
std::optional<ImageSize> peekImageSize(std::span<const std::uint8_t> file);

// A PNG, BMP, TGA or JPG file's pixels, the format found from its bytes;
// hasAlpha when a pixel is transparent. Its size is read first and checked:
// nothing is allocated for a file that claims more. Throws UserMessageError:
// "画像が大きすぎます (<w>x<h>)" or "画像を読み込めません (<the decoder's reason>)".
Image decodeImage(std::span<const std::uint8_t> file);

}  // namespace zorvek

#pragma once

// Pixel bytes of each texture native format made from an RGBA image, and
// whole valid texture natives of an image, so tests can write an image and
// compare what the reader gives back. The formats that drop bits keep the
// top bits of each channel; images whose channels survive that come back
// exactly.

#include "image/Image.h"
#include "support/txd/TxdBuilder.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek::test {

enum class TxdPixelFormat {
    Argb1555,
    Rgb565,
    Argb4444,
    Xrgb1555,  // "555"
    Lum8,      // the red channel
    Bgra8888,
    Bgrx8888,  // "888": padding byte 0xA5, which is no alpha
    Pal8,
    Pal4,        // as RenderWare's Direct3D drivers store it: 32 entries, a byte a pixel, depth 4
    Pal4Packed,  // 16 entries, two pixels a byte (low nibble first), depth 4
    Dxt1,
    Dxt3,
    Dxt5,
};

using Rgba = std::array<std::uint8_t, 4>;

// An image from its pixels, rows top first.
Image makeImage(std::uint32_t width, std::uint32_t height, const std::vector<Rgba>& pixels, bool hasAlpha);

// The stored bytes of a direct-colour format (not palettes or DXT).
Bytes directPixels(const Image& image, TxdPixelFormat format);

struct PalettedPixels {
    Bytes palette;  // `entries` R, G, B, A entries; unused ones all zero
    Bytes indices;
};
// The image's colours in order of first use; throws std::logic_error when
// they do not fit in 16 entries (packed) or `entries`.
PalettedPixels palettize(const Image& image, std::size_t entries, bool packed);

// squish's encoding of the image (squish::kDxt1, kDxt3 or kDxt5).
Bytes compressDxt(const Image& image, int squishFlags);

// A valid texture native holding the image in that format, one level.
TextureLayout d3d8Texture(const std::string& name, const Image& image, TxdPixelFormat format);
TextureLayout d3d9Texture(const std::string& name, const Image& image, TxdPixelFormat format);

}  // namespace zorvek::test

#include "txd/DirectPixels.h"

#include <array>

namespace zorvek {

namespace {

using Rgba = std::array<std::uint8_t, 4>;
using Pixel = std::span<const std::uint8_t>;

constexpr std::uint8_t widen5(unsigned v) {
    return static_cast<std::uint8_t>(v << 3 | v >> 2);
}

constexpr std::uint8_t widen6(unsigned v) {
    return static_cast<std::uint8_t>(v << 2 | v >> 4);
}

constexpr std::uint8_t widen4(unsigned v) {
    return static_cast<std::uint8_t>(v << 4 | v);
}

Rgba fromArgb1555(unsigned w) {
    const auto alpha = static_cast<std::uint8_t>(w >> 15 ? 255 : 0);
    return {widen5(w >> 10 & 0x1F), widen5(w >> 5 & 0x1F), widen5(w & 0x1F), alpha};
}

Rgba fromXrgb1555(unsigned w) {
    return {widen5(w >> 10 & 0x1F), widen5(w >> 5 & 0x1F), widen5(w & 0x1F), 255};
}

Rgba fromRgb565(unsigned w) {
    return {widen5(w >> 11 & 0x1F), widen6(w >> 5 & 0x3F), widen5(w & 0x1F), 255};
}

Rgba fromArgb4444(unsigned w) {
    return {widen4(w >> 8 & 0xF), widen4(w >> 4 & 0xF), widen4(w & 0xF), widen4(w >> 12 & 0xF)};
}

template <std::size_t BytesPerPixel, typename ToRgba>
Bytes convert(std::size_t pixelCount, std::span<const std::uint8_t> pixels, ToRgba toRgba) {
    Bytes rgba(pixelCount * 4);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const Rgba colour = toRgba(Pixel(pixels.subspan(i * BytesPerPixel, BytesPerPixel)));
        std::copy(colour.begin(), colour.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i * 4));
    }
    return rgba;
}

template <Rgba (*FromWord)(unsigned)>
Bytes convertWords(std::size_t pixelCount, std::span<const std::uint8_t> pixels) {
    return convert<2>(pixelCount, pixels, [](Pixel p) { return FromWord(p[0] | p[1] << 8); });
}

Bytes convertPixels(PixelEncoding encoding, std::size_t pixelCount, std::span<const std::uint8_t> pixels) {
    switch (encoding) {
    case PixelEncoding::Argb1555: return convertWords<fromArgb1555>(pixelCount, pixels);
    case PixelEncoding::Xrgb1555: return convertWords<fromXrgb1555>(pixelCount, pixels);
    case PixelEncoding::Rgb565: return convertWords<fromRgb565>(pixelCount, pixels);
    case PixelEncoding::Argb4444: return convertWords<fromArgb4444>(pixelCount, pixels);
    case PixelEncoding::Lum8:
        return convert<1>(pixelCount, pixels, [](Pixel p) { return Rgba{p[0], p[0], p[0], 255}; });
    case PixelEncoding::Bgra8888:
        return convert<4>(pixelCount, pixels, [](Pixel p) { return Rgba{p[2], p[1], p[0], p[3]}; });
    case PixelEncoding::Bgrx8888:
        return convert<4>(pixelCount, pixels, [](Pixel p) { return Rgba{p[2], p[1], p[0], 255}; });
    default: return {};
    }
}

}  // namespace

Image decodeDirectPixels(PixelEncoding encoding, std::uint32_t width, std::uint32_t height,
                         std::span<const std::uint8_t> pixels) {
    Image image;
    image.width = width;
    image.height = height;
    image.hasAlpha = encoding == PixelEncoding::Argb1555 || encoding == PixelEncoding::Argb4444 ||
                     encoding == PixelEncoding::Bgra8888;
    image.rgba = convertPixels(encoding, std::size_t{width} * height, pixels);
    return image;
}

}  // namespace zorvek

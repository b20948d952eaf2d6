#include "txd/PixelEncoding.h"

namespace zorvek {

namespace {

constexpr std::uint32_t fourCC(char a, char b, char c, char d) {
    return std::uint32_t{static_cast<std::uint8_t>(a)} | std::uint32_t{static_cast<std::uint8_t>(b)} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(c)} << 16 | std::uint32_t{static_cast<std::uint8_t>(d)} << 24;
}

// D3DFORMAT values of the formats RenderWare's Direct3D 9 driver writes.
constexpr std::uint32_t d3dUnknown = 0;
constexpr std::uint32_t d3dA8R8G8B8 = 21;
constexpr std::uint32_t d3dX8R8G8B8 = 22;
constexpr std::uint32_t d3dR5G6B5 = 23;
constexpr std::uint32_t d3dX1R5G5B5 = 24;
constexpr std::uint32_t d3dA1R5G5B5 = 25;
constexpr std::uint32_t d3dA4R4G4B4 = 26;
constexpr std::uint32_t d3dL8 = 50;

std::optional<PixelEncoding> encodingOfRasterFormat(std::uint32_t rasterFormat) {
    switch (rasterFormat & 0xF00) {
    case 0x100: return PixelEncoding::Argb1555;
    case 0x200: return PixelEncoding::Rgb565;
    case 0x300: return PixelEncoding::Argb4444;
    case 0x400: return PixelEncoding::Lum8;
    case 0x500: return PixelEncoding::Bgra8888;
    case 0x600: return PixelEncoding::Bgrx8888;
    case 0xA00: return PixelEncoding::Xrgb1555;
    default: return std::nullopt;
    }
}

std::optional<PixelEncoding> encodingOfD3d8(const NativeRasterHeader& header) {
    switch (header.compressionOrFlags) {
    case 0: return encodingOfRasterFormat(header.rasterFormat);
    case 1: return PixelEncoding::Dxt1;
    case 3: return PixelEncoding::Dxt3;
    case 5: return PixelEncoding::Dxt5;
    default: return std::nullopt;
    }
}

std::optional<PixelEncoding> encodingOfD3d9(const NativeRasterHeader& header) {
    switch (header.alphaOrD3dFormat) {
    case fourCC('D', 'X', 'T', '1'): return PixelEncoding::Dxt1;
    case fourCC('D', 'X', 'T', '3'): return PixelEncoding::Dxt3;
    case fourCC('D', 'X', 'T', '5'): return PixelEncoding::Dxt5;
    case d3dA8R8G8B8: return PixelEncoding::Bgra8888;
    case d3dX8R8G8B8: return PixelEncoding::Bgrx8888;
    case d3dR5G6B5: return PixelEncoding::Rgb565;
    case d3dX1R5G5B5: return PixelEncoding::Xrgb1555;
    case d3dA1R5G5B5: return PixelEncoding::Argb1555;
    case d3dA4R4G4B4: return PixelEncoding::Argb4444;
    case d3dL8: return PixelEncoding::Lum8;
    // Some writers leave the format out; the raster format still says it.
    case d3dUnknown: return encodingOfRasterFormat(header.rasterFormat);
    default: return std::nullopt;
    }
}

std::uint64_t blockCount(std::uint32_t width, std::uint32_t height) {
    return ((std::uint64_t{width} + 3) / 4) * ((std::uint64_t{height} + 3) / 4);
}

}  // namespace

std::optional<PixelEncoding> pixelEncodingOf(const NativeRasterHeader& header) {
    // Palettes come first: Direct3D 9 files name them D3DFMT_P8.
    switch (header.rasterFormat & (rasterPal8 | rasterPal4)) {
    case rasterPal8: return PixelEncoding::Pal8;
    case rasterPal4: return PixelEncoding::Pal4;
    case 0: break;
    default: return std::nullopt;
    }
    return header.platform == platformD3D8 ? encodingOfD3d8(header) : encodingOfD3d9(header);
}

std::uint64_t levelBytesNeeded(PixelEncoding encoding, std::uint32_t width, std::uint32_t height) {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    switch (encoding) {
    case PixelEncoding::Bgra8888:
    case PixelEncoding::Bgrx8888: return pixels * 4;
    case PixelEncoding::Argb1555:
    case PixelEncoding::Rgb565:
    case PixelEncoding::Argb4444:
    case PixelEncoding::Xrgb1555: return pixels * 2;
    case PixelEncoding::Lum8:
    case PixelEncoding::Pal8:
    case PixelEncoding::Pal4: return pixels;
    case PixelEncoding::Pal4Packed: return (std::uint64_t{width} + 1) / 2 * height;
    case PixelEncoding::Dxt1: return blockCount(width, height) * 8;
    case PixelEncoding::Dxt3:
    case PixelEncoding::Dxt5: return blockCount(width, height) * 16;
    }
    return pixels * 4;
}

bool rasterFormatHasAlpha(std::uint32_t rasterFormat) {
    switch (rasterFormat & 0xF00) {
    case 0x100:
    case 0x300:
    case 0x500: return true;
    default: return false;
    }
}

}  // namespace zorvek

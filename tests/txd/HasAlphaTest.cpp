// Whether a texture has alpha: by format for direct colours and DXT3/5, by
// the pixels for DXT1 and palettes.

#include "TxdTestSupport.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

Image flatImage(Rgba colour) {
    return makeImage(4, 4, std::vector<Rgba>(16, colour), colour[3] != 255);
}

Image oneTransparentPixel() {
    std::vector<Rgba> pixels(16, Rgba{0x84, 0x82, 0x84, 255});
    pixels[5] = {0, 0, 0, 0};
    return makeImage(4, 4, pixels, true);
}

Image oneHalfTransparentPixel() {
    std::vector<Rgba> pixels(16, Rgba{10, 20, 30, 255});
    pixels[9] = {10, 20, 30, 0x80};
    return makeImage(4, 4, pixels, true);
}

struct AlphaCase {
    const char* label;
    TextureLayout texture;
    bool hasAlpha;
};

std::vector<AlphaCase> alphaCases() {
    const Image opaque = flatImage({0x84, 0x82, 0x84, 255});
    TextureLayout pal8Over888 = d3d8Texture("t", oneHalfTransparentPixel(), TxdPixelFormat::Pal8);
    pal8Over888.rasterFormat = rasterPalette8 | raster888;
    return {
        {"8888, every pixel opaque", d3d8Texture("t", opaque, TxdPixelFormat::Bgra8888), true},
        {"1555, every pixel opaque", d3d8Texture("t", opaque, TxdPixelFormat::Argb1555), true},
        {"4444, every pixel opaque", d3d8Texture("t", opaque, TxdPixelFormat::Argb4444), true},
        {"888", d3d8Texture("t", opaque, TxdPixelFormat::Bgrx8888), false},
        {"565", d3d8Texture("t", opaque, TxdPixelFormat::Rgb565), false},
        {"555", d3d8Texture("t", opaque, TxdPixelFormat::Xrgb1555), false},
        {"LUM8", d3d8Texture("t", opaque, TxdPixelFormat::Lum8), false},
        {"D3D9 A8R8G8B8", d3d9Texture("t", opaque, TxdPixelFormat::Bgra8888), true},
        {"D3D9 X8R8G8B8", d3d9Texture("t", opaque, TxdPixelFormat::Bgrx8888), false},
        {"DXT1 opaque", d3d8Texture("t", opaque, TxdPixelFormat::Dxt1), false},
        {"DXT1 with a transparent pixel", d3d8Texture("t", oneTransparentPixel(), TxdPixelFormat::Dxt1), true},
        {"DXT3 opaque", d3d8Texture("t", opaque, TxdPixelFormat::Dxt3), true},
        {"DXT5 opaque", d3d9Texture("t", opaque, TxdPixelFormat::Dxt5), true},
        // The palette's unused entries are all zero, alpha included: only used ones count.
        {"PAL8, used entries opaque", d3d8Texture("t", opaque, TxdPixelFormat::Pal8), false},
        {"PAL8, one used entry half transparent", d3d8Texture("t", oneHalfTransparentPixel(), TxdPixelFormat::Pal8),
         true},
        {"PAL8 over 888: the palette's alpha is no alpha", pal8Over888, false},
        {"PAL4, one used entry half transparent", d3d9Texture("t", oneHalfTransparentPixel(), TxdPixelFormat::Pal4),
         true},
        {"PAL4, used entries opaque", d3d9Texture("t", opaque, TxdPixelFormat::Pal4Packed), false},
    };
}

TEST(HasAlpha, ByFormatForDirectColourAndDxt3And5ByPixelsForDxt1AndPalettes) {
    for (const AlphaCase& testCase : alphaCases()) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(onlyTexture(testCase.texture).image.hasAlpha, testCase.hasAlpha);
    }
}

TEST(HasAlpha, APaletteOverAFormatWithoutAlphaReadsOpaque) {
    TextureLayout texture = d3d8Texture("t", oneHalfTransparentPixel(), TxdPixelFormat::Pal8);
    texture.rasterFormat = rasterPalette8 | raster888;
    const std::vector<Rgba> pixels = pixelsOf(onlyTexture(texture).image);
    ASSERT_EQ(pixels.size(), 16u);
    EXPECT_EQ(pixels[9], (Rgba{10, 20, 30, 255}));
}

}  // namespace
}  // namespace zorvek::test

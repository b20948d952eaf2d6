#include "txd/DirectPixels.h"
#include "txd/DxtPixels.h"
#include "txd/PalettePixels.h"
#include "txd/TextureDictionary.h"

#include <optional>
#include <stdexcept>

namespace zorvek {

Image decodeRaster(const StoredRaster& raster) {
    switch (raster.encoding) {
    case PixelEncoding::Dxt1:
    case PixelEncoding::Dxt3:
    case PixelEncoding::Dxt5: return decodeDxtPixels(raster.encoding, raster.width, raster.height, raster.pixels);
    case PixelEncoding::Pal8:
    case PixelEncoding::Pal4:
    case PixelEncoding::Pal4Packed: break;
    default: return decodeDirectPixels(raster.encoding, raster.width, raster.height, raster.pixels);
    }
    std::optional<Image> image = decodePalettePixels(raster.encoding, raster.width, raster.height, raster.pixels,
                                                     raster.palette, raster.paletteAlpha);
    if (!image) {
        throw std::logic_error("a stored raster's palette indices are checked when it is read");
    }
    return std::move(*image);
}

Texture decodeTexture(const StoredTexture& texture) {
    return Texture{texture.name, texture.maskName, decodeRaster(texture.raster)};
}

}  // namespace zorvek

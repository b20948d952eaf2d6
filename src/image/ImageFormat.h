#pragma once

#include <optional>
#include <string_view>

namespace zorvek {

enum class ImageFormat { Png, Bmp, Tga };

// The format of a texture extension as the user types it (".png", ".BMP"):
// the leading dot is part of it. None for any other text.
std::optional<ImageFormat> imageFormatForExtension(std::string_view extension);

}  // namespace zorvek

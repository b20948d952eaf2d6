#pragma once

#include "base/Warnings.h"
#include "rw/SectionInput.h"
#include "txd/TextureDictionary.h"

#include <cstddef>
#include <optional>

namespace zorvek {

// Opens the next TextureNative of the dictionary and reads its largest level
// without decoding it. None, after a warning, for a texture of another platform than
// Direct3D 8 or 9 or in a pixel format we do not read; `number` (from 1)
// names it in the warning when its name cannot be read.
std::optional<StoredTexture> readTextureNative(SectionInput& input, std::size_t number, const WarningSink& warn);

}  // namespace zorvek

#pragma once

// The sample's textures, painted from code: flat colours with a little
// texture, a face on the head, stripes, denim, a belt, shoes and hair. All
// opaque.

#include "image/Image.h"

namespace zorvek::sample {

Image paintSkin();
Image paintClothes();
// At most 256 colours, so an 8-bit palette holds it exactly.
Image paintHair();

}  // namespace zorvek::sample

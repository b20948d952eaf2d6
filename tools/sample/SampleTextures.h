#pragma once

// The sample's textures, painted from code: flat colours with a little
// texture, a face on the head, stripes, denim, a belt, shoes and hair.

#include "sample/PngWriter.h"

namespace zorvek::sample {

RgbImage paintSkin();
RgbImage paintClothes();
RgbImage paintHair();

}  // namespace zorvek::sample

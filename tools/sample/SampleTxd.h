#pragma once

// The sample's texture dictionary, as the game's PC files are laid out: one
// Direct3D 9 texture per material, each in another of the raster formats
// those files use, every one with its whole mip chain, and the file padded
// after the dictionary. The smaller levels are 2x2 box filters, rounded to
// nearest, of the level before.

#include "base/FileIo.h"

namespace zorvek::sample {

// Skin as DXT1, clothes as 8888, hair as an 8-bit palette.
Bytes buildSampleTxd();

}  // namespace zorvek::sample

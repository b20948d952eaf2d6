#pragma once

#include "image/Image.h"
#include "txd/PixelEncoding.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zorvek {

// A DDS file as MMD models carry them: DXT1, DXT3 or DXT5 blocks, or 32-bit
// pixels of one byte a channel (A8R8G8B8, X8R8G8B8 and their byte orders).
struct DdsImage {
    // Dxt1, Dxt3 or Dxt5 when the file holds blocks; Bgra8888 for pixels.
    PixelEncoding encoding = PixelEncoding::Bgra8888;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // The blocks of each level as stored, largest first (DXT only), each
    // exactly levelBytesNeeded long; views of the file's bytes.
    std::vector<std::span<const std::uint8_t>> levels;
    Image image;  // the largest level's pixels
};

// Whether the bytes start as a DDS file does ("DDS ").
bool looksLikeDds(std::span<const std::uint8_t> file);

// Every size and count is checked against the file's bytes and against the
// largest image we decode before anything is allocated. Throws
// UserMessageError: "DDSファイルが壊れています" for a file shorter than it
// says or with no size, "画像が大きすぎます (<w>x<h>)", and
// "対応していないDDS形式です (<what>)" for any other pixel format.
DdsImage readDds(std::span<const std::uint8_t> file);

}  // namespace zorvek

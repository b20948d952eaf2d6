#pragma once

#include "base/FileIo.h"

#include <cstdint>
#include <optional>

namespace zorvek::test {

// An image file read back by stb's reader, an implementation independent of
// how the writer lays out its bytes.
struct DecodedImage {
    int width = 0;
    int height = 0;
    int channelsInFile = 0;
    Bytes rgba;  // always four channels; alpha 255 where the file has none
};

std::optional<DecodedImage> decodeWithStb(const Bytes& file);

}  // namespace zorvek::test

#include "txd/DdsReader.h"

#include "base/ByteReader.h"
#include "image/ImageDecoder.h"
#include "txd/DxtPixels.h"

#include <array>
#include <bit>
#include <cstdio>
#include <string>

namespace zorvek {

namespace {

constexpr std::uint32_t headerSize = 124;
constexpr std::uint32_t pixelFormatSize = 32;
constexpr std::uint32_t hasMipMapCount = 0x20000;
constexpr std::uint32_t pixelsHaveAlpha = 0x1;
constexpr std::uint32_t pixelsAreFourCC = 0x4;
constexpr std::uint32_t pixelsAreRgb = 0x40;

constexpr std::uint32_t fourCC(const char (&text)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(text[0])} | std::uint32_t{static_cast<std::uint8_t>(text[1])} << 8 |
           std::uint32_t{static_cast<std::uint8_t>(text[2])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(text[3])} << 24;
}

UserMessageError broken() {
    return UserMessageError("DDSファイルが壊れています");
}

UserMessageError unsupported(const std::string& what) {
    return UserMessageError("対応していないDDS形式です (" + what + ")");
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

struct PixelFormat {
    std::uint32_t flags = 0;
    std::uint32_t fourCC = 0;
    std::uint32_t bitCount = 0;
    std::array<std::uint32_t, 4> masks{};  // R, G, B, A
};

// Where each channel's byte lies in a 32-bit pixel; none of a mask covers
// anything but one whole byte.
struct ByteChannels {
    std::array<int, 4> byteOf{};  // R, G, B, A; -1 for no alpha
};

int byteOfMask(std::uint32_t mask) {
    for (int byte = 0; byte < 4; ++byte) {
        if (mask == 0xFFu << (8 * byte)) {
            return byte;
        }
    }
    return -1;
}

ByteChannels byteChannels(const PixelFormat& format) {
    if (format.bitCount != 32) {
        throw unsupported(std::to_string(format.bitCount) + " bit");
    }
    ByteChannels channels;
    std::uint32_t used = 0;
    for (std::size_t c = 0; c < 4; ++c) {
        const bool alpha = c == 3;
        if (alpha && ((format.flags & pixelsHaveAlpha) == 0 || format.masks[3] == 0)) {
            channels.byteOf[3] = -1;
            continue;
        }
        channels.byteOf[c] = byteOfMask(format.masks[c]);
        if (channels.byteOf[c] < 0 || (used & format.masks[c]) != 0) {
            throw unsupported("masks " + hex(format.masks[0]) + " " + hex(format.masks[1]) + " " +
                              hex(format.masks[2]) + " " + hex(format.masks[3]));
        }
        used |= format.masks[c];
    }
    return channels;
}

PixelEncoding blockEncoding(std::uint32_t code) {
    if (code == fourCC("DXT1")) {
        return PixelEncoding::Dxt1;
    }
    if (code == fourCC("DXT3")) {
        return PixelEncoding::Dxt3;
    }
    if (code == fourCC("DXT5")) {
        return PixelEncoding::Dxt5;
    }
    std::string name;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        name += c >= 0x20 && c < 0x7F ? c : '?';
    }
    throw unsupported(name);
}

Image decodeBytePixels(const ByteChannels& channels, std::uint32_t width, std::uint32_t height,
                       std::span<const std::uint8_t> pixels) {
    Image image;
    image.width = width;
    image.height = height;
    const std::size_t count = std::size_t{width} * height;
    image.rgba.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* from = pixels.data() + i * 4;
        std::uint8_t* to = image.rgba.data() + i * 4;
        for (std::size_t c = 0; c < 3; ++c) {
            to[c] = from[channels.byteOf[c]];
        }
        to[3] = channels.byteOf[3] < 0 ? 255 : from[channels.byteOf[3]];
    }
    image.hasAlpha = anyPixelTransparent(image.rgba);
    return image;
}

// How many levels the file holds: one unless it gives a count, never more
// than halving the larger side reaches 1.
std::uint32_t levelCountOf(std::uint32_t flags, std::uint32_t mipMapCount, std::uint32_t width, std::uint32_t height) {
    if ((flags & hasMipMapCount) == 0 || mipMapCount <= 1) {
        return 1;
    }
    const std::uint32_t chain = static_cast<std::uint32_t>(std::bit_width(std::max(width, height)));
    if (mipMapCount > chain) {
        throw broken();
    }
    return mipMapCount;
}

}  // namespace

bool looksLikeDds(std::span<const std::uint8_t> file) {
    return file.size() >= 4 && file[0] == 'D' && file[1] == 'D' && file[2] == 'S' && file[3] == ' ';
}

DdsImage readDds(std::span<const std::uint8_t> file) {
    ByteReader in(file, [] { return broken(); });
    if (!looksLikeDds(file)) {
        throw broken();
    }
    in.skip(4);
    if (in.u32() != headerSize) {
        throw broken();
    }
    const std::uint32_t flags = in.u32();
    const std::uint32_t height = in.u32();
    const std::uint32_t width = in.u32();
    in.skip(4 + 4);  // pitch or linear size, depth
    const std::uint32_t mipMapCount = in.u32();
    in.skip(11 * 4);
    if (in.u32() != pixelFormatSize) {
        throw broken();
    }
    PixelFormat format;
    format.flags = in.u32();
    format.fourCC = in.u32();
    format.bitCount = in.u32();
    for (std::uint32_t& mask : format.masks) {
        mask = in.u32();
    }
    in.skip(4 * 4 + 4);  // caps 1 to 4, reserved
    if (width == 0 || height == 0) {
        throw broken();
    }
    if (!decodedSizeAllowed(width, height)) {
        throw UserMessageError("画像が大きすぎます (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    }
    DdsImage dds;
    dds.width = width;
    dds.height = height;
    if ((format.flags & pixelsAreFourCC) != 0) {
        dds.encoding = blockEncoding(format.fourCC);
        const std::uint32_t levels = levelCountOf(flags, mipMapCount, width, height);
        std::uint32_t w = width;
        std::uint32_t h = height;
        for (std::uint32_t level = 0; level < levels; ++level) {
            dds.levels.push_back(in.view(levelBytesNeeded(dds.encoding, w, h)));
            w = std::max<std::uint32_t>(1, w / 2);
            h = std::max<std::uint32_t>(1, h / 2);
        }
        dds.image = decodeDxtPixels(dds.encoding, width, height, dds.levels.front());
        dds.image.hasAlpha = anyPixelTransparent(dds.image.rgba);
        return dds;
    }
    if ((format.flags & pixelsAreRgb) == 0) {
        throw unsupported("flags " + hex(format.flags));
    }
    const ByteChannels channels = byteChannels(format);
    dds.encoding = PixelEncoding::Bgra8888;
    dds.image = decodeBytePixels(channels, width, height, in.view(std::uint64_t{width} * height * 4));
    return dds;
}

}  // namespace zorvek

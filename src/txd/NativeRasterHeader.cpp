#include "txd/NativeRasterHeader.h"

#include "base/TextEncoding.h"

#include <algorithm>
#include <string_view>

namespace zorvek {

namespace {

constexpr std::uint64_t nameFieldSize = 32;

}  // namespace

std::string nameFieldToUtf8(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    const std::string bytes(field.begin(), end);
    return utf16ToUtf8(widenBytes(bytes));
}

NativeRasterHeader readNativeRasterHeader(SectionInput& input, std::uint32_t platform) {
    NativeRasterHeader header;
    header.platform = platform;
    header.filterFlags = input.readU32();
    header.name = nameFieldToUtf8(input.readView(nameFieldSize));
    header.maskName = nameFieldToUtf8(input.readView(nameFieldSize));
    header.rasterFormat = input.readU32();
    header.alphaOrD3dFormat = input.readU32();
    header.width = input.readU16();
    header.height = input.readU16();
    header.depth = input.readU8();
    header.levelCount = input.readU8();
    header.rasterType = input.readU8();
    header.compressionOrFlags = input.readU8();
    return header;
}

}  // namespace zorvek

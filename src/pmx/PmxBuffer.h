#pragma once

#include "base/FileIo.h"
#include "base/Math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zorvek {

// The PMX file under construction: little-endian values appended one after
// another. Every text is an int32 byte length and UTF-16LE code units, no NUL.
class PmxBuffer {
public:
    // boneIndexSize is 1 or 2: the width of every bone index in the file.
    explicit PmxBuffer(int boneIndexSize, std::size_t expectedSize = 0);

    void appendU8(std::uint8_t value);
    void appendI16(std::int16_t value);
    void appendU16(std::uint16_t value);
    void appendU32(std::uint32_t value);
    void appendI32(std::int32_t value);
    void appendFloat(float value);
    void appendVec2(Vec2 value);
    void appendVec3(Vec3 value);
    void appendVec4(Vec4 value);

    // Bytes from a DFF or the file system: each byte becomes one code unit of its value.
    void writeNarrowText(std::string_view bytes);
    void writeWideText(std::u16string_view text);

    // Indices of each kind at the width the header announces; -1 means none.
    void appendBoneIndex(std::int32_t bone);
    void appendVertexIndex(std::uint32_t vertex);
    void appendTextureIndex(std::int32_t texture);

    int boneIndexSize() const { return boneIndexSize_; }
    std::size_t size() const { return bytes_.size(); }
    Bytes release() { return std::move(bytes_); }

private:
    void appendLittleEndian(std::uint32_t value, std::size_t width);
    template <std::size_t N>
    void appendFloats(const std::array<float, N>& values);

    Bytes bytes_;
    int boneIndexSize_;
};

}  // namespace zorvek

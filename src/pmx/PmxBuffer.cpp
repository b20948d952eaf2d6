#include "pmx/PmxBuffer.h"

#include <array>
#include <bit>
#include <cstddef>
#include <utility>

namespace zorvek {

PmxBuffer::PmxBuffer(int boneIndexSize, std::size_t expectedSize) : boneIndexSize_(boneIndexSize) {
    bytes_.reserve(expectedSize);
}

// One insert per value rather than a push_back per byte: the vertex and face
// arrays of a large model are millions of values.
void PmxBuffer::appendLittleEndian(std::uint32_t value, std::size_t width) {
    const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                            static_cast<std::uint8_t>(value >> 16),
                                            static_cast<std::uint8_t>(value >> 24)};
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(width));
}

template <std::size_t N>
void PmxBuffer::appendFloats(const std::array<float, N>& values) {
    std::array<std::uint8_t, 4 * N> bytes;
    for (std::size_t i = 0; i < N; ++i) {
        const auto bits = std::bit_cast<std::uint32_t>(values[i]);
        for (std::size_t b = 0; b < 4; ++b) {
            bytes[4 * i + b] = static_cast<std::uint8_t>(bits >> (8 * b));
        }
    }
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void PmxBuffer::appendU8(std::uint8_t value) {
    bytes_.push_back(value);
}

void PmxBuffer::appendI16(std::int16_t value) {
    appendLittleEndian(static_cast<std::uint16_t>(value), 2);
}

void PmxBuffer::appendU16(std::uint16_t value) {
    appendLittleEndian(value, 2);
}

void PmxBuffer::appendU32(std::uint32_t value) {
    appendLittleEndian(value, 4);
}

void PmxBuffer::appendI32(std::int32_t value) {
    appendLittleEndian(static_cast<std::uint32_t>(value), 4);
}

void PmxBuffer::appendFloat(float value) {
    appendLittleEndian(std::bit_cast<std::uint32_t>(value), 4);
}

void PmxBuffer::appendVec2(Vec2 value) {
    appendFloats(std::array<float, 2>{value.x, value.y});
}

void PmxBuffer::appendVec3(Vec3 value) {
    appendFloats(std::array<float, 3>{value.x, value.y, value.z});
}

void PmxBuffer::appendVec4(Vec4 value) {
    appendFloats(std::array<float, 4>{value.x, value.y, value.z, value.w});
}

void PmxBuffer::writeNarrowText(std::string_view bytes) {
    appendI32(static_cast<std::int32_t>(bytes.size() * 2));
    for (char byte : bytes) {
        appendLittleEndian(static_cast<std::uint8_t>(byte), 2);
    }
}

void PmxBuffer::writeWideText(std::u16string_view text) {
    appendI32(static_cast<std::int32_t>(text.size() * 2));
    for (char16_t unit : text) {
        appendLittleEndian(unit, 2);
    }
}

void PmxBuffer::appendBoneIndex(std::int32_t bone) {
    // Signed on disk: the all-ones value of either width reads as -1.
    if (boneIndexSize_ == 1) {
        appendU8(static_cast<std::uint8_t>(bone));
    } else {
        appendI16(static_cast<std::int16_t>(bone));
    }
}

void PmxBuffer::appendVertexIndex(std::uint32_t vertex) {
    appendU32(vertex);
}

void PmxBuffer::appendTextureIndex(std::int32_t texture) {
    appendI32(texture);
}

}  // namespace zorvek

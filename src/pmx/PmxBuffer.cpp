#include "pmx/PmxBuffer.h"

#include <bit>
#include <utility>

namespace zorvek {

PmxBuffer::PmxBuffer(int boneIndexSize, std::size_t expectedSize) : boneIndexSize_(boneIndexSize) {
    bytes_.reserve(expectedSize);
}

void PmxBuffer::appendLittleEndian(std::uint32_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
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
    appendFloat(value.x);
    appendFloat(value.y);
}

void PmxBuffer::appendVec3(Vec3 value) {
    appendFloat(value.x);
    appendFloat(value.y);
    appendFloat(value.z);
}

void PmxBuffer::appendVec4(Vec4 value) {
    appendFloat(value.x);
    appendFloat(value.y);
    appendFloat(value.z);
    appendFloat(value.w);
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

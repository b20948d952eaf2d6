#include "base/ByteReader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace zorvek {

ByteReader::ByteReader(std::span<const std::uint8_t> bytes, ErrorMaker makeError)
    : bytes_(bytes), makeError_(std::move(makeError)) {}

void ByteReader::fail() const {
    throw makeError_();
}

void ByteReader::require(std::uint64_t n) const {
    if (n > remaining()) {
        fail();
    }
}

void ByteReader::requireCount(std::uint64_t count, std::uint64_t bytesEach) const {
    if (bytesEach != 0 && count > remaining() / bytesEach) {
        fail();
    }
}

void ByteReader::skip(std::uint64_t n) {
    require(n);
    position_ += static_cast<std::size_t>(n);
}

std::uint8_t ByteReader::u8() {
    require(1);
    return bytes_[position_++];
}

std::uint16_t ByteReader::u16() {
    require(2);
    const std::uint8_t* at = bytes_.data() + position_;
    position_ += 2;
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::int16_t ByteReader::i16() {
    return static_cast<std::int16_t>(u16());
}

std::uint32_t ByteReader::u32() {
    require(4);
    const std::uint8_t* at = bytes_.data() + position_;
    position_ += 4;
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

std::int32_t ByteReader::i32() {
    return static_cast<std::int32_t>(u32());
}

float ByteReader::f32() {
    return std::bit_cast<float>(u32());
}

std::span<const std::uint8_t> ByteReader::view(std::uint64_t n) {
    require(n);
    const auto bytes = bytes_.subspan(position_, static_cast<std::size_t>(n));
    position_ += bytes.size();
    return bytes;
}

std::string ByteReader::text(std::uint64_t fieldSize) {
    const std::span<const std::uint8_t> field = view(fieldSize);
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

ByteReader ByteReader::sub(std::uint64_t n) {
    return ByteReader(view(n), makeError_);
}

}  // namespace zorvek

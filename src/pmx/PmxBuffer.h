#pragma once

#include "base/LargeArrays.h"
#include "base/Math.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace zorvek {

static_assert(sizeof(Vec2) == 8 && sizeof(Vec3) == 12 && sizeof(Vec4) == 16, "vectors are stored as their floats");

// The PMX file under construction: little-endian values written one after
// another into a block of exactly the file's size, computed before the first
// byte. Every text is an int32 byte length and UTF-16LE code units, no NUL.
//
// Writing more than the size, or finishing with fewer bytes, means that the
// size computation and the writers disagree: std::logic_error, before any
// byte could land outside the block.
class PmxBuffer {
public:
    // boneIndexSize is 1 or 2: the width of every bone index in the file.
    PmxBuffer(int boneIndexSize, std::size_t size);

    // Bytes of a text of that many UTF-16 code units (narrow texts: one per byte).
    static constexpr std::size_t textSize(std::size_t codeUnits) { return 4 + 2 * codeUnits; }

    void appendU8(std::uint8_t value) { store(take(1), value); }
    void appendI16(std::int16_t value) { store(take(2), value); }
    void appendU16(std::uint16_t value) { store(take(2), value); }
    void appendU32(std::uint32_t value) { store(take(4), value); }
    void appendI32(std::int32_t value) { store(take(4), value); }
    void appendFloat(float value) { store(take(4), value); }
    void appendVec2(Vec2 value) { store(take(8), value); }
    void appendVec3(Vec3 value) { store(take(12), value); }
    void appendVec4(Vec4 value) { store(take(16), value); }

    // Bytes from a DFF or the file system: each byte becomes one code unit of its value.
    void writeNarrowText(std::string_view bytes);
    void writeWideText(std::u16string_view text);

    // Indices of each kind at the width the header announces; -1 means none.
    void appendBoneIndex(std::int32_t bone) { storeBoneIndex(take(static_cast<std::size_t>(boneIndexSize_)), bone); }
    void appendVertexIndex(std::uint32_t vertex) { appendU32(vertex); }
    void appendTextureIndex(std::int32_t texture) { appendI32(texture); }

    // The next n bytes, for a record the caller fills completely with the
    // store functions below; one bounds check for the whole record.
    std::uint8_t* take(std::size_t n) {
        if (n > bytes_.size() - written()) {
            refuseOverrun(n);
        }
        std::uint8_t* const at = cursor_;
        cursor_ += n;
        return at;
    }

    // Each writes one value at `at` and returns the byte after it.
    template <typename T>
    static std::uint8_t* store(std::uint8_t* at, const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        static_assert(std::endian::native == std::endian::little, "values are copied as stored");
        std::memcpy(at, &value, sizeof(T));
        return at + sizeof(T);
    }
    std::uint8_t* storeBoneIndex(std::uint8_t* at, std::int32_t bone) const {
        // Signed on disk: the all-ones value of either width reads as -1.
        return boneIndexSize_ == 1 ? store(at, static_cast<std::uint8_t>(bone))
                                   : store(at, static_cast<std::int16_t>(bone));
    }

    int boneIndexSize() const { return boneIndexSize_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t written() const { return static_cast<std::size_t>(cursor_ - bytes_.data()); }

    // The finished file; every byte must have been written.
    ByteBlock finish();

private:
    [[noreturn]] void refuseOverrun(std::size_t n) const;

    ByteBlock bytes_;
    std::uint8_t* cursor_;
    int boneIndexSize_;
};

}  // namespace zorvek

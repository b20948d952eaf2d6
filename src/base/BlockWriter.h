#pragma once

#include "base/LargeArrays.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

namespace zorvek {

// An output file under construction: little-endian values one after another
// in a block of exactly the file's size, computed before the first byte.
// Writing past the size, or finishing short of it, means that the size
// computation and the writer disagree: std::logic_error, before any byte
// could land outside the block.
class BlockWriter {
public:
    explicit BlockWriter(std::size_t size);

    void appendU8(std::uint8_t value) { store(take(1), value); }
    void appendI16(std::int16_t value) { store(take(2), value); }
    void appendU32(std::uint32_t value) { store(take(4), value); }
    void appendI32(std::int32_t value) { store(take(4), value); }
    // Bytes copied as they are, such as a part of another file.
    void appendBytes(std::span<const std::uint8_t> bytes);

    // Text in a field of `width` bytes, NUL-padded; the text must fit.
    void appendFixedText(std::string_view bytes, std::size_t width) { storeFixedText(take(width), bytes, width); }

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

    // Each writes at `at` and returns the byte after what it wrote.
    template <typename T>
    static std::uint8_t* store(std::uint8_t* at, const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        static_assert(std::endian::native == std::endian::little, "values are copied as stored");
        std::memcpy(at, &value, sizeof(T));
        return at + sizeof(T);
    }
    static std::uint8_t* storeFixedText(std::uint8_t* at, std::string_view bytes, std::size_t width);

    std::size_t size() const { return bytes_.size(); }
    std::size_t written() const { return static_cast<std::size_t>(cursor_ - bytes_.data()); }

    // The finished file; every byte must have been written.
    ByteBlock finish();

private:
    [[noreturn]] void refuseOverrun(std::size_t n) const;

    ByteBlock bytes_;
    std::uint8_t* cursor_;
};

}  // namespace zorvek

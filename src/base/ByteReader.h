#pragma once

#include "base/UserMessageError.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace zorvek {

// Little-endian values read one after another from a buffer (a view; the
// caller keeps the bytes alive), for formats that are not RenderWare chunk
// streams. Every read is checked: one that would run past the end throws the
// error the caller's maker returns, which can name the part being read at
// that moment. Counts are checked with requireCount before anything is sized.
class ByteReader {
public:
    using ErrorMaker = std::function<UserMessageError()>;

    ByteReader(std::span<const std::uint8_t> bytes, ErrorMaker makeError);

    std::size_t size() const { return bytes_.size(); }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    bool atEnd() const { return position_ == bytes_.size(); }

    // Throws the caller's error: for bytes that are there but make no sense.
    [[noreturn]] void fail() const;
    // Throws the caller's error unless n more bytes remain.
    void require(std::uint64_t n) const;
    // The same for `count` items of `bytesEach` bytes each, without overflow
    // for any count.
    void requireCount(std::uint64_t count, std::uint64_t bytesEach) const;

    void skip(std::uint64_t n);
    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t i16();
    std::uint32_t u32();
    std::int32_t i32();
    float f32();
    // The next n bytes without copying them.
    std::span<const std::uint8_t> view(std::uint64_t n);
    // A fixed-size text field: its bytes up to the first NUL (all of them
    // when it holds none); whatever follows the NUL is skipped.
    std::string text(std::uint64_t fieldSize);
    // A reader over the next n bytes, failing with the same error maker.
    ByteReader sub(std::uint64_t n);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    ErrorMaker makeError_;
};

}  // namespace zorvek

#pragma once

// Writes a RenderWare binary stream into one block of a size computed
// beforehand: chunk headers stamped as the game's own files are, and the
// little-endian values of their payloads. A size that disagrees with the
// bytes written stops at the block's end (BlockWriter), never past it.

#include "base/BlockWriter.h"
#include "base/Math.h"
#include "rw/ChunkHeader.h"
#include "rw/SectionType.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zorvek {

class ChunkStreamWriter {
public:
    explicit ChunkStreamWriter(std::size_t size) : out_(size) {}

    void chunk(SectionType type, std::uint64_t size) {
        out_.appendU32(typeId(type));
        out_.appendU32(static_cast<std::uint32_t>(size));
        out_.appendU32(acceptedVersionStamp);
    }
    void u8(std::uint8_t value) { out_.appendU8(value); }
    void u16(std::uint16_t value) { BlockWriter::store(out_.take(2), value); }
    void u32(std::uint32_t value) { out_.appendU32(value); }
    void i32(std::int32_t value) { out_.appendI32(value); }
    void f32(float value) { BlockWriter::store(out_.take(4), value); }
    void vec2(const Vec2& v) {
        f32(v.x);
        f32(v.y);
    }
    void vec3(const Vec3& v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
    void vec4(const Vec4& v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
        f32(v.w);
    }
    void bytes(std::span<const std::uint8_t> values) { out_.appendBytes(values); }
    void bytes(std::string_view text) {
        out_.appendBytes(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }
    void zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            out_.appendU8(0);
        }
    }
    // Text in a field of `width` bytes, padded with zeros.
    void fixedText(std::string_view text, std::size_t width) { out_.appendFixedText(text, width); }

    ByteBlock finish() { return out_.finish(); }

private:
    BlockWriter out_;
};

}  // namespace zorvek

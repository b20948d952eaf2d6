#pragma once

// What the PMX and PMD readers share: the place being read, which a
// broken-file message names, and the vectors both formats store as floats.

#include "base/ByteReader.h"
#include "base/Math.h"
#include "base/UserMessageError.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvek::mmd {

// The format, the section and the field being read, shown as
// "PMX\頂点\ウェイト". Section and field are literals: a reader names the
// field of every value of a million vertices, which must cost no more than
// storing a pointer.
class ReadPlace {
public:
    explicit ReadPlace(std::string_view format) : format_(format) {}
    ReadPlace(const ReadPlace&) = delete;
    ReadPlace& operator=(const ReadPlace&) = delete;

    void at(std::string_view section, std::string_view field) {
        section_ = section;
        field_ = field;
    }
    void field(std::string_view field) { field_ = field; }

    UserMessageError brokenFile() const;
    [[noreturn]] void fail() const { throw brokenFile(); }
    // For overruns: a broken file at whatever place is being read then.
    ByteReader::ErrorMaker errorMaker() const {
        return [this] { return brokenFile(); };
    }

private:
    std::string_view format_;
    std::string_view section_;
    std::string_view field_;
};

inline Vec2 readVec2(ByteReader& input) {
    Vec2 v;
    v.x = input.f32();
    v.y = input.f32();
    return v;
}

inline Vec3 readVec3(ByteReader& input) {
    Vec3 v;
    v.x = input.f32();
    v.y = input.f32();
    v.z = input.f32();
    return v;
}

inline Vec4 readVec4(ByteReader& input) {
    Vec4 v;
    v.x = input.f32();
    v.y = input.f32();
    v.z = input.f32();
    v.w = input.f32();
    return v;
}

// A version number for a message: the shortest text that reads back as the
// same float, whatever the locale.
std::string versionText(float version);

// The narrowest index width of the format for indices below `count`: vertex
// indices are unsigned where narrower than four bytes, the others signed.
std::uint8_t vertexIndexWidth(std::size_t count);
std::uint8_t signedIndexWidth(std::size_t count);

}  // namespace zorvek::mmd

#include "support/pmx/PmxTestDecoder.h"

#include "base/TextEncoding.h"

#include <bit>
#include <cstring>
#include <stdexcept>

namespace zorvek::test {

namespace {

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t unsignedValue(std::size_t width) {
        if (bytes_.size() - offset_ < width) {
            throw std::runtime_error("file ends at " + std::to_string(offset_));
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value |= static_cast<std::uint32_t>(bytes_[offset_ + i]) << (8 * i);
        }
        offset_ += width;
        return value;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(unsignedValue(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(unsignedValue(2)); }
    std::uint32_t u32() { return unsignedValue(4); }
    std::int32_t i32() { return static_cast<std::int32_t>(unsignedValue(4)); }
    float f32() { return std::bit_cast<float>(unsignedValue(4)); }
    Vec2 vec2() { return {f32(), f32()}; }
    Vec3 vec3() { return {f32(), f32(), f32()}; }
    Vec4 vec4() { return {f32(), f32(), f32(), f32()}; }

    // Signed of any width, as the format reads bone and texture indices.
    std::int32_t index(std::size_t width) {
        const std::uint32_t raw = unsignedValue(width);
        if (width == 1) {
            return static_cast<std::int8_t>(raw);
        }
        if (width == 2) {
            return static_cast<std::int16_t>(raw);
        }
        return static_cast<std::int32_t>(raw);
    }

    std::u16string text() {
        const std::int32_t length = i32();
        if (length < 0 || length % 2 != 0) {
            throw std::runtime_error("bad text length " + std::to_string(length));
        }
        std::u16string result;
        for (std::int32_t i = 0; i < length / 2; ++i) {
            result.push_back(static_cast<char16_t>(u16()));
        }
        return result;
    }

    std::int32_t count() {
        const std::int32_t value = i32();
        if (value < 0) {
            throw std::runtime_error("negative count");
        }
        return value;
    }

    bool atEnd() const { return offset_ == bytes_.size(); }
    std::size_t offset() const { return offset_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
};

void decodeHeader(Reader& in, DecodedPmx& pmx) {
    for (auto& byte : pmx.magic) {
        byte = in.u8();
    }
    pmx.version = in.f32();
    const std::uint8_t settingCount = in.u8();
    for (std::uint8_t i = 0; i < settingCount; ++i) {
        pmx.settings.push_back(in.u8());
    }
    if (settingCount != 8 || pmx.settings[0] != 0) {
        throw std::runtime_error("unsupported settings");
    }
    pmx.lengths.header = in.offset();
    pmx.modelName = in.text();
    pmx.englishModelName = in.text();
    pmx.comment = in.text();
    pmx.englishComment = in.text();
}

DecodedVertex decodeVertex(Reader& in, const DecodedPmx& pmx) {
    DecodedVertex vertex;
    vertex.position = in.vec3();
    vertex.normal = in.vec3();
    vertex.uv = in.vec2();
    if (pmx.settings[1] > 1) {
        throw std::runtime_error("more than one additional UV");
    }
    if (pmx.settings[1] == 1) {
        vertex.additionalUv = in.vec4();
    }
    vertex.deformType = in.u8();
    if (vertex.deformType != 2) {
        throw std::runtime_error("deform type other than BDEF4");
    }
    for (auto& bone : vertex.bones) {
        bone = in.index(pmx.settings[5]);
    }
    vertex.weights = in.vec4();
    vertex.edgeScale = in.f32();
    return vertex;
}

DecodedMaterial decodeMaterial(Reader& in, const DecodedPmx& pmx) {
    DecodedMaterial material;
    material.name = in.text();
    material.englishName = in.text();
    material.diffuse = in.vec4();
    material.specular = in.vec3();
    material.specularStrength = in.f32();
    material.ambient = in.vec3();
    material.drawFlags = in.u8();
    material.edgeColour = in.vec4();
    material.edgeSize = in.f32();
    material.texture = in.index(pmx.settings[3]);
    material.sphereTexture = in.index(pmx.settings[3]);
    material.sphereMode = in.u8();
    material.sharedToon = in.u8();
    material.toon = material.sharedToon ? in.u8() : static_cast<std::uint8_t>(in.index(pmx.settings[3]));
    material.memo = in.text();
    material.faceIndexCount = in.i32();
    return material;
}

DecodedIk decodeIk(Reader& in, std::size_t boneIndexSize) {
    DecodedIk ik;
    ik.target = in.index(boneIndexSize);
    ik.loopCount = in.u32();
    ik.limitAngle = in.f32();
    const std::int32_t links = in.count();
    for (std::int32_t i = 0; i < links; ++i) {
        DecodedIkLink link;
        link.bone = in.index(boneIndexSize);
        const std::uint8_t limited = in.u8();
        if (limited > 1) {
            throw std::runtime_error("bad IK limit flag");
        }
        if (limited == 1) {
            link.limits = std::array<Vec3, 2>{in.vec3(), in.vec3()};
        }
        ik.links.push_back(link);
    }
    return ik;
}

DecodedBone decodeBone(Reader& in, const DecodedPmx& pmx) {
    constexpr std::uint16_t known = 0x0001 | 0x0002 | 0x0004 | 0x0008 | 0x0010 | 0x0020 | 0x0800;
    const std::size_t boneIndexSize = pmx.settings[5];
    DecodedBone bone;
    bone.name = in.text();
    bone.englishName = in.text();
    bone.position = in.vec3();
    bone.parent = in.index(boneIndexSize);
    bone.transformLevel = in.i32();
    bone.flags = in.u16();
    if ((bone.flags & ~known) != 0) {
        throw std::runtime_error("unexpected bone flags");
    }
    if (bone.flags & 0x0001) {
        bone.tailBone = in.index(boneIndexSize);
    } else {
        bone.tailOffset = in.vec3();
    }
    if (bone.flags & 0x0800) {
        bone.localAxes = std::array<Vec3, 2>{in.vec3(), in.vec3()};
    }
    if (bone.flags & 0x0020) {
        bone.ik = decodeIk(in, boneIndexSize);
    }
    return bone;
}

DecodedDisplayFrame decodeDisplayFrame(Reader& in, const DecodedPmx& pmx) {
    DecodedDisplayFrame frame;
    frame.name = in.text();
    frame.englishName = in.text();
    frame.special = in.u8();
    const std::int32_t elements = in.count();
    for (std::int32_t i = 0; i < elements; ++i) {
        if (in.u8() != 0) {
            throw std::runtime_error("display frame element that is not a bone");
        }
        frame.bones.push_back(in.index(pmx.settings[5]));
    }
    return frame;
}

template <typename Decode>
auto decodeList(Reader& in, Decode decode) {
    const std::int32_t count = in.count();
    std::vector<decltype(decode())> items;
    for (std::int32_t i = 0; i < count; ++i) {
        items.push_back(decode());
    }
    return items;
}

}  // namespace

DecodedPmx decodePmx(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    DecodedPmx pmx;
    DecodedSectionLengths& lengths = pmx.lengths;
    std::size_t start = 0;
    // The bytes read since the end of the previous section.
    const auto measure = [&](std::size_t& length) {
        length = in.offset() - start;
        start = in.offset();
    };
    decodeHeader(in, pmx);
    start = lengths.header;
    measure(lengths.modelInformation);
    pmx.vertices = decodeList(in, [&] { return decodeVertex(in, pmx); });
    measure(lengths.vertices);
    pmx.faces = decodeList(in, [&] { return in.unsignedValue(pmx.settings[2]); });
    measure(lengths.faces);
    pmx.textures = decodeList(in, [&] { return in.text(); });
    measure(lengths.textures);
    pmx.materials = decodeList(in, [&] { return decodeMaterial(in, pmx); });
    measure(lengths.materials);
    pmx.bones = decodeList(in, [&] { return decodeBone(in, pmx); });
    measure(lengths.bones);
    pmx.morphCount = in.i32();
    if (pmx.morphCount != 0) {
        throw std::runtime_error("morphs");
    }
    measure(lengths.morphs);
    pmx.displayFrames = decodeList(in, [&] { return decodeDisplayFrame(in, pmx); });
    measure(lengths.displayFrames);
    pmx.rigidBodyCount = in.i32();
    measure(lengths.rigidBodies);
    pmx.jointCount = in.i32();
    measure(lengths.joints);
    if (pmx.rigidBodyCount != 0 || pmx.jointCount != 0) {
        throw std::runtime_error("rigid bodies or joints");
    }
    if (!in.atEnd()) {
        throw std::runtime_error("trailing bytes");
    }
    return pmx;
}

std::string toUtf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

}  // namespace zorvek::test

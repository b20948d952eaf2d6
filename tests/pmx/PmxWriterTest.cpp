// A PmxModel written field by field: each case's expected bytes are spelled
// out here from the format's layout, not from the writer.
#include "pmx/PmxWriter.h"

#include "base/FileIo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace zorvek {
namespace {

// Little-endian values in the order the format lists them.
class Expected {
public:
    Expected& u8(std::uint8_t v) { return raw(&v, 1); }
    Expected& i16(std::int16_t v) { return raw(&v, 2); }
    Expected& u16(std::uint16_t v) { return raw(&v, 2); }
    Expected& i32(std::int32_t v) { return raw(&v, 4); }
    Expected& f32(float v) { return raw(&v, 4); }
    Expected& vec3(float x, float y, float z) { return f32(x).f32(y).f32(z); }
    Expected& vec4(float x, float y, float z, float w) { return f32(x).f32(y).f32(z).f32(w); }
    Expected& utf16(std::u16string_view text) {
        i32(static_cast<std::int32_t>(2 * text.size()));
        for (char16_t unit : text) {
            u16(unit);
        }
        return *this;
    }
    Expected& utf8(std::string_view text) {
        i32(static_cast<std::int32_t>(text.size()));
        for (char byte : text) {
            u8(static_cast<std::uint8_t>(byte));
        }
        return *this;
    }
    Expected& append(const Bytes& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Bytes bytes;

private:
    Expected& raw(const void* value, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(value);
        bytes.insert(bytes.end(), p, p + n);
        return *this;
    }
};

constexpr int sectionCount = 9;  // vertices to joints
enum Section { Vertices, Faces, Textures, Materials, Bones, Morphs, Frames, Bodies, Joints };

PmxModel smallModel() {
    PmxModel model;
    model.header.boneIndexSize = 1;
    model.information = {u"m", u"", u"", u""};
    return model;
}

struct WriterCase {
    const char* name;
    std::function<void(PmxModel&)> fill;
    Section section;         // the one section the case fills
    Bytes sectionBytes;      // that section, its count included
    Bytes header = {};       // empty: the small model's
    Bytes information = {};  // empty: the small model's
};

Bytes smallHeader(std::uint8_t encoding, std::uint8_t additionalUvs, std::uint8_t vertexIndex, std::uint8_t boneIndex) {
    Expected e;
    e.u8('P').u8('M').u8('X').u8(' ').f32(2.0f).u8(8).u8(encoding).u8(additionalUvs).u8(vertexIndex).u8(4).u8(4);
    e.u8(boneIndex).u8(4).u8(4);
    return e.bytes;
}

Bytes expectedFile(const WriterCase& c) {
    Expected e;
    e.append(c.header.empty() ? smallHeader(0, 0, 4, 1) : c.header);
    e.append(c.information.empty() ? Expected().utf16(u"m").utf16(u"").utf16(u"").utf16(u"").bytes : c.information);
    for (int section = 0; section < sectionCount; ++section) {
        e.append(section == c.section ? c.sectionBytes : Expected().i32(0).bytes);
    }
    return e.bytes;
}

class PmxWriterWrites : public testing::TestWithParam<WriterCase> {};

TEST_P(PmxWriterWrites, TheFieldsTheFormatLists) {
    PmxModel model = smallModel();
    GetParam().fill(model);
    const ByteBlock written = writePmx(model);
    EXPECT_EQ(Bytes(written.begin(), written.end()), expectedFile(GetParam()));
    EXPECT_EQ(pmxFileSize(model), written.size());
}

PmxBone plainBone(std::u16string name, std::uint16_t flags) {
    PmxBone bone;
    bone.name = std::move(name);
    bone.flags = flags;
    return bone;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmxWriterWrites,
    testing::Values(
        WriterCase{"EmptySections", [](PmxModel&) {}, Vertices, Expected().i32(0).bytes},
        WriterCase{"Utf8Texts",
                   [](PmxModel& m) {
                       m.header.encoding = PmxTextEncoding::Utf8;
                       m.information.name = u"表m";
                       m.textures = {u"a\u00E9.png"};
                   },
                   Textures, Expected().i32(1).utf8("a\xC3\xA9.png").bytes, smallHeader(1, 0, 4, 1),
                   Expected().utf8("\xE8\xA1\xA8m").utf8("").utf8("").utf8("").bytes},
        // Each deform stores as many bones and weights as it has; empty normals and UVs are zeros.
        WriterCase{"DeformsAndEdgeScales",
                   [](PmxModel& m) {
                       m.header.boneIndexSize = 2;
                       PmxVertices& v = m.vertices;
                       v.positions = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
                       v.deforms = {PmxDeform::Bdef1, PmxDeform::Bdef2, PmxDeform::Bdef4};
                       v.smallBones = {{5, 0, 0, 0}, {1, 2, 0, 0}, {1, 2, 3, 255}};
                       v.weights = {{1, 0, 0, 0}, {0.25f, 0.75f, 0, 0}, {0.5f, 0.25f, 0.125f, 0.125f}};
                       v.edgeScales = {1, 0.5f, 2};
                   },
                   Vertices,
                   Expected()
                       .i32(3)
                       .vec3(1, 2, 3).vec3(0, 0, 0).f32(0).f32(0).u8(0).i16(5).f32(1)
                       .vec3(4, 5, 6).vec3(0, 0, 0).f32(0).f32(0).u8(1).i16(1).i16(2).f32(0.25f).f32(0.5f)
                       .vec3(7, 8, 9).vec3(0, 0, 0).f32(0).f32(0).u8(2).i16(1).i16(2).i16(3).i16(255)
                       .vec4(0.5f, 0.25f, 0.125f, 0.125f).f32(2)
                       .bytes,
                   smallHeader(0, 0, 4, 2)},
        WriterCase{"AdditionalUvAndWideBones",
                   [](PmxModel& m) {
                       m.header.additionalUvCount = 1;
                       m.header.boneIndexSize = 4;
                       PmxVertices& v = m.vertices;
                       v.positions = {{1, 0, 0}};
                       v.normals = {{0, 1, 0}};
                       v.uvs = {{0.5f, 0.25f}};
                       v.additionalUvs = {{{1, 2, 3, 4}}};
                       v.bones = {{70000, -1, 0, 1}};
                       v.weights = {{1, 0, 0, 0}};
                   },
                   Vertices,
                   Expected()
                       .i32(1)
                       .vec3(1, 0, 0).vec3(0, 1, 0).f32(0.5f).f32(0.25f).vec4(1, 2, 3, 4).u8(2)
                       .i32(70000).i32(-1).i32(0).i32(1).vec4(1, 0, 0, 0).f32(1)
                       .bytes,
                   smallHeader(0, 1, 4, 4)},
        // Vertex indices narrower than four bytes are unsigned.
        WriterCase{"OneByteVertexIndices",
                   [](PmxModel& m) {
                       m.header.vertexIndexSize = 1;
                       m.faceIndices = {200, 1, 2};
                   },
                   Faces, Expected().i32(3).u8(200).u8(1).u8(2).bytes, smallHeader(0, 0, 1, 1)},
        WriterCase{"TwoByteVertexIndices",
                   [](PmxModel& m) {
                       m.header.vertexIndexSize = 2;
                       m.faceIndices = {40000, 1, 2};
                   },
                   Faces, Expected().i32(3).u16(40000).u16(1).u16(2).bytes, smallHeader(0, 0, 2, 1)},
        WriterCase{"MaterialWithItsOwnToon",
                   [](PmxModel& m) {
                       PmxMaterial material;
                       material.name = u"x";
                       material.sharedToon = false;
                       material.toon = 3;
                       material.texture = 1;
                       material.drawFlags = PmxDoubleSided;
                       material.faceIndexCount = 6;
                       m.materials = {material};
                   },
                   Materials,
                   Expected()
                       .i32(1).utf16(u"x").utf16(u"").vec4(1, 1, 1, 1).vec3(0, 0, 0).f32(0).vec3(0, 0, 0).u8(1)
                       .vec4(0, 0, 0, 0).f32(0).i32(1).i32(-1).u8(0).u8(0).i32(3).utf16(u"").i32(6)
                       .bytes},
        // Only the fields the flags announce follow the flags.
        WriterCase{"BoneFieldsByFlags",
                   [](PmxModel& m) {
                       PmxBone tail = plainBone(u"a", PmxTailIsBone);
                       tail.tailBone = -1;
                       PmxBone full = plainBone(u"b", PmxInheritsRotation | PmxFixedAxis | PmxLocalAxes |
                                                          PmxExternalParent | PmxIsIk);
                       full.parent = 0;
                       full.layer = 2;
                       full.tailOffset = {0, 1, 0};
                       full.inheritParent = 0;
                       full.inheritWeight = -1;
                       full.fixedAxis = {1, 0, 0};
                       full.localX = {1, 0, 0};
                       full.localZ = {0, 0, 1};
                       full.externalKey = 7;
                       full.ik = {0, 40, 2.0f, {{0, true, {-1, 0, 0}, {0, 0, 0}}, {1, false, {}, {}}}};
                       m.bones = {tail, full};
                   },
                   Bones,
                   Expected()
                       .i32(2)
                       .utf16(u"a").utf16(u"").vec3(0, 0, 0).u8(0xFF).i32(0).u16(0x0001).u8(0xFF)
                       .utf16(u"b").utf16(u"").vec3(0, 0, 0).u8(0).i32(2).u16(0x2D20).vec3(0, 1, 0)
                       .u8(0).f32(-1).vec3(1, 0, 0).vec3(1, 0, 0).vec3(0, 0, 1).i32(7)
                       .u8(0).i32(40).f32(2).i32(2).u8(0).u8(1).vec3(-1, 0, 0).vec3(0, 0, 0).u8(1).u8(0)
                       .bytes},
        WriterCase{"EveryMorphType",
                   [](PmxModel& m) {
                       PmxMorph group{u"g", u"", 4, 0, {{1, 0.5f}}, {}, {}, {}, {}};
                       PmxMorph vertex{u"v", u"", 1, 1, {}, {{2, {1, 2, 3}}}, {}, {}, {}};
                       PmxMorph bone{u"b", u"", 2, 2, {}, {}, {{0, {1, 0, 0}, {0, 0, 0, 1}}}, {}, {}};
                       PmxMorph uv{u"u", u"", 3, 4, {}, {}, {}, {{1, {0.5f, 0, 0, 0}}}, {}};
                       PmxMaterialOffset offset;
                       offset.operation = 1;
                       offset.diffuse = {1, 1, 1, 1};
                       PmxMorph material{u"m", u"", 4, 8, {}, {}, {}, {}, {offset}};
                       m.morphs = {group, vertex, bone, uv, material};
                   },
                   Morphs,
                   Expected()
                       .i32(5)
                       .utf16(u"g").utf16(u"").u8(4).u8(0).i32(1).i32(1).f32(0.5f)
                       .utf16(u"v").utf16(u"").u8(1).u8(1).i32(1).i32(2).vec3(1, 2, 3)
                       .utf16(u"b").utf16(u"").u8(2).u8(2).i32(1).u8(0).vec3(1, 0, 0).vec4(0, 0, 0, 1)
                       .utf16(u"u").utf16(u"").u8(3).u8(4).i32(1).i32(1).vec4(0.5f, 0, 0, 0)
                       .utf16(u"m").utf16(u"").u8(4).u8(8).i32(1).i32(-1).u8(1).vec4(1, 1, 1, 1).vec3(0, 0, 0)
                       .f32(0).vec3(0, 0, 0).vec4(0, 0, 0, 0).f32(0).vec4(0, 0, 0, 0).vec4(0, 0, 0, 0)
                       .vec4(0, 0, 0, 0)
                       .bytes},
        WriterCase{"DisplayFrameOfABoneAndAMorph",
                   [](PmxModel& m) {
                       m.displayFrames = {{u"表情", u"Exp", true, {{false, 3}, {true, 9}}}};
                   },
                   Frames,
                   Expected().i32(1).utf16(u"表情").utf16(u"Exp").u8(1).i32(2).u8(0).u8(3).u8(1).i32(9).bytes},
        WriterCase{"RigidBody",
                   [](PmxModel& m) {
                       PmxRigidBody body{u"r", u"", 0, 3, 0xFFFE, 2, {1, 2, 0}, {0, 5, 0}, {0, 0, 1},
                                         1, 0.5f, 0.5f, 0, 0.5f, 1};
                       m.rigidBodies = {body};
                   },
                   Bodies,
                   Expected()
                       .i32(1).utf16(u"r").utf16(u"").u8(0).u8(3).u16(0xFFFE).u8(2).vec3(1, 2, 0).vec3(0, 5, 0)
                       .vec3(0, 0, 1).f32(1).f32(0.5f).f32(0.5f).f32(0).f32(0.5f).u8(1)
                       .bytes},
        WriterCase{"Joint",
                   [](PmxModel& m) {
                       PmxJoint joint{u"j", u"", 0, 0, -1, {1, 1, 1}, {}, {}, {}, {-1, 0, 0}, {1, 0, 0}, {}, {}};
                       m.joints = {joint};
                   },
                   Joints,
                   Expected()
                       .i32(1).utf16(u"j").utf16(u"").u8(0).i32(0).i32(-1).vec3(1, 1, 1).vec3(0, 0, 0)
                       .vec3(0, 0, 0).vec3(0, 0, 0).vec3(-1, 0, 0).vec3(1, 0, 0).vec3(0, 0, 0).vec3(0, 0, 0)
                       .bytes}),
    [](const testing::TestParamInfo<WriterCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

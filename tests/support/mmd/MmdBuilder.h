#pragma once

// PMX and PMD files for the readers' tests and the fuzzer's seeds: a byte
// builder for files spelled out value by value, PmxModels with something in
// every section, and PMD files described by their fields.

#include "base/FileIo.h"
#include "pmx/PmxModel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek::test {

// Little-endian values appended in the order a format lists them.
class ByteBuilder {
public:
    ByteBuilder& u8(std::uint8_t v) { return raw(&v, 1); }
    ByteBuilder& u16(std::uint16_t v) { return raw(&v, 2); }
    ByteBuilder& i16(std::int16_t v) { return raw(&v, 2); }
    ByteBuilder& u32(std::uint32_t v) { return raw(&v, 4); }
    ByteBuilder& i32(std::int32_t v) { return raw(&v, 4); }
    ByteBuilder& f32(float v) { return raw(&v, 4); }
    ByteBuilder& vec2(float x, float y) { return f32(x).f32(y); }
    ByteBuilder& vec3(float x, float y, float z) { return f32(x).f32(y).f32(z); }
    ByteBuilder& vec4(float x, float y, float z, float w) { return f32(x).f32(y).f32(z).f32(w); }
    // A signed index of 1, 2 or 4 bytes.
    ByteBuilder& index(int width, std::int32_t v);
    // An unsigned one, as vertex indices are.
    ByteBuilder& vertex(int width, std::uint32_t v);
    // PMX text: an int32 byte length, then the text.
    ByteBuilder& utf16(std::u16string_view text);
    ByteBuilder& utf8(std::string_view text);
    // A fixed-size field, padded with NULs.
    ByteBuilder& field(std::string_view text, std::size_t size);
    ByteBuilder& ascii(std::string_view text) { return raw(text.data(), text.size()); }
    ByteBuilder& append(const Bytes& more);

    std::size_t size() const { return bytes.size(); }
    Bytes bytes;

private:
    ByteBuilder& raw(const void* value, std::size_t n);
};

// Bytes with a little-endian value written over them at `offset`.
Bytes patched32(Bytes bytes, std::size_t offset, std::uint32_t value);

// A model with every section filled, as our writer writes it: three
// vertices (BDEF1, BDEF2, BDEF4) with `additionalUvs` additional UVs, a
// triangle, two textures, two materials (one with a shared toon, one with its
// own), three bones (one with every optional field, an IK bone with a
// limited and a free link), a morph of every type (group, vertex, bone, UV,
// each additional UV the model has, material), two display frames, two
// rigid bodies and a joint. Every index width of the header is `width`.
PmxModel everySectionModel(PmxTextEncoding encoding, std::uint8_t width, std::uint8_t additionalUvs);

// Where each section of a written model starts: the nine sections from the
// vertices to the joints, then the end of the file.
std::vector<std::size_t> pmxSectionStarts(const PmxModel& model);

// The header of a PMX file: its version, encoding, additional UVs and one
// width for every kind of index.
ByteBuilder pmxHeader(float version, std::uint8_t encoding, std::uint8_t additionalUvs, std::uint8_t width);

// A 2.1 model with one-byte indices and one additional UV: an SDEF, a QDEF
// and a BDEF1 vertex (bone -1 among the QDEF's), flip and impulse morphs
// between a vertex and a group morph, a display frame that names both kinds,
// a joint of type 1 and a soft body with an anchor and two pins.
Bytes pmx21File();

// PMD section by section, each record as the file holds it; names are
// Shift-JIS bytes.
struct PmdVertex {
    float position[3]{}, normal[3]{}, uv[2]{};
    std::uint16_t bones[2]{};
    std::uint8_t weight = 100;
    std::uint8_t noEdge = 0;
};

struct PmdMaterial {
    float diffuse[4]{1, 1, 1, 1};
    float specularPower = 0;
    float specular[3]{}, ambient[3]{};
    std::uint8_t toon = 0xFF;
    std::uint8_t edge = 0;
    std::uint32_t faceIndexCount = 0;
    std::string texture;
};

struct PmdBone {
    std::string name;
    std::uint16_t parent = 0xFFFF;
    std::uint16_t tail = 0;
    std::uint8_t type = 0;
    std::uint16_t ikParent = 0;
    float position[3]{};
};

struct PmdIkEntry {
    std::uint16_t bone = 0, target = 0;
    std::uint16_t iterations = 0;
    float limit = 0;
    std::vector<std::uint16_t> links;
};

struct PmdMorphVertex {
    std::uint32_t index = 0;
    float position[3]{};
};

struct PmdMorph {
    std::string name;
    std::uint8_t type = 0;
    std::vector<PmdMorphVertex> vertices;
};

struct PmdBoneDisplay {
    std::uint16_t bone = 0;
    std::uint8_t frame = 1;
};

struct PmdRigidBody {
    std::string name;
    std::uint16_t bone = 0xFFFF;
    std::uint8_t group = 0;
    std::uint16_t mask = 0;
    std::uint8_t shape = 0;
    float size[3]{}, position[3]{}, rotation[3]{};
    float mass = 0, linearDamping = 0, angularDamping = 0, restitution = 0, friction = 0;
    std::uint8_t mode = 0;
};

struct PmdJoint {
    std::string name;
    std::uint32_t bodyA = 0, bodyB = 0;
    float values[8][3]{};  // position, rotation, limits, springs
};

struct PmdEnglish {
    std::string name, comment;
    std::vector<std::string> bones, morphs, frames;  // morphs: all but the base
};

struct PmdFile {
    float version = 1.0f;
    std::string name, comment;
    std::vector<PmdVertex> vertices;
    std::vector<std::uint16_t> faces;
    std::vector<PmdMaterial> materials;
    std::vector<PmdBone> bones;
    std::vector<PmdIkEntry> iks;
    std::vector<PmdMorph> morphs;
    std::vector<std::uint16_t> morphDisplay;
    std::vector<std::string> frameNames;
    std::vector<PmdBoneDisplay> boneDisplay;
    // The extensions, each written only when it and all before it are.
    bool hasEnglish = false;
    PmdEnglish english;
    bool hasToonNames = false;
    std::vector<std::string> toonNames;  // ten
    bool hasPhysics = false;
    std::vector<PmdRigidBody> rigidBodies;
    std::vector<PmdJoint> joints;
};

// The file's bytes; `sectionEnds`, when given, receives the offsets where
// the file may end (after the display frames and after each extension).
Bytes buildPmd(const PmdFile& file, std::vector<std::size_t>* validEnds = nullptr);

// A PMD with something in every section and every extension.
PmdFile everySectionPmd();

}  // namespace zorvek::test

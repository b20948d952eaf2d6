#pragma once

// Builds RenderWare DFF files from code, so that every test states the layout
// it reads. Two levels:
//   - Chunk: a generic chunk tree (type, stamp, payload bytes, children) whose
//     sizes are computed when written; size and stamp can be overridden to
//     make malformed files.
//   - SkinnedModel: a whole skinned character model (frames, one or more
//     geometries with materials, bin mesh and skin, atomics) that is valid
//     by default; toClump() turns it into a Chunk tree that tests may edit
//     before writing, buildDff() writes it directly.

#include "base/FileIo.h"
#include "base/Math.h"
#include "rw/ChunkHeader.h"
#include "rw/SectionType.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek::test {

// ---------------------------------------------------------------- bytes

// Appends little-endian values.
class ByteWriter {
public:
    ByteWriter& u8(std::uint8_t value);
    ByteWriter& u16(std::uint16_t value);
    ByteWriter& u32(std::uint32_t value);
    ByteWriter& i32(std::int32_t value);
    ByteWriter& f32(float value);
    ByteWriter& vec2(const Vec2& value);
    ByteWriter& vec3(const Vec3& value);
    ByteWriter& vec4(const Vec4& value);
    ByteWriter& matrix(const Matrix44& value);
    ByteWriter& bytes(std::span<const std::uint8_t> values);
    ByteWriter& text(std::string_view text);  // the bytes only, no terminator
    ByteWriter& zeros(std::size_t count);

    const Bytes& data() const { return bytes_; }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Reading and patching values inside built files (offsets in bytes).
std::uint32_t getU32(const Bytes& bytes, std::size_t offset);
float getF32(const Bytes& bytes, std::size_t offset);
void putU32(Bytes& bytes, std::size_t offset, std::uint32_t value);
void putI32(Bytes& bytes, std::size_t offset, std::int32_t value);

// ---------------------------------------------------------------- chunks

// Chunk types the reader never opens but real files hold.
inline constexpr std::uint32_t atomicType = typeId(SectionType::Atomic);
inline constexpr std::uint32_t morphPlgType = typeId(SectionType::MorphPLG);

struct Chunk {
    std::uint32_t type = 0;
    Bytes payload;                      // written first
    std::vector<Chunk> children;        // written after the payload bytes
    std::optional<std::uint32_t> size;  // replaces the computed size in the header
    std::uint32_t version = acceptedVersionStamp;

    // The nth child of that type (0 is the first); throws std::logic_error when absent.
    Chunk& child(SectionType type, int nth = 0);
    // Follows a path of first children, e.g. {GeometryList, Geometry, Extension}.
    Chunk& at(std::initializer_list<SectionType> path);
};

Chunk leafChunk(std::uint32_t type, Bytes payload);
Chunk leafChunk(SectionType type, Bytes payload);
Chunk containerChunk(std::uint32_t type, std::vector<Chunk> children);
Chunk containerChunk(SectionType type, std::vector<Chunk> children);
Chunk structChunk(Bytes payload);

// The computed payload size: payload bytes plus the serialised children.
std::size_t payloadSize(const Chunk& chunk);
Bytes serialize(const Chunk& chunk);
Bytes serialize(const std::vector<Chunk>& chunks);

// ---------------------------------------------------------------- payload chunks

// A String as RenderWare writes it: the text, a zero byte, zeros up to a multiple of 4.
Chunk stringChunk(std::string_view text);
// A Frame name chunk: exactly the name bytes.
Chunk frameNameChunk(std::string_view name);

struct HAnimNodeSpec {
    std::int32_t nodeId = 0;
    std::int32_t nodeIndex = 0;
    std::int32_t nodeFlags = 0;
};
// With a non-empty hierarchy the node list (and its flags and key frame size) is written.
Chunk hanimChunk(std::int32_t nodeId, const std::vector<HAnimNodeSpec>& hierarchy = {});

struct BinMeshSpec {
    std::uint32_t materialIndex = 0;
    std::vector<std::uint32_t> indices;
};
Chunk binMeshChunk(std::uint32_t meshFlags, const std::vector<BinMeshSpec>& meshes);

struct SkinSpec {
    std::optional<std::uint8_t> numBones;  // default: inverseMatrices.size()
    std::vector<std::uint8_t> usedBones;
    std::uint8_t maxWeightsPerVertex = 4;
    std::vector<std::array<std::uint8_t, 4>> boneIndices;  // one per vertex
    std::vector<Vec4> weights;                             // one per vertex
    std::vector<Matrix44> inverseMatrices;
    Bytes spareBytes;  // written after the matrices
};
Chunk skinChunk(const SkinSpec& skin);

// ---------------------------------------------------------------- a skinned model

struct FrameSpec {
    std::string name;  // written as a Frame chunk when not empty
    Vec3 translation;
    std::int32_t parentIndex = -1;
    std::array<float, 9> rotation = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    // The frame's HAnimPLG; without one and without a name the Extension is empty.
    std::optional<std::int32_t> boneId;
    std::vector<HAnimNodeSpec> hierarchy;  // on the one frame that carries it
};

// A frame without extension data (an empty Extension).
FrameSpec plainFrame(const Vec3& translation, std::int32_t parentIndex);
// A named frame with its HAnimPLG; give the hierarchy on the one frame that carries it.
FrameSpec boneFrame(std::string name, const Vec3& translation, std::int32_t parentIndex, std::int32_t boneId,
                    std::vector<HAnimNodeSpec> hierarchy = {});

struct MaterialSpec {
    std::vector<std::string> textures;          // one Texture chunk each
    std::optional<std::uint32_t> textureCount;  // default: textures.size()
};

MaterialSpec texturedMaterial(std::vector<std::string> textures);

// Geometry format flags.
inline constexpr std::uint32_t geometryTriStrip = 0x01;
inline constexpr std::uint32_t geometryPositions = 0x02;
inline constexpr std::uint32_t geometryTextured = 0x04;
inline constexpr std::uint32_t geometryPrelit = 0x08;
inline constexpr std::uint32_t geometryNormals = 0x10;
inline constexpr std::uint32_t geometryLight = 0x20;
inline constexpr std::uint32_t geometryModulate = 0x40;
inline constexpr std::uint32_t geometryTextured2 = 0x80;

struct GeometrySpec {
    std::uint32_t flags = geometryPositions | geometryTextured | geometryNormals | geometryLight | geometryModulate;
    std::optional<std::uint8_t> numTexSets;  // default: uvSets.size()
    // Each array is written only where the flags say the file stores it:
    // prelit with 0x08, uvSets with 0x04 or 0x80 (the first numTexSets of
    // them), normals with 0x10. Lengths are written as given, and
    // positions.size() is the vertex count.
    std::vector<std::array<std::uint8_t, 4>> prelit;
    std::vector<std::vector<Vec2>> uvSets;
    std::vector<std::array<std::uint16_t, 4>> triangles;  // four 16-bit words as stored
    Vec4 boundingSphere{0, 0, 0, 1};
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<std::vector<Vec3>> extraMorphTargets;  // positions of further morph targets
    std::vector<MaterialSpec> materials;
    std::uint32_t binMeshFlags = 0;  // 0 lists, 1 strips
    std::vector<BinMeshSpec> meshes;
    SkinSpec skin;
    bool writeSkin = true;
};

struct SkinnedModel {
    std::uint32_t numAtomics = 1;  // also how many Atomic chunks follow the GeometryList
    std::vector<FrameSpec> frames;
    std::vector<GeometrySpec> geometries;  // the reader reads the first only
};

// A small valid model: an unnamed frame without extension data, then
// "Root", "Pelvis" and "Spine" with bone ids 0, 2, 1 and bone numbers 0, 1, 2
// (the hierarchy is on "Root");
// 4 vertices with one uv set and normals; 2 triangles; materials "body"
// (textured) and one without texture; two list splits; a 3-bone skin.
SkinnedModel sampleSkinnedModel();

// A translation matrix with identity axes, as inverse bind matrices usually are.
Matrix44 translationMatrix(const Vec3& translation);

Chunk geometryChunk(const GeometrySpec& geometry);
Chunk frameListChunk(const std::vector<FrameSpec>& frames);
Chunk toClump(const SkinnedModel& model);
Bytes buildDff(const SkinnedModel& model);

}  // namespace zorvek::test

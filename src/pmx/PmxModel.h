#pragma once

// A PMX 2.0 model as the file holds it, section by section. Values keep
// their on-disk meaning (flags as stored, -1 for "no bone"); which optional
// fields of a record are present follows from its flags and types, as in
// the file.

#include "base/LargeArrays.h"
#include "base/Math.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

enum class PmxTextEncoding : std::uint8_t { Utf16 = 0, Utf8 = 1 };

struct PmxHeader {
    float version = 2.0f;
    PmxTextEncoding encoding = PmxTextEncoding::Utf16;
    std::uint8_t additionalUvCount = 0;  // 0 to 4
    // Bytes of each kind of index: 1, 2 or 4.
    std::uint8_t vertexIndexSize = 4;
    std::uint8_t textureIndexSize = 4;
    std::uint8_t materialIndexSize = 4;
    std::uint8_t boneIndexSize = 4;
    std::uint8_t morphIndexSize = 4;
    std::uint8_t rigidBodyIndexSize = 4;
};

struct PmxInformation {
    std::u16string name;
    std::u16string englishName;
    std::u16string comment;
    std::u16string englishComment;
};

enum class PmxDeform : std::uint8_t { Bdef1 = 0, Bdef2 = 1, Bdef4 = 2 };

using PmxSmallBoneQuad = std::array<std::uint8_t, 4>;
using PmxBoneQuad = std::array<std::int32_t, 4>;

// One array per attribute rather than one record per vertex: a converted
// model of a million vertices moves its arrays in instead of copying them.
// An empty array of normals, texture coordinates or additional UVs stands
// for zeros, an empty one of edge scales for 1 at every vertex.
struct PmxVertices {
    LargeArray<Vec3> positions;
    LargeArray<Vec3> normals;
    LargeArray<Vec2> uvs;
    std::vector<LargeArray<Vec4>> additionalUvs;  // header.additionalUvCount sets
    // Empty when every vertex is BDEF4.
    LargeArray<PmxDeform> deforms;
    // The four bones of each vertex (BDEF1 uses the first, BDEF2 the first
    // two): smallBones when every index fits a byte, as a DFF's skin bones do,
    // else bones.
    LargeArray<PmxSmallBoneQuad> smallBones;
    LargeArray<PmxBoneQuad> bones;
    LargeArray<Vec4> weights;  // BDEF2 stores only x, the first bone's weight
    LargeArray<float> edgeScales;

    std::size_t size() const { return positions.size(); }
};

enum PmxMaterialFlag : std::uint8_t {
    PmxDoubleSided = 0x01,
    PmxGroundShadow = 0x02,
    PmxCastsSelfShadow = 0x04,
    PmxReceivesSelfShadow = 0x08,
    PmxDrawsEdge = 0x10,
};

struct PmxMaterial {
    std::u16string name;
    std::u16string englishName;
    Vec4 diffuse{1, 1, 1, 1};
    Vec3 specular;
    float specularStrength = 0;
    Vec3 ambient;
    std::uint8_t drawFlags = 0;
    Vec4 edgeColour;
    float edgeSize = 0;
    std::int32_t texture = -1;
    std::int32_t sphereTexture = -1;
    std::uint8_t sphereMode = 0;
    bool sharedToon = true;
    std::int32_t toon = 0;  // 0 to 9 for a shared toon, else a texture index
    std::u16string memo;
    std::int32_t faceIndexCount = 0;  // of the face indices, three per triangle
};

enum PmxBoneFlag : std::uint16_t {
    PmxTailIsBone = 0x0001,
    PmxCanRotate = 0x0002,
    PmxCanMove = 0x0004,
    PmxVisible = 0x0008,
    PmxCanOperate = 0x0010,
    PmxIsIk = 0x0020,
    PmxInheritsLocal = 0x0080,
    PmxInheritsRotation = 0x0100,
    PmxInheritsTranslation = 0x0200,
    PmxFixedAxis = 0x0400,
    PmxLocalAxes = 0x0800,
    PmxAfterPhysics = 0x1000,
    PmxExternalParent = 0x2000,
};

struct PmxIkLink {
    std::int32_t bone = -1;
    bool limited = false;
    Vec3 lowerLimit;  // radians
    Vec3 upperLimit;
};

struct PmxIk {
    std::int32_t target = -1;
    std::int32_t loopCount = 0;
    float limitAngle = 0;  // radians per step
    std::vector<PmxIkLink> links;
};

struct PmxBone {
    std::u16string name;
    std::u16string englishName;
    Vec3 position;
    std::int32_t parent = -1;
    std::int32_t layer = 0;
    std::uint16_t flags = 0;
    std::int32_t tailBone = -1;       // with PmxTailIsBone
    Vec3 tailOffset;                  // without it
    std::int32_t inheritParent = -1;  // with PmxInheritsRotation or PmxInheritsTranslation
    float inheritWeight = 0;
    Vec3 fixedAxis;  // with PmxFixedAxis
    Vec3 localX;     // with PmxLocalAxes
    Vec3 localZ;
    std::int32_t externalKey = 0;  // with PmxExternalParent
    PmxIk ik;                      // with PmxIsIk
};

enum class PmxMorphType : std::uint8_t { Group = 0, Vertex = 1, Bone = 2, Uv = 3, Material = 8 };

struct PmxGroupOffset {
    std::int32_t morph = -1;
    float weight = 0;
};

struct PmxVertexOffset {
    std::int32_t vertex = 0;
    Vec3 offset;
};

struct PmxBoneOffset {
    std::int32_t bone = -1;
    Vec3 translation;
    Vec4 rotation{0, 0, 0, 1};
};

struct PmxUvOffset {
    std::int32_t vertex = 0;
    Vec4 offset;
};

struct PmxMaterialOffset {
    std::int32_t material = -1;  // -1: every material
    std::uint8_t operation = 0;  // 0 multiplies, 1 adds
    Vec4 diffuse;
    Vec3 specular;
    float specularStrength = 0;
    Vec3 ambient;
    Vec4 edgeColour;
    float edgeSize = 0;
    Vec4 texture;
    Vec4 sphereTexture;
    Vec4 toon;
};

// The offsets of the morph's type; the other lists stay empty. The UV type
// covers UV morphs (3) and additional UV morphs (4 to 7) alike.
struct PmxMorph {
    std::u16string name;
    std::u16string englishName;
    std::uint8_t panel = 0;
    std::uint8_t type = 1;
    std::vector<PmxGroupOffset> groupOffsets;
    std::vector<PmxVertexOffset> vertexOffsets;
    std::vector<PmxBoneOffset> boneOffsets;
    std::vector<PmxUvOffset> uvOffsets;
    std::vector<PmxMaterialOffset> materialOffsets;
};

struct PmxDisplayElement {
    bool isMorph = false;
    std::int32_t index = 0;  // a bone, or a morph
};

struct PmxDisplayFrame {
    std::u16string name;
    std::u16string englishName;
    bool special = false;
    std::vector<PmxDisplayElement> elements;
};

struct PmxRigidBody {
    std::u16string name;
    std::u16string englishName;
    std::int32_t bone = -1;
    std::uint8_t group = 0;
    std::uint16_t collisionMask = 0;
    std::uint8_t shape = 0;  // sphere, box, capsule
    Vec3 size;
    Vec3 position;
    Vec3 rotation;
    float mass = 0;
    float linearDamping = 0;
    float angularDamping = 0;
    float restitution = 0;
    float friction = 0;
    std::uint8_t physics = 0;  // follows the bone, physics, physics with the bone's place
};

struct PmxJoint {
    std::u16string name;
    std::u16string englishName;
    std::uint8_t type = 0;  // spring 6DOF
    std::int32_t bodyA = -1;
    std::int32_t bodyB = -1;
    Vec3 position;
    Vec3 rotation;
    Vec3 lowerTranslation;
    Vec3 upperTranslation;
    Vec3 lowerRotation;
    Vec3 upperRotation;
    Vec3 springTranslation;
    Vec3 springRotation;
};

struct PmxModel {
    PmxHeader header;
    PmxInformation information;
    PmxVertices vertices;
    LargeArray<std::uint32_t> faceIndices;  // three per triangle
    std::vector<std::u16string> textures;
    std::vector<PmxMaterial> materials;
    std::vector<PmxBone> bones;
    std::vector<PmxMorph> morphs;
    std::vector<PmxDisplayFrame> displayFrames;
    std::vector<PmxRigidBody> rigidBodies;
    std::vector<PmxJoint> joints;
};

}  // namespace zorvek

#pragma once

#include "base/FileIo.h"
#include "base/Math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zorvek::test {

struct DecodedVertex {
    Vec3 position;
    Vec3 normal;
    Vec2 uv;
    std::optional<Vec4> additionalUv;
    std::uint8_t deformType = 0;
    std::array<std::int32_t, 4> bones{};
    Vec4 weights;
    float edgeScale = 0;
};

struct DecodedMaterial {
    std::u16string name, englishName;
    Vec4 diffuse;
    Vec3 specular;
    float specularStrength = 0;
    Vec3 ambient;
    std::uint8_t drawFlags = 0;
    Vec4 edgeColour;
    float edgeSize = 0;
    std::int32_t texture = 0, sphereTexture = 0;
    std::uint8_t sphereMode = 0, sharedToon = 0, toon = 0;
    std::u16string memo;
    std::int32_t faceIndexCount = 0;
};

struct DecodedIkLink {
    std::int32_t bone = 0;
    std::optional<std::array<Vec3, 2>> limits;  // lower, upper
};

struct DecodedIk {
    std::int32_t target = 0;
    std::uint32_t loopCount = 0;
    float limitAngle = 0;
    std::vector<DecodedIkLink> links;
};

struct DecodedBone {
    std::u16string name, englishName;
    Vec3 position;
    std::int32_t parent = 0;
    std::int32_t transformLevel = 0;
    std::uint16_t flags = 0;
    std::optional<std::int32_t> tailBone;  // flag 0x0001
    std::optional<Vec3> tailOffset;        // otherwise
    std::optional<std::array<Vec3, 2>> localAxes;
    std::optional<DecodedIk> ik;
};

struct DecodedDisplayFrame {
    std::u16string name, englishName;
    std::uint8_t special = 0;
    std::vector<std::int32_t> bones;  // every element is a bone in our files
};

// Bytes of each section as the decoder read them; the header ends with the
// settings, the model information holds the names and comments.
struct DecodedSectionLengths {
    std::size_t header = 0, modelInformation = 0, vertices = 0, faces = 0, textures = 0, materials = 0, bones = 0,
                morphs = 0, displayFrames = 0, rigidBodies = 0, joints = 0;
};

// The parts of PMX 2.0 that the converter writes, field by field.
struct DecodedPmx {
    std::array<std::uint8_t, 4> magic{};
    float version = 0;
    std::vector<std::uint8_t> settings;
    std::u16string modelName, englishModelName, comment, englishComment;
    std::vector<DecodedVertex> vertices;
    std::vector<std::uint32_t> faces;
    std::vector<std::u16string> textures;
    std::vector<DecodedMaterial> materials;
    std::vector<DecodedBone> bones;
    std::int32_t morphCount = 0;
    std::vector<DecodedDisplayFrame> displayFrames;
    std::int32_t rigidBodyCount = 0;
    std::int32_t jointCount = 0;
    DecodedSectionLengths lengths;
};

// Decodes a whole file; throws std::runtime_error for anything it cannot read
// (a short file, an unknown flag, a non-empty morph section, trailing bytes).
DecodedPmx decodePmx(std::span<const std::uint8_t> bytes);

std::string toUtf8(const std::u16string& text);

}  // namespace zorvek::test

#include "SyntheticModel.h"

#include <algorithm>
#include <array>

namespace zorvek::bench {

namespace {

struct SyntheticBone {
    const char* name;
    std::int32_t boneId;
    int parent;     // bone number, -1 for Root
    Vec3 position;  // model space
};

// Bone numbers are the positions in this table.
constexpr std::array<SyntheticBone, syntheticBoneCount> bones{{
    {"Root", 0, -1, {0, 0, 0}},
    {"Pelvis", 1, 0, {0, 0, 1.0f}},
    {"Spine", 2, 1, {0, 0, 1.1f}},
    {"Spine1", 3, 2, {0, 0, 1.3f}},
    {"Neck", 4, 3, {0, 0, 1.5f}},
    {"Head", 5, 4, {0, 0, 1.6f}},
    {"Jaw", 8, 5, {0, -0.05f, 1.62f}},
    {"L Brow", 6, 5, {0.03f, -0.08f, 1.7f}},
    {"R Brow", 7, 5, {-0.03f, -0.08f, 1.7f}},
    {"Bip01 L Clavicle", 31, 3, {0.05f, 0, 1.45f}},
    {"L UpperArm", 32, 9, {0.2f, 0, 1.45f}},
    {"L ForeArm", 33, 10, {0.45f, 0, 1.45f}},
    {"L Hand", 34, 11, {0.7f, 0, 1.45f}},
    {"L Finger", 35, 12, {0.8f, 0, 1.45f}},
    {"L Finger01", 36, 13, {0.85f, 0, 1.45f}},
    {"Bip01 R Clavicle", 21, 3, {-0.05f, 0, 1.45f}},
    {"R UpperArm", 22, 15, {-0.2f, 0, 1.45f}},
    {"R ForeArm", 23, 16, {-0.45f, 0, 1.45f}},
    {"R Hand", 24, 17, {-0.7f, 0, 1.45f}},
    {"R Finger", 25, 18, {-0.8f, 0, 1.45f}},
    {"R Finger01", 26, 19, {-0.85f, 0, 1.45f}},
    {"L breast", 302, 3, {0.1f, -0.1f, 1.35f}},
    {"R breast", 301, 3, {-0.1f, -0.1f, 1.35f}},
    {"Belly", 201, 2, {0, -0.1f, 1.15f}},
    {"L Thigh", 41, 1, {0.1f, 0, 0.95f}},
    {"L Calf", 42, 24, {0.1f, 0, 0.5f}},
    {"L Foot", 43, 25, {0.1f, 0, 0.08f}},
    {"L Toe0", 44, 26, {0.1f, -0.12f, 0.02f}},
    {"R Thigh", 51, 1, {-0.1f, 0, 0.95f}},
    {"R Calf", 52, 28, {-0.1f, 0, 0.5f}},
    {"R Foot", 53, 29, {-0.1f, 0, 0.08f}},
    {"R Toe0", 54, 30, {-0.1f, -0.12f, 0.02f}},
}};

// A frame without data first, then one frame per bone; Root carries the node table.
std::vector<test::FrameSpec> syntheticFrames() {
    std::vector<test::HAnimNodeSpec> hierarchy;
    for (int number = 0; number < syntheticBoneCount; ++number) {
        hierarchy.push_back({bones[number].boneId, number, 0});
    }
    std::vector<test::FrameSpec> frames{test::plainFrame({0, 0, 0}, -1)};
    for (int number = 0; number < syntheticBoneCount; ++number) {
        const SyntheticBone& bone = bones[number];
        const Vec3 parentPosition = bone.parent < 0 ? Vec3{} : bones[bone.parent].position;
        frames.push_back(test::boneFrame(bone.name, bone.position - parentPosition, bone.parent + 1, bone.boneId,
                                         number == 0 ? hierarchy : std::vector<test::HAnimNodeSpec>{}));
    }
    return frames;
}

// A small spread around the bone that varies from vertex to vertex.
float jitter(std::uint32_t vertex, std::uint32_t salt) {
    const std::uint32_t mixed = (vertex * 2654435761u) ^ (salt * 40503u);
    return static_cast<float>(mixed % 1000) / 1000.0f * 0.1f - 0.05f;
}

void addVertices(test::GeometrySpec& geometry, std::uint32_t vertexCount) {
    std::vector<Vec2> uvs;
    for (std::uint32_t vertex = 0; vertex < vertexCount; ++vertex) {
        const auto number = static_cast<std::uint8_t>(vertex % syntheticBoneCount);
        const SyntheticBone& bone = bones[number];
        const Vec3 offset{jitter(vertex, 1), jitter(vertex, 2), jitter(vertex, 3)};
        geometry.positions.push_back(
            {bone.position.x + offset.x, bone.position.y + offset.y, bone.position.z + offset.z});
        geometry.normals.push_back({0, 0, 1});
        uvs.push_back(
            {static_cast<float>(vertex % 1024) / 1024.0f, static_cast<float>(vertex / 1024 % 1024) / 1024.0f});
        const auto parent = static_cast<std::uint8_t>(std::max(bone.parent, 0));
        geometry.skin.boneIndices.push_back({number, parent, 0, 0});
        geometry.skin.weights.push_back(number == 0 ? Vec4{1, 0, 0, 0} : Vec4{0.75f, 0.25f, 0, 0});
    }
    geometry.uvSets = {std::move(uvs)};
}

// Two triangles for every vertex but the last three, the first half in the
// textured material, the second in the other.
void addFaces(test::GeometrySpec& geometry, std::uint32_t vertexCount) {
    geometry.meshes = {{0, {}}, {1, {}}};
    for (std::uint32_t first = 0; first + 3 < vertexCount; ++first) {
        std::vector<std::uint32_t>& indices = geometry.meshes[first < vertexCount / 2 ? 0 : 1].indices;
        indices.insert(indices.end(), {first, first + 1, first + 2, first + 1, first + 3, first + 2});
    }
}

}  // namespace

test::SkinnedModel buildSyntheticModel(std::uint32_t vertexCount, const std::string& bodyTexture,
                                       const std::string& headTexture) {
    vertexCount = std::max<std::uint32_t>(vertexCount, 4);
    test::GeometrySpec geometry;
    geometry.materials = {test::texturedMaterial({bodyTexture}), test::texturedMaterial({headTexture})};
    geometry.skin.maxWeightsPerVertex = 2;
    for (int number = 0; number < syntheticBoneCount; ++number) {
        geometry.skin.usedBones.push_back(static_cast<std::uint8_t>(number));
        const Vec3& position = bones[number].position;
        geometry.skin.inverseMatrices.push_back(test::translationMatrix({-position.x, -position.y, -position.z}));
    }
    addVertices(geometry, vertexCount);
    addFaces(geometry, vertexCount);
    test::SkinnedModel model;
    model.frames = syntheticFrames();
    model.geometries.push_back(std::move(geometry));
    return model;
}

}  // namespace zorvek::bench

#include "sample/SampleModel.h"

#include "sample/SampleAnimations.h"
#include "sample/SampleLayout.h"
#include "sample/SampleMotion.h"
#include "sample/SampleParts.h"
#include "sample/SampleSkeleton.h"
#include "sample/SampleTxd.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace zorvek::sample {

namespace {

using test::FrameSpec;
using test::GeometrySpec;
using test::SkinSpec;

// -0 and +0 read the same; keep the stored bytes tidy.
float tidy(float value) {
    return value + 0.0f;
}

Vec3 tidy(const Vec3& v) {
    return {tidy(v.x), tidy(v.y), tidy(v.z)};
}

Matrix44 tidy(Matrix44 m) {
    for (float& value : m.m) {
        value = tidy(value);
    }
    return m;
}

std::vector<test::HAnimNodeSpec> hanimNodes() {
    std::vector<test::HAnimNodeSpec> nodes;
    for (int bone = 0; bone < boneCount; ++bone) {
        nodes.push_back({boneTable()[bone].boneId, bone, hanimNodeFlags(bone)});
    }
    return nodes;
}

std::vector<FrameSpec> frameSpecs(const SkeletonFrames& skeleton) {
    std::array<int, boneCount> frameOfBone{};
    for (int i = 0; i < boneCount; ++i) {
        frameOfBone[frameOrder()[i]] = i + 1;
    }
    std::vector<FrameSpec> frames{test::plainFrame({0, 0, 0}, -1)};
    for (int bone : frameOrder()) {
        const BoneInfo& info = boneTable()[bone];
        const Matrix44 local = tidy(skeleton.local[bone]);
        const int parentFrame = info.parent < 0 ? 0 : frameOfBone[info.parent];
        // Root carries the node table for the whole skeleton.
        auto hierarchy = bone == Root ? hanimNodes() : std::vector<test::HAnimNodeSpec>{};
        FrameSpec frame =
            test::boneFrame(info.frameName, local.row3(3), parentFrame, info.boneId, std::move(hierarchy));
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                frame.rotation[static_cast<std::size_t>(r * 3 + c)] = local.at(r, c);
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

Vec4 boundingSphere(const std::vector<Vec3>& positions) {
    Vec3 low = positions.front();
    Vec3 high = positions.front();
    for (const Vec3& p : positions) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vec3 center = (low + high) * 0.5f;
    float radius = 0;
    for (const Vec3& p : positions) {
        radius = std::max(radius, length(p - center));
    }
    return {center.x, center.y, center.z, radius};
}

SkinSpec skinSpec(const MeshBuilder& mesh, const SkeletonFrames& skeleton) {
    SkinSpec skin;
    std::set<std::uint8_t> used;
    std::uint8_t mostWeights = 0;
    for (const MeshVertex& vertex : mesh.vertices()) {
        std::array<std::uint8_t, 4> bones{};
        Vec4 weights;
        float* slots[4] = {&weights.x, &weights.y, &weights.z, &weights.w};
        std::uint8_t count = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            bones[i] = vertex.influences[i].bone;
            *slots[i] = vertex.influences[i].weight;
            if (vertex.influences[i].weight > 0) {
                used.insert(bones[i]);
                ++count;
            }
        }
        mostWeights = std::max(mostWeights, count);
        skin.boneIndices.push_back(bones);
        skin.weights.push_back(weights);
    }
    skin.usedBones.assign(used.begin(), used.end());
    skin.maxWeightsPerVertex = mostWeights;
    for (const Matrix44& inverse : skeleton.inverseBind) {
        skin.inverseMatrices.push_back(tidy(inverse));
    }
    // The game writes three more words after the matrices (no split data).
    skin.spareBytes.assign(12, 0);
    return skin;
}

GeometrySpec geometrySpec(const MeshBuilder& mesh, const SkeletonFrames& skeleton) {
    GeometrySpec geometry;
    // As the game's peds: positions, one texture set, normals, lighting.
    geometry.flags = test::geometryPositions | test::geometryTextured | test::geometryNormals | test::geometryLight;
    geometry.uvSets.resize(1);
    for (const MeshVertex& vertex : mesh.vertices()) {
        geometry.positions.push_back(tidy(transformPoint(vertex.position, skeleton.modelToPelvis)));
        geometry.normals.push_back(tidy(transformDirection(vertex.normal, skeleton.modelToPelvis)));
        geometry.uvSets[0].push_back(vertex.uv);
    }
    geometry.boundingSphere = boundingSphere(geometry.positions);
    for (const char* name : textureNames) {
        geometry.materials.push_back(test::texturedMaterial({name}));
        geometry.meshes.push_back({static_cast<std::uint32_t>(geometry.meshes.size()), {}});
    }
    for (const MeshTriangle& triangle : mesh.triangles()) {
        const auto& [a, b, c] = triangle.corners;
        // RenderWare stores the second corner first, then the first, the material and the third.
        geometry.triangles.push_back({b, a, triangle.material, c});
        geometry.meshes[triangle.material].indices.insert(geometry.meshes[triangle.material].indices.end(), {a, b, c});
    }
    geometry.binMeshFlags = 0;
    geometry.skin = skinSpec(mesh, skeleton);
    return geometry;
}

}  // namespace

test::SkinnedModel buildSampleModel() {
    const BindPose pose = samplePose();
    const SkeletonFrames skeleton = buildFrames(pose);
    const MeshBuilder mesh = buildSampleMesh(pose);
    test::SkinnedModel model;
    model.numAtomics = 1;
    model.frames = frameSpecs(skeleton);
    model.geometries = {geometrySpec(mesh, skeleton)};
    return model;
}

std::vector<SampleFile> buildSampleFiles() {
    return {{sampleModelFileName, test::buildDff(buildSampleModel())},
            {sampleTextureDictionaryFileName, buildSampleTxd()},
            {sampleAnimationFileName, buildSampleIfp()},
            {sampleMotionFileName, buildSampleVmd()}};
}

std::vector<std::filesystem::path> writeSampleFiles(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> written;
    for (const SampleFile& file : buildSampleFiles()) {
        written.push_back(folder / file.name);
        writeFileAtomically(written.back(), file.bytes);
    }
    return written;
}

}  // namespace zorvek::sample

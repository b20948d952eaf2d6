#include "convert/DffToPmx.h"

#include "base/TextEncoding.h"
#include "convert/BoneLayout.h"
#include "convert/DffGeometryChecks.h"
#include "convert/VertexReposing.h"
#include "convert/WeightSpreading.h"
#include "pmx/PmxWriter.h"

#include <string_view>
#include <unordered_map>
#include <utility>

namespace zorvek {

namespace {

// A signed one-byte index addresses bones 0 to 127.
constexpr std::size_t oneByteBoneLimit = 128;

constexpr std::u16string_view comment = u"このファイルはBRASKEでコンバートされました";
constexpr std::u16string_view englishComment = u"This file has been converted by BRASKE";

PmxHeader headerFor(const DffModel& model, const PmxRig& rig) {
    PmxHeader header;
    // A second set becomes the additional UV only when there are exactly two.
    header.additionalUvCount = model.uvSets.size() == 2 ? 1 : 0;
    header.boneIndexSize = rig.bones.size() > oneByteBoneLimit ? 2 : 1;
    return header;
}

// The PMX bone of each vertex influence; the game's hierarchy keeps the
// skin bone numbers, another layout renumbers them.
void weightVerticesToRig(PmxVertices& vertices, const PmxRig& rig) {
    bool renumbered = false;
    bool fitsBytes = true;
    for (std::size_t bone = 0; bone < rig.skinBoneIndex.size(); ++bone) {
        renumbered = renumbered || rig.skinBoneIndex[bone] != static_cast<std::int32_t>(bone);
        fitsBytes = fitsBytes && rig.skinBoneIndex[bone] < 256;
    }
    if (!renumbered) {
        return;
    }
    if (fitsBytes) {
        for (PmxSmallBoneQuad& quad : vertices.smallBones) {
            for (std::uint8_t& bone : quad) {
                bone = static_cast<std::uint8_t>(rig.skinBoneIndex[bone]);
            }
        }
        return;
    }
    vertices.bones.resize(vertices.smallBones.size());
    for (std::size_t k = 0; k < vertices.smallBones.size(); ++k) {
        for (std::size_t l = 0; l < 4; ++l) {
            vertices.bones[k][l] = rig.skinBoneIndex[vertices.smallBones[k][l]];
        }
    }
    vertices.smallBones = LargeArray<PmxSmallBoneQuad>();
}

PmxVertices takeVertices(DffModel& model, const PreparedSkeleton& skeleton) {
    PmxVertices vertices;
    reposeVertices(model.positions, model.normals, model.boneIndices, model.boneWeights, skeleton.skinMatrices);
    vertices.positions = std::move(model.positions);
    vertices.normals = std::move(model.normals);
    if (!model.uvSets.empty()) {
        vertices.uvs = std::move(model.uvSets[0]);
    }
    if (model.uvSets.size() == 2) {
        LargeArray<Vec4> extra;
        extra.reserve(model.uvSets[1].size());
        for (const Vec2& uv : model.uvSets[1]) {
            extra.push_back({uv.x, uv.y, 0, 0});
        }
        vertices.additionalUvs.push_back(std::move(extra));
    }
    model.uvSets.clear();
    // A skin may list more vertices than the geometry has; only the checked
    // ones are the mesh's, and the rest would be renumbered unchecked.
    model.boneIndices.resize(vertices.positions.size());
    model.boneWeights.resize(vertices.positions.size());
    vertices.smallBones = std::move(model.boneIndices);
    vertices.weights = std::move(model.boneWeights);
    return vertices;
}

// Strips are taken j, j + 2, j + 1 for every j, without alternating the winding.
LargeArray<std::uint32_t> takeFaces(DffModel& model) {
    const bool strips = model.isTriStrip != 0;
    std::size_t total = 0;
    for (const MeshSplit& split : model.meshSplits) {
        total += static_cast<std::size_t>(faceIndexCount(split, strips));
    }
    LargeArray<std::uint32_t> faces;
    faces.reserve(total);
    const std::size_t step = strips ? 1 : 3;
    for (MeshSplit& split : model.meshSplits) {
        const LargeArray<std::uint32_t>& indices = split.indices;
        for (std::size_t j = 0; j + 2 < indices.size(); j += step) {
            faces.push_back(indices[j]);
            faces.push_back(indices[j + 2]);
            faces.push_back(indices[j + 1]);
        }
        // Let go split by split, before the file's block is allocated.
        split.indices = LargeArray<std::uint32_t>();
    }
    return faces;
}

PmxMaterial materialFor(const std::string& textureName, std::int32_t texture, std::uint64_t faceIndices) {
    PmxMaterial material;
    material.name = widenBytes(textureName);
    material.englishName = material.name;
    material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.specular = {0.25f, 0.25f, 0.25f};
    material.specularStrength = 5.0f;
    material.ambient = {0.5f, 0.5f, 0.5f};
    material.drawFlags = PmxGroundShadow | PmxCastsSelfShadow | PmxReceivesSelfShadow;
    material.texture = texture;
    material.faceIndexCount = static_cast<std::int32_t>(faceIndices);
    return material;
}

std::vector<PmxMaterial> materialsOf(const DffModel& model) {
    // Textures are written in name order, so a name's rank is its index in the file.
    std::unordered_map<std::string, std::int32_t> ranks;
    for (const auto& entry : model.textureIndices) {
        ranks.emplace(entry.first, static_cast<std::int32_t>(ranks.size()));
    }
    const bool strips = model.isTriStrip != 0;
    std::vector<PmxMaterial> materials;
    for (const MeshSplit& split : model.meshSplits) {
        const std::string& name = model.materialTextureNames[split.materialIndex];
        const auto rank = ranks.find(name);
        // A material without a texture has no name among the textures.
        materials.push_back(materialFor(name, rank == ranks.end() ? -1 : rank->second, faceIndexCount(split, strips)));
    }
    return materials;
}

}  // namespace

std::u16string pmxTextureName(const std::string& textureName, const PmxTexts& texts) {
    const auto renamed = texts.renamedTextures.find(textureName);
    std::u16string name = renamed != texts.renamedTextures.end() ? renamed->second : widenBytes(textureName);
    return name.append(texts.textureExtension);
}

PmxModel dffToPmx(DffModel& model, const PreparedSkeleton& skeleton, const PmxRig& rig, const PmxTexts& texts) {
    PmxModel pmx;
    pmx.header = headerFor(model, rig);
    pmx.information = {texts.modelName, texts.modelName, std::u16string(comment), std::u16string(englishComment)};
    for (const auto& entry : model.textureIndices) {
        pmx.textures.push_back(pmxTextureName(entry.first, texts));
    }
    pmx.materials = materialsOf(model);
    pmx.vertices = takeVertices(model, skeleton);
    weightVerticesToRig(pmx.vertices, rig);
    spreadWeights(pmx.vertices, rig.weightSpreads);
    pmx.faceIndices = takeFaces(model);
    for (const PmxRigBone& bone : rig.bones) {
        pmx.bones.push_back(bone.bone);
    }
    pmx.morphs = rig.morphs;
    pmx.displayFrames = rig.displayFrames;
    return pmx;
}

ByteBlock buildPmx(DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BoneTable& bones,
                   const IkTable& iks, const PmxTexts& texts, const WarningSink& warn) {
    // Everything that could refuse the model runs before anything is reported or written.
    const PmxRig rig = layoutBones(model, skeleton, mode, bones, iks);
    checkGeometry(model, skeleton, rig.skinBoneIndex.size());
    for (const std::string& warning : rig.warnings) {
        warn(warning);
    }
    const PmxModel pmx = dffToPmx(model, skeleton, rig, texts);
    return writePmx(pmx);
}

}  // namespace zorvek

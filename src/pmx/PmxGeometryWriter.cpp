#include "pmx/PmxGeometryWriter.h"

#include "base/TextEncoding.h"
#include "pmx/PmxGeometryChecks.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zorvek {

namespace {

constexpr float positionScale = 10.0f;
constexpr std::uint8_t deformFourBones = 2;       // BDEF4
constexpr std::uint8_t materialDrawFlags = 0x0E;  // ground shadow, casts and receives self shadow

constexpr std::u16string_view comment = u"このファイルはBRASKEでコンバートされました";
constexpr std::u16string_view englishComment = u"This file has been converted by BRASKE";

// A second set becomes the additional UV only when there are exactly two.
bool hasAdditionalUv(const DffModel& model) {
    return model.uvSets.size() == 2;
}

constexpr std::size_t vertexRecordSize(bool additionalUv, int boneIndexSize) {
    return 12 + 12 + 8 + (additionalUv ? 16 : 0) + 1 + 4 * static_cast<std::size_t>(boneIndexSize) + 16 + 4;
}

// Vertex arrays that checkGeometry accepted; the questions that every
// vertex would ask again are answered once.
struct VertexSource {
    explicit VertexSource(const DffModel& model)
        : model(model),
          hasNormals(!model.normals.empty()),
          hasUv(!model.uvSets.empty() && !model.uvSets[0].empty()),
          additionalUv(hasAdditionalUv(model)),
          // An empty second set still fills the slot the header announced.
          hasExtraUv(additionalUv && !model.uvSets[1].empty()) {}

    const DffModel& model;
    bool hasNormals;
    bool hasUv;
    bool additionalUv;
    bool hasExtraUv;
};

// x, y and z of a vector or of a matrix row side by side; the fourth lane
// rides along and is never stored. Each lane does exactly the operations of
// transformPoint, transformDirection and the weighted sum, in their order,
// so the results are the same floats, three at a time.
using Lanes = float __attribute__((vector_size(16)));

Lanes matrixRow(const Matrix44& matrix, int row) {
    Lanes lanes;
    std::memcpy(&lanes, &matrix.m[static_cast<std::size_t>(row) * 4], sizeof lanes);
    return lanes;
}

std::uint8_t* storeLanes(std::uint8_t* at, Lanes lanes) {
    std::memcpy(at, &lanes, 3 * sizeof(float));
    return at + 3 * sizeof(float);
}

// Every influence counts, also one of weight 0, so the sums stay as the format's readers expect.
std::uint8_t* storeVertex(const PmxBuffer& buffer, std::uint8_t* at, const VertexSource& source, std::size_t k) {
    const DffModel& model = source.model;
    const std::array<std::uint8_t, 4>& bones = model.boneIndices[k];
    const Vec4& weight = model.boneWeights[k];
    const std::array<float, 4> weights{weight.x, weight.y, weight.z, weight.w};
    const Vec3 t = model.positions[k];
    const Vec3 n = source.hasNormals ? model.normals[k] : Vec3{};
    Lanes position{};
    Lanes normal{};
    for (std::size_t l = 0; l < 4; ++l) {
        const Matrix44& skin = model.skinMatrices[bones[l]];
        const Lanes x = matrixRow(skin, 0), y = matrixRow(skin, 1), z = matrixRow(skin, 2);
        position = position + weights[l] * (t.x * x + t.y * y + t.z * z + matrixRow(skin, 3));
        if (source.hasNormals) {
            normal = normal + weights[l] * (n.x * x + n.y * y + n.z * z);
        }
    }
    at = storeLanes(at, positionScale * position);
    at = storeLanes(at, normal);
    at = PmxBuffer::store(at, source.hasUv ? model.uvSets[0][k] : Vec2{});
    if (source.additionalUv) {
        const Vec2 extra = source.hasExtraUv ? model.uvSets[1][k] : Vec2{};
        at = PmxBuffer::store(at, Vec4{extra.x, extra.y, 0, 0});
    }
    at = PmxBuffer::store(at, deformFourBones);
    for (std::uint8_t bone : bones) {
        at = buffer.storeBoneIndex(at, bone);
    }
    at = PmxBuffer::store(at, weight);
    return PmxBuffer::store(at, 1.0f);  // edge scale
}

// Strips are taken j, j + 2, j + 1 for every j, without alternating the winding.
void writeSplitFaces(PmxBuffer& buffer, const MeshSplit& split, bool strips) {
    const LargeArray<std::uint32_t>& indices = split.indices;
    const std::size_t count = static_cast<std::size_t>(faceIndexCount(split, strips));
    std::uint8_t* const first = buffer.take(4 * count);
    std::uint8_t* at = first;
    const std::size_t step = strips ? 1 : 3;
    for (std::size_t j = 0; j + 2 < indices.size(); j += step) {
        at = PmxBuffer::store(at, indices[j]);
        at = PmxBuffer::store(at, indices[j + 2]);
        at = PmxBuffer::store(at, indices[j + 1]);
    }
    if (at != first + 4 * count) {
        throw std::logic_error("a face section disagrees with its computed size");
    }
}

std::uint64_t totalFaceIndices(const DffModel& model) {
    const bool strips = model.isTriStrip != 0;
    std::uint64_t total = 0;
    for (const MeshSplit& split : model.meshSplits) {
        total += faceIndexCount(split, strips);
    }
    return total;
}

// Textures are written in name order, so a name's rank is its index in the file.
std::unordered_map<std::string, std::int32_t> rankTextures(const DffModel& model) {
    std::unordered_map<std::string, std::int32_t> ranks;
    std::int32_t rank = 0;
    for (const auto& entry : model.textureIndices) {
        ranks.emplace(entry.first, rank++);
    }
    return ranks;
}

void writeMaterial(PmxBuffer& buffer, const std::string& textureName, std::int32_t texture, std::uint64_t faceIndices) {
    buffer.writeNarrowText(textureName);
    buffer.writeNarrowText(textureName);
    buffer.appendVec4({1.0f, 1.0f, 1.0f, 1.0f});  // diffuse
    buffer.appendVec3({0.25f, 0.25f, 0.25f});     // specular
    buffer.appendFloat(5.0f);                     // specular strength
    buffer.appendVec3({0.5f, 0.5f, 0.5f});        // ambient
    buffer.appendU8(materialDrawFlags);
    buffer.appendVec4({});     // edge colour
    buffer.appendFloat(0.0f);  // edge size
    buffer.appendTextureIndex(texture);
    buffer.appendTextureIndex(-1);  // no sphere texture
    buffer.appendU8(0);             // sphere mode off
    buffer.appendU8(1);             // shared toon
    buffer.appendU8(0);             // toon 0
    buffer.writeWideText(u"");      // memo
    buffer.appendI32(static_cast<std::int32_t>(faceIndices));
}

}  // namespace

void writeHeader(PmxBuffer& buffer, const DffModel& model) {
    for (char magic : std::string_view("PMX ")) {
        buffer.appendU8(static_cast<std::uint8_t>(magic));
    }
    buffer.appendFloat(2.0f);
    const std::array<std::uint8_t, 9> settings{
        8,  // setting bytes that follow
        0,  // UTF-16LE texts
        static_cast<std::uint8_t>(hasAdditionalUv(model) ? 1 : 0),
        4,  // vertex index size
        4,  // texture index size
        4,  // material index size
        static_cast<std::uint8_t>(buffer.boneIndexSize()),
        4,  // morph index size
        4,  // rigid body index size
    };
    for (std::uint8_t setting : settings) {
        buffer.appendU8(setting);
    }
}

void writeModelInformation(PmxBuffer& buffer, const PmxTexts& texts) {
    buffer.writeWideText(texts.modelName);
    buffer.writeWideText(texts.modelName);
    buffer.writeWideText(comment);
    buffer.writeWideText(englishComment);
}

void writeVertices(PmxBuffer& buffer, const DffModel& model) {
    buffer.appendI32(static_cast<std::int32_t>(model.positions.size()));
    const VertexSource source(model);
    const std::size_t recordSize = vertexRecordSize(source.additionalUv, buffer.boneIndexSize());
    for (std::size_t k = 0; k < model.positions.size(); ++k) {
        std::uint8_t* const record = buffer.take(recordSize);
        if (storeVertex(buffer, record, source, k) != record + recordSize) {
            throw std::logic_error("a vertex record disagrees with its computed size");
        }
    }
}

void writeFaces(PmxBuffer& buffer, const DffModel& model) {
    const bool strips = model.isTriStrip != 0;
    buffer.appendI32(static_cast<std::int32_t>(totalFaceIndices(model)));
    for (const MeshSplit& split : model.meshSplits) {
        writeSplitFaces(buffer, split, strips);
    }
}

void writeTextures(PmxBuffer& buffer, const DffModel& model, const PmxTexts& texts) {
    buffer.appendI32(static_cast<std::int32_t>(model.textureIndices.size()));
    for (const auto& entry : model.textureIndices) {
        buffer.writeWideText(pmxTextureName(entry.first, texts));
    }
}

void writeMaterials(PmxBuffer& buffer, const DffModel& model) {
    const std::unordered_map<std::string, std::int32_t> ranks = rankTextures(model);
    const bool strips = model.isTriStrip != 0;
    buffer.appendI32(static_cast<std::int32_t>(model.meshSplits.size()));
    for (const MeshSplit& split : model.meshSplits) {
        const std::string& name = model.materialTextureNames[split.materialIndex];
        const auto rank = ranks.find(name);
        // A material without a texture has no name among the textures.
        const std::int32_t texture = rank == ranks.end() ? -1 : rank->second;
        writeMaterial(buffer, name, texture, faceIndexCount(split, strips));
    }
}

std::size_t headerSize() {
    return 4 + 4 + 9;  // magic, version, the count of settings and the settings
}

std::size_t modelInformationSize(const PmxTexts& texts) {
    return 2 * PmxBuffer::textSize(texts.modelName.size()) + PmxBuffer::textSize(comment.size()) +
           PmxBuffer::textSize(englishComment.size());
}

std::size_t vertexSectionSize(const DffModel& model, int boneIndexSize) {
    return 4 + model.positions.size() * vertexRecordSize(hasAdditionalUv(model), boneIndexSize);
}

std::size_t faceSectionSize(const DffModel& model) {
    return 4 + 4 * static_cast<std::size_t>(totalFaceIndices(model));
}

std::size_t textureSectionSize(const DffModel& model, const PmxTexts& texts) {
    std::size_t size = 4;
    for (const auto& entry : model.textureIndices) {
        size += PmxBuffer::textSize(pmxTextureName(entry.first, texts).size());
    }
    return size;
}

std::size_t materialSectionSize(const DffModel& model) {
    // Colours, flags, texture indices, toon, memo and face count after the two names.
    constexpr std::size_t fixedPart = 16 + 12 + 4 + 12 + 1 + 16 + 4 + 4 + 4 + 1 + 1 + 1 + PmxBuffer::textSize(0) + 4;
    std::size_t size = 4;
    for (const MeshSplit& split : model.meshSplits) {
        size += 2 * PmxBuffer::textSize(model.materialTextureNames[split.materialIndex].size()) + fixedPart;
    }
    return size;
}

}  // namespace zorvek

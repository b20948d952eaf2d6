#include "dff/DffModelGeometry.h"

#include "rw/BinMeshSection.h"
#include "rw/Section.h"
#include "rw/SkinSection.h"
#include "rw/TextSections.h"

#include <utility>

namespace zorvek {

namespace {

// Geometry format flags; only the low byte is looked at.
constexpr std::uint32_t flagTexCoords = 0x04;
constexpr std::uint32_t flagPrelit = 0x08;
constexpr std::uint32_t flagNormals = 0x10;
constexpr std::uint32_t flagTexCoordSets = 0x80;

constexpr std::uint64_t triangleSize = 8;
// The bounding sphere and the hasVertices and hasNormals words of the first morph target.
constexpr std::uint64_t morphTargetHeadSize = 24;
constexpr std::uint64_t materialHeadSize = 12;

struct GeometryHead {
    bool hasPrelit = false;
    bool hasTexCoords = false;
    bool hasNormals = false;
    std::uint32_t numTexSets = 0;
    std::uint32_t numTriangles = 0;
    std::uint32_t numVertices = 0;
};

void report(const WarningSink& warn, const char* message) {
    if (warn) {
        warn(message);
    }
}

GeometryHead readGeometryHead(SectionInput& input) {
    const std::uint32_t format = input.readU32();
    const std::int32_t numTriangles = input.readI32();
    const std::int32_t numVertices = input.readI32();
    input.readI32();  // numMorphTargets: only the first is read
    GeometryHead head;
    head.hasPrelit = (format & flagPrelit) != 0;
    head.hasTexCoords = (format & (flagTexCoords | flagTexCoordSets)) != 0;
    head.hasNormals = (format & flagNormals) != 0;
    head.numTexSets = (format >> 16) & 0xFF;
    head.numTriangles = input.requireCount(numTriangles);
    head.numVertices = input.requireCount(numVertices);
    return head;
}

// Everything up to the end of the first morph target must lie in the Struct
// before any array is sized.
void requireGeometryBytes(const SectionInput& input, const GeometryHead& head) {
    const std::uint64_t vertices = head.numVertices;
    std::uint64_t bytes = head.numTriangles * triangleSize + morphTargetHeadSize + vertices * sizeof(Vec3);
    bytes += head.hasPrelit ? vertices * 4 : 0;
    bytes += head.hasTexCoords ? vertices * head.numTexSets * sizeof(Vec2) : 0;
    bytes += head.hasNormals ? vertices * sizeof(Vec3) : 0;
    input.requireBytes(bytes);
}

void warnAboutGeometry(const GeometryHead& head, const WarningSink& warn) {
    if (head.hasPrelit) {
        report(warn, "頂点カラーが含まれていますが無視されます");
    }
    if (!head.hasTexCoords) {
        report(warn, "テクスチャ座標が含まれていません");
    }
    if (!head.hasNormals) {
        report(warn, "法線が含まれていません");
    }
}

void readVertexArrays(SectionInput& input, const GeometryHead& head, DffModel& model, DffScaledValueOffsets* offsets,
                      VertexArrays arrays) {
    const std::uint64_t vertices = head.numVertices;
    const bool keep = arrays == VertexArrays::Keep;
    if (head.hasPrelit) {
        input.skipInSection(vertices * 4);
    }
    if (head.hasTexCoords && keep) {
        model.uvSets.assign(head.numTexSets, {});
        for (LargeArray<Vec2>& uvSet : model.uvSets) {
            input.readArray(uvSet, vertices);
        }
    } else if (head.hasTexCoords) {
        input.skipInSection(vertices * head.numTexSets * sizeof(Vec2));
    }
    // Faces come from the bin mesh.
    input.skipInSection(head.numTriangles * triangleSize);
    input.skipInSection(morphTargetHeadSize);
    if (offsets != nullptr) {
        offsets->vertices = static_cast<std::size_t>(input.tell());
        offsets->numVertices = head.numVertices;
    }
    if (keep) {
        input.readArray(model.positions, vertices);
        if (head.hasNormals) {
            input.readArray(model.normals, vertices);
        }
    } else {
        input.skipInSection(vertices * sizeof(Vec3) * (head.hasNormals ? 2 : 1));
    }
}

std::uint32_t readMaterialCount(SectionInput& input) {
    const Section<SectionType::Struct> data(input);
    const std::uint32_t numMaterials = input.readU32();
    // Each material has its index word after the count.
    input.requireBytes(std::uint64_t{numMaterials} * 4);
    return numMaterials;
}

std::uint32_t readTextureCount(SectionInput& input) {
    const Section<SectionType::Struct> data(input);
    input.skipInSection(materialHeadSize);
    return input.readU32();
}

void readMaterial(SectionInput& input, DffModel& model, std::string& textureName, const WarningSink& warn) {
    const Section<SectionType::Material> material(input);
    const std::uint32_t textureCount = readTextureCount(input);
    if (textureCount != 0) {
        const Section<SectionType::Texture> texture(input);
        const Section<SectionType::String> name(input);
        model.textureIndices.emplace(name.text(), -1);
        textureName = name.text();
    }
    if (textureCount > 1) {
        report(warn, "複数のテクスチャが使われている材質がありますが無視されます");
    }
}

// The index arrays are moved: on a large model a copy costs as much as the rest of the reading.
void takeMeshSplits(BinMeshPayload binMesh, DffModel& model) {
    model.isTriStrip = binMesh.meshFlags;
    model.meshSplits.reserve(binMesh.meshes.size());
    for (BinMesh& mesh : binMesh.meshes) {
        model.meshSplits.push_back({mesh.materialIndex, std::move(mesh.indices)});
    }
}

}  // namespace

void readGeometryData(SectionInput& input, DffModel& model, const WarningSink& warn, DffScaledValueOffsets* offsets,
                      VertexArrays arrays) {
    const Section<SectionType::Struct> data(input);
    const GeometryHead head = readGeometryHead(input);
    requireGeometryBytes(input, head);
    warnAboutGeometry(head, warn);
    readVertexArrays(input, head, model, offsets, arrays);
}

void readMaterialList(SectionInput& input, DffModel& model, const WarningSink& warn) {
    const Section<SectionType::MaterialList> list(input);
    model.materialTextureNames.assign(readMaterialCount(input), std::string());
    for (std::string& textureName : model.materialTextureNames) {
        readMaterial(input, model, textureName, warn);
    }
}

void readGeometryExtension(SectionInput& input, DffModel& model, DffScaledValueOffsets* offsets) {
    const Section<SectionType::Extension> extension(input);
    {
        Section<SectionType::BinMeshPLG> binMesh(input);
        takeMeshSplits(binMesh.takePayload(), model);
    }
    Section<SectionType::SkinPLG> skin(input);
    SkinPayload payload = skin.takePayload();
    model.boneIndices = std::move(payload.vertexBoneIndices);
    model.boneWeights = std::move(payload.vertexWeights);
    model.inverseBindMatrices = std::move(payload.inverseBoneMatrices);
    if (offsets != nullptr) {
        offsets->boneMatrices = static_cast<std::size_t>(payload.inverseBoneMatricesOffset);
        offsets->numBones = payload.numBones;
    }
}

}  // namespace zorvek

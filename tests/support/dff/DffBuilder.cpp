#include "support/dff/DffBuilder.h"

#include <algorithm>

namespace zorvek::test {

namespace {

Chunk frameExtension(const FrameSpec& frame) {
    Chunk extension = containerChunk(SectionType::Extension, {});
    if (frame.boneId) {
        extension.children.push_back(hanimChunk(*frame.boneId, frame.hierarchy));
    }
    if (!frame.name.empty()) {
        extension.children.push_back(frameNameChunk(frame.name));
    }
    return extension;
}

void writeMorphTarget(ByteWriter& out, const GeometrySpec& geometry, const std::vector<Vec3>& positions) {
    const bool hasNormals = (geometry.flags & geometryNormals) != 0;
    out.vec4(geometry.boundingSphere).u32(1).u32(hasNormals ? 1 : 0);
    for (const Vec3& position : positions) {
        out.vec3(position);
    }
    if (hasNormals) {
        for (const Vec3& normal : geometry.normals) {
            out.vec3(normal);
        }
    }
}

Chunk geometryStruct(const GeometrySpec& geometry) {
    const std::uint32_t numTexSets = geometry.numTexSets.value_or(static_cast<std::uint8_t>(geometry.uvSets.size()));
    ByteWriter out;
    out.u32(geometry.flags | numTexSets << 16);
    out.u32(static_cast<std::uint32_t>(geometry.triangles.size()));
    out.u32(static_cast<std::uint32_t>(geometry.positions.size()));
    out.u32(static_cast<std::uint32_t>(1 + geometry.extraMorphTargets.size()));
    if (geometry.flags & geometryPrelit) {
        for (const auto& colour : geometry.prelit) {
            out.bytes(colour);
        }
    }
    if (geometry.flags & (geometryTextured | geometryTextured2)) {
        const std::size_t written = std::min<std::size_t>(numTexSets, geometry.uvSets.size());
        for (std::size_t set = 0; set < written; ++set) {
            for (const Vec2& uv : geometry.uvSets[set]) {
                out.vec2(uv);
            }
        }
    }
    for (const auto& triangle : geometry.triangles) {
        for (std::uint16_t word : triangle) {
            out.u16(word);
        }
    }
    writeMorphTarget(out, geometry, geometry.positions);
    for (const auto& positions : geometry.extraMorphTargets) {
        writeMorphTarget(out, geometry, positions);
    }
    return structChunk(out.take());
}

Chunk textureChunk(const std::string& name) {
    constexpr std::uint32_t linearMipFilter = 0x1106;
    return containerChunk(SectionType::Texture,
                          {structChunk(ByteWriter().u32(linearMipFilter).take()), stringChunk(name), stringChunk(""),
                           containerChunk(SectionType::Extension, {})});
}

Chunk materialChunk(const MaterialSpec& material) {
    const auto textureCount = material.textureCount.value_or(static_cast<std::uint32_t>(material.textures.size()));
    ByteWriter data;
    data.u32(0).u32(0xFFFFFFFF).u32(0).u32(textureCount).f32(1).f32(1).f32(1);
    Chunk chunk = containerChunk(SectionType::Material, {structChunk(data.take())});
    for (const std::string& name : material.textures) {
        chunk.children.push_back(textureChunk(name));
    }
    chunk.children.push_back(containerChunk(SectionType::Extension, {}));
    return chunk;
}

Chunk materialListChunk(const std::vector<MaterialSpec>& materials) {
    ByteWriter data;
    data.u32(static_cast<std::uint32_t>(materials.size()));
    for (std::size_t i = 0; i < materials.size(); ++i) {
        data.i32(-1);  // no instanced materials
    }
    Chunk list = containerChunk(SectionType::MaterialList, {structChunk(data.take())});
    for (const MaterialSpec& material : materials) {
        list.children.push_back(materialChunk(material));
    }
    return list;
}

Chunk atomicChunk(std::uint32_t geometryIndex) {
    constexpr std::uint32_t renderAndCollide = 0x5;
    Bytes data = ByteWriter().u32(0).u32(geometryIndex).u32(renderAndCollide).u32(0).take();
    return containerChunk(atomicType, {structChunk(std::move(data)), containerChunk(SectionType::Extension, {})});
}

Chunk geometryListChunk(const std::vector<GeometrySpec>& geometries) {
    Chunk list = containerChunk(SectionType::GeometryList,
                                {structChunk(ByteWriter().u32(static_cast<std::uint32_t>(geometries.size())).take())});
    for (const GeometrySpec& geometry : geometries) {
        list.children.push_back(geometryChunk(geometry));
    }
    return list;
}

}  // namespace

FrameSpec plainFrame(const Vec3& translation, std::int32_t parentIndex) {
    FrameSpec frame;
    frame.translation = translation;
    frame.parentIndex = parentIndex;
    return frame;
}

FrameSpec boneFrame(std::string name, const Vec3& translation, std::int32_t parentIndex, std::int32_t boneId,
                    std::vector<HAnimNodeSpec> hierarchy) {
    FrameSpec frame = plainFrame(translation, parentIndex);
    frame.name = std::move(name);
    frame.boneId = boneId;
    frame.hierarchy = std::move(hierarchy);
    return frame;
}

MaterialSpec texturedMaterial(std::vector<std::string> textures) {
    MaterialSpec material;
    material.textures = std::move(textures);
    return material;
}

Matrix44 translationMatrix(const Vec3& translation) {
    Matrix44 matrix;
    matrix.m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, translation.x, translation.y, translation.z, 1};
    return matrix;
}

Chunk frameListChunk(const std::vector<FrameSpec>& frames) {
    ByteWriter data;
    data.u32(static_cast<std::uint32_t>(frames.size()));
    for (const FrameSpec& frame : frames) {
        for (float value : frame.rotation) {
            data.f32(value);
        }
        data.vec3(frame.translation).i32(frame.parentIndex).u32(0);
    }
    Chunk list = containerChunk(SectionType::FrameList, {structChunk(data.take())});
    for (const FrameSpec& frame : frames) {
        list.children.push_back(frameExtension(frame));
    }
    return list;
}

Chunk geometryChunk(const GeometrySpec& geometry) {
    Chunk extension = containerChunk(SectionType::Extension, {binMeshChunk(geometry.binMeshFlags, geometry.meshes)});
    if (geometry.writeSkin) {
        extension.children.push_back(skinChunk(geometry.skin));
    }
    return containerChunk(SectionType::Geometry,
                          {geometryStruct(geometry), materialListChunk(geometry.materials), std::move(extension)});
}

Chunk toClump(const SkinnedModel& model) {
    Bytes data = ByteWriter().u32(model.numAtomics).u32(0).u32(0).take();
    Chunk clump = containerChunk(SectionType::Clump, {structChunk(std::move(data)), frameListChunk(model.frames),
                                                      geometryListChunk(model.geometries)});
    const auto numGeometries = static_cast<std::uint32_t>(model.geometries.size());
    for (std::uint32_t i = 0; i < model.numAtomics; ++i) {
        clump.children.push_back(atomicChunk(numGeometries == 0 ? 0 : i % numGeometries));
    }
    return clump;
}

Bytes buildDff(const SkinnedModel& model) {
    return serialize(toClump(model));
}

namespace {

std::vector<FrameSpec> sampleFrames() {
    return {
        plainFrame({0, 0, 0}, -1),
        boneFrame("Root", {0, 0, 1}, 0, 0, {{0, 0, 3}, {2, 1, 0}, {1, 2, 1}}),
        boneFrame("Pelvis", {0, 0.125f, 0.25f}, 1, 2),
        boneFrame("Spine", {0, 0, 0.5f}, 2, 1),
    };
}

SkinSpec sampleSkin() {
    SkinSpec skin;
    skin.usedBones = {0, 1, 2};
    skin.maxWeightsPerVertex = 2;
    skin.boneIndices = {{0, 1, 0, 0}, {1, 0, 0, 0}, {2, 1, 0, 0}, {2, 0, 0, 0}};
    skin.weights = {{0.5f, 0.5f, 0, 0}, {1, 0, 0, 0}, {0.75f, 0.25f, 0, 0}, {1, 0, 0, 0}};
    skin.inverseMatrices = {translationMatrix({0, 0, -1}), translationMatrix({0, -0.125f, -1.25f}),
                            translationMatrix({0, -0.125f, -1.75f})};
    return skin;
}

GeometrySpec sampleGeometry() {
    GeometrySpec geometry;
    geometry.uvSets = {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}};
    geometry.triangles = {{1, 0, 0, 2}, {2, 1, 1, 3}};
    geometry.positions = {{0, 0, 0}, {1, 0, 0.5f}, {0, 1, 1.5f}, {-1, 0.25f, 2}};
    geometry.normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}};
    geometry.materials = {texturedMaterial({"body"}), MaterialSpec()};
    geometry.meshes = {{0, {0, 1, 2}}, {1, {1, 2, 3}}};
    geometry.skin = sampleSkin();
    return geometry;
}

}  // namespace

SkinnedModel sampleSkinnedModel() {
    SkinnedModel model;
    model.frames = sampleFrames();
    model.geometries = {sampleGeometry()};
    return model;
}

}  // namespace zorvek::test

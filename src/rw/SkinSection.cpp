#include "rw/SkinSection.h"

#include <span>

namespace zorvek {

namespace {

constexpr std::int64_t skinHeadSize = 4;
constexpr std::int64_t bytesPerVertex = 4 + 16;

static_assert(sizeof(Vec4) == 16 && sizeof(Matrix44) == 64, "skin arrays are copied as stored");

SkinPayload readSkinPayload(SectionInput& input, std::uint32_t size) {
    SkinPayload payload;
    payload.numBones = input.readU8();
    payload.numUsedBones = input.readU8();
    payload.maxWeightsPerVertex = input.readU8();
    input.skipInSection(1);
    payload.usedBones.resize(payload.numUsedBones);
    input.readArray(std::span(payload.usedBones));

    const std::int64_t numVertices = skinVertexCount(size, payload.numUsedBones, payload.numBones);
    if (numVertices < 0) {
        input.failMalformed();
    }
    const auto vertices = static_cast<std::uint64_t>(numVertices);
    input.requireBytes(vertices * std::uint64_t{bytesPerVertex} + std::uint64_t{payload.numBones} * sizeof(Matrix44));
    payload.inverseBoneMatrices.resize(payload.numBones);
    input.readArray(payload.vertexBoneIndices, vertices);
    input.readArray(payload.vertexWeights, vertices);
    payload.inverseBoneMatricesOffset = input.tell();
    input.readArray(std::span(payload.inverseBoneMatrices));
    return payload;
}

}  // namespace

std::int64_t skinVertexCount(std::uint32_t size, std::uint8_t numUsedBones, std::uint8_t numBones) {
    const std::int64_t rest = std::int64_t{size} - skinHeadSize - numUsedBones - std::int64_t{numBones} * 64;
    return rest / bytesPerVertex;
}

Section<SectionType::SkinPLG>::Section(SectionInput& input)
    : Section_Base(input, SectionType::SkinPLG, sectionName(SectionType::SkinPLG)),
      payload_(readSkinPayload(input, size())) {}

}  // namespace zorvek

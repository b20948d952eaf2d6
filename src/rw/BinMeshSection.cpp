#include "rw/BinMeshSection.h"

namespace zorvek {

namespace {

constexpr std::uint64_t meshHeadSize = 8;

BinMesh readBinMesh(SectionInput& input) {
    BinMesh mesh;
    mesh.numIndices = input.readU32();
    mesh.materialIndex = input.readU32();
    input.readArray(mesh.indices, mesh.numIndices);
    return mesh;
}

BinMeshPayload readBinMeshPayload(SectionInput& input) {
    BinMeshPayload payload;
    payload.meshFlags = input.readU32();
    payload.numMeshes = input.readU32();
    payload.totalIndices = input.readU32();
    input.requireBytes(std::uint64_t{payload.numMeshes} * meshHeadSize);
    payload.meshes.reserve(payload.numMeshes);
    for (std::uint32_t i = 0; i < payload.numMeshes; ++i) {
        payload.meshes.push_back(readBinMesh(input));
    }
    return payload;
}

}  // namespace

Section<SectionType::BinMeshPLG>::Section(SectionInput& input)
    : Section_Base(input, SectionType::BinMeshPLG, sectionName(SectionType::BinMeshPLG)),
      payload_(readBinMeshPayload(input)) {}

}  // namespace zorvek

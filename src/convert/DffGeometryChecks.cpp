#include "convert/DffGeometryChecks.h"

#include "base/UserMessageError.h"

#include <algorithm>
#include <limits>

namespace zorvek {

namespace {

// Counts in the file are int32.
constexpr std::uint64_t countLimit = std::numeric_limits<std::int32_t>::max();

void checkSkinData(const DffModel& model, std::size_t skinBoneCount, std::size_t skinMatrixCount) {
    const std::size_t vertexCount = model.positions.size();
    if (model.boneIndices.size() < vertexCount || model.boneWeights.size() < vertexCount) {
        throw UserMessageError("スキン情報のない頂点があります");
    }
    const std::size_t usable = std::min(skinBoneCount, skinMatrixCount);
    for (std::size_t k = 0; k < vertexCount; ++k) {
        for (std::uint8_t bone : model.boneIndices[k]) {
            if (bone >= usable) {
                throw UserMessageError("スキンにないボーンを使う頂点があります");
            }
        }
    }
}

// An empty set stands for zeros; a set with entries must cover every vertex.
bool coversVertices(std::size_t entries, std::size_t vertexCount) {
    return entries == 0 || entries >= vertexCount;
}

void checkVertexAttributes(const DffModel& model) {
    const std::size_t vertexCount = model.positions.size();
    if (!coversVertices(model.normals.size(), vertexCount)) {
        throw UserMessageError("法線の数が頂点数より少ないです");
    }
    // Only the first set is written, and the second when there are exactly two.
    const std::size_t usedSets = model.uvSets.size() == 2 ? 2 : std::min<std::size_t>(model.uvSets.size(), 1);
    for (std::size_t set = 0; set < usedSets; ++set) {
        if (!coversVertices(model.uvSets[set].size(), vertexCount)) {
            throw UserMessageError("テクスチャ座標の数が頂点数より少ないです");
        }
    }
}

void checkSplit(const DffModel& model, const MeshSplit& split, bool strips) {
    if (split.materialIndex >= model.materialTextureNames.size()) {
        throw UserMessageError("材質番号が範囲外の面があります");
    }
    if (!strips && split.indices.size() % 3 != 0) {
        throw UserMessageError("三角形リストの頂点数が3の倍数ではありません");
    }
    if (strips && split.indices.size() < 2) {
        throw UserMessageError("三角形ストリップの頂点数が足りません");
    }
    for (std::uint32_t index : split.indices) {
        if (index >= model.positions.size()) {
            throw UserMessageError("存在しない頂点を指す面があります");
        }
    }
}

void checkSplits(const DffModel& model) {
    const bool strips = model.isTriStrip != 0;
    std::uint64_t total = 0;
    for (const MeshSplit& split : model.meshSplits) {
        checkSplit(model, split, strips);
        total += faceIndexCount(split, strips);
        if (total > countLimit) {
            throw UserMessageError("面の数が多すぎます");
        }
    }
}

}  // namespace

std::uint64_t faceIndexCount(const MeshSplit& split, bool strips) {
    const std::uint64_t n = split.indices.size();
    if (!strips) {
        return n;
    }
    return n < 2 ? 0 : 3 * (n - 2);
}

void checkGeometry(const DffModel& model, const PreparedSkeleton& skeleton, std::size_t skinBoneCount) {
    if (model.positions.size() > countLimit) {
        throw UserMessageError("頂点の数が多すぎます");
    }
    checkSkinData(model, skinBoneCount, skeleton.skinMatrices.size());
    checkVertexAttributes(model);
    checkSplits(model);
}

}  // namespace zorvek

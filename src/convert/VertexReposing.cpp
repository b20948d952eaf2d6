#include "convert/VertexReposing.h"

#include "rig/PmxRig.h"

#include <cstddef>
#include <cstring>

namespace zorvek {

namespace {

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

Vec3 toVec3(Lanes lanes) {
    return {lanes[0], lanes[1], lanes[2]};
}

}  // namespace

// Every influence counts, also one of weight 0, so the sums stay as the format's readers expect.
void reposeVertices(LargeArray<Vec3>& positions, LargeArray<Vec3>& normals,
                    const LargeArray<std::array<std::uint8_t, 4>>& bones, const LargeArray<Vec4>& weights,
                    const std::vector<Matrix44>& skinMatrices) {
    const bool hasNormals = !normals.empty();
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const std::array<std::uint8_t, 4>& vertexBones = bones[k];
        const Vec4& weight = weights[k];
        const std::array<float, 4> w{weight.x, weight.y, weight.z, weight.w};
        const Vec3 t = positions[k];
        const Vec3 n = hasNormals ? normals[k] : Vec3{};
        Lanes position{};
        Lanes normal{};
        for (std::size_t l = 0; l < 4; ++l) {
            const Matrix44& skin = skinMatrices[vertexBones[l]];
            const Lanes x = matrixRow(skin, 0), y = matrixRow(skin, 1), z = matrixRow(skin, 2);
            position = position + w[l] * (t.x * x + t.y * y + t.z * z + matrixRow(skin, 3));
            if (hasNormals) {
                normal = normal + w[l] * (n.x * x + n.y * y + n.z * z);
            }
        }
        positions[k] = toVec3(pmxUnitsPerGameUnit * position);
        if (hasNormals) {
            normals[k] = toVec3(normal);
        }
    }
}

}  // namespace zorvek

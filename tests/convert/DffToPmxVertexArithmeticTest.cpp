// The vertex writer skins the three coordinates of a vertex at once; every
// float it writes must still be the one that the scalar operations give in
// their order: transformPoint or transformDirection, then the weighted sum.
#include "skeleton/SkeletonMath.h"
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <ios>
#include <sstream>

namespace zorvek {
namespace {

// Values whose sums change with the order they are added in, with both
// zeros and subnormals among them.
float sample(std::uint32_t i, std::uint32_t salt) {
    static constexpr std::array<float, 12> values{1e-3f,      -7.25f,  3.0e7f, -0.0f,   0.1f,    1.0e-40f,
                                                  12345.678f, -0.333f, 0.0f,   2.5e-8f, -9.0e6f, 0.7f};
    const float scale = 1.0f + static_cast<float>((i + salt) % 5) * 0.37f;
    return values[(i * 7 + salt * 5) % values.size()] * scale;
}

Vec3 weightedSum(const std::array<Vec3, 4>& terms, const Vec4& weight) {
    const std::array<float, 4> weights{weight.x, weight.y, weight.z, weight.w};
    Vec3 sum;
    for (std::size_t l = 0; l < 4; ++l) {
        sum = {sum.x + weights[l] * terms[l].x, sum.y + weights[l] * terms[l].y, sum.z + weights[l] * terms[l].z};
    }
    return sum;
}

std::array<std::uint32_t, 3> bitsOf(Vec3 v) {
    return {std::bit_cast<std::uint32_t>(v.x), std::bit_cast<std::uint32_t>(v.y), std::bit_cast<std::uint32_t>(v.z)};
}

TEST(PmxVertexArithmetic, EveryCoordinateIsTheScalarResultBitForBit) {
    test::PreparedModel model = test::makeWriterModel();
    const std::size_t boneCount = model.skeleton.skinMatrices.size();
    for (std::size_t bone = 0; bone < boneCount; ++bone) {
        for (int row = 0; row < 4; ++row) {
            // Column 3 too: it must never reach the file.
            for (int column = 0; column < 4; ++column) {
                model.skeleton.skinMatrices[bone].at(row, column) =
                    sample(static_cast<std::uint32_t>(bone * 16 + static_cast<std::size_t>(row * 4 + column)), 3);
            }
        }
    }
    constexpr std::uint32_t count = 300;
    model.positions.clear();
    model.normals.clear();
    model.boneIndices.clear();
    model.boneWeights.clear();
    model.uvSets.clear();
    model.meshSplits = {{0, {}}};
    for (std::uint32_t i = 0; i < count; ++i) {
        model.positions.push_back({sample(i, 0), sample(i, 1), sample(i, 2)});
        model.normals.push_back({sample(i, 3), sample(i, 4), sample(i, 5)});
        const auto bone = [&](std::uint32_t k) { return static_cast<std::uint8_t>(k % boneCount); };
        model.boneIndices.push_back({bone(i), bone(i / 5), bone(i / 25), bone(i + 2)});
        model.boneWeights.push_back({sample(i, 6), sample(i, 7), i % 2 == 0 ? 0.0f : -0.0f, sample(i, 9)});
    }

    const test::DecodedPmx pmx = test::convert(model, ConversionMode::None).pmx;
    ASSERT_EQ(pmx.vertices.size(), count);
    std::size_t wrong = 0;
    std::ostringstream first;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::array<Vec3, 4> points, directions;
        for (std::size_t l = 0; l < 4; ++l) {
            const Matrix44& skin = model.skeleton.skinMatrices[model.boneIndices[i][l]];
            points[l] = transformPoint(model.positions[i], skin);
            directions[l] = transformDirection(model.normals[i], skin);
        }
        const Vec3 sum = weightedSum(points, model.boneWeights[i]);
        const Vec3 position{10.0f * sum.x, 10.0f * sum.y, 10.0f * sum.z};
        const Vec3 normal = weightedSum(directions, model.boneWeights[i]);
        if (bitsOf(pmx.vertices[i].position) != bitsOf(position) || bitsOf(pmx.vertices[i].normal) != bitsOf(normal)) {
            if (wrong++ == 0) {
                first << std::hexfloat << "vertex " << i << ": position " << pmx.vertices[i].position.x << ' '
                      << pmx.vertices[i].position.y << ' ' << pmx.vertices[i].position.z << ", expected " << position.x
                      << ' ' << position.y << ' ' << position.z;
            }
        }
    }
    EXPECT_EQ(wrong, 0u) << first.str();
}

}  // namespace
}  // namespace zorvek

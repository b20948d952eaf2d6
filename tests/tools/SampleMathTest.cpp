#include "sample/BoneWeights.h"
#include "sample/SampleMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorvek::test {
namespace {

using sample::BoneChain;
using sample::BoneWeights;

TEST(SampleMath, PortableSineAndCosineMatchTheLibraryToFloatPrecision) {
    for (int step = -720; step <= 720; step += 7) {
        const float radians = sample::degrees(static_cast<float>(step));
        EXPECT_NEAR(sample::portableSin(radians), std::sin(static_cast<double>(radians)), 2e-7) << step;
        EXPECT_NEAR(sample::portableCos(radians), std::cos(static_cast<double>(radians)), 2e-7) << step;
    }
    EXPECT_EQ(sample::portableSin(0), 0.0f);
    EXPECT_EQ(sample::portableCos(0), 1.0f);
}

TEST(SampleMath, AxesAlongAreRightHandedAndOrthonormal) {
    const sample::Axes axes = sample::axesAlong({0.3f, -0.2f, -0.9f}, {0, -1, 0});
    EXPECT_NEAR(sample::length(axes.x), 1, 1e-6);
    EXPECT_NEAR(sample::length(axes.y), 1, 1e-6);
    EXPECT_NEAR(dot(axes.x, axes.y), 0, 1e-6);
    const Vec3 z = cross(axes.x, axes.y);
    EXPECT_EQ(axes.z, z);
    EXPECT_LT(axes.y.y, -0.9f);  // as close to the hint as the X axis allows
}

TEST(SampleMath, RigidInverseUndoesTheMatrix) {
    const Matrix44 m = sample::affineMatrix(sample::axesAlong({1, 2, 3}, {0, 0, 1}), {0.5f, -1, 2});
    const Matrix44 product = sample::multiplyAffine(m, sample::invertRigid(m));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(product.at(r, c), r == c ? 1 : 0, 1e-6) << r << "," << c;
        }
    }
}

TEST(BoneWeights, KeepsTheFourHeaviestSummingToExactlyOne) {
    BoneWeights weights;
    weights.add(7, 0.1f);
    weights.add(3, 0.3f);
    weights.add(9, 0.05f);
    weights.add(2, 0.3f);
    weights.add(5, 0.2f);
    weights.add(3, 0.1f);  // 3 now weighs 0.4
    weights.add(4, 0);     // ignored
    const auto four = weights.strongestFour();
    EXPECT_EQ(four[0].bone, 3);
    EXPECT_EQ(four[1].bone, 2);
    EXPECT_EQ(four[2].bone, 5);
    EXPECT_EQ(four[3].bone, 7);
    EXPECT_EQ(four[0].weight + four[1].weight + four[2].weight + four[3].weight, 1.0f);
    EXPECT_NEAR(four[0].weight, 0.4f / 1.0f, 1e-6);
}

TEST(BoneWeights, SingleBoneTakesEverythingAndUnusedSlotsAreEmpty) {
    BoneWeights weights;
    weights.add(12, 0.25f);
    const auto four = weights.strongestFour();
    EXPECT_EQ(four[0].bone, 12);
    EXPECT_EQ(four[0].weight, 1.0f);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(four[i].bone, 0);
        EXPECT_EQ(four[i].weight, 0.0f);
    }
}

TEST(BoneWeights, ExtrasTakeTheirShareUpToTheCap) {
    BoneWeights base;
    base.add(1, 1);
    BoneWeights extras;
    extras.add(2, 0.6f);
    extras.add(3, 0.6f);
    const auto four = sample::withExtras(base, extras, 0.9f).strongestFour();
    EXPECT_NEAR(four[0].weight, 0.45f, 1e-6);
    EXPECT_NEAR(four[1].weight, 0.45f, 1e-6);
    EXPECT_EQ(four[2].bone, 1);
    EXPECT_NEAR(four[2].weight, 0.1f, 1e-6);
}

struct ChainCase {
    float z;
    int firstBone;
    float firstWeight;
};

class ChainWeightsTest : public ::testing::TestWithParam<ChainCase> {};

// Joints at heights 0, 1 and 2 with a blend of 0.2 at the middle one; bones
// 10 (before 0, absent), 11 (0 to 1), 12 (1 to 2) and 13 (beyond 2, with a blend of 0.1).
TEST_P(ChainWeightsTest, BlendsOnlyNearTheJoints) {
    const BoneChain chain{{{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}, {-1, 11, 12, 13}, {0.3f, 0.2f, 0.1f}};
    const auto four = sample::chainWeights(chain, {0.05f, 0, GetParam().z}).strongestFour();
    EXPECT_EQ(four[0].bone, GetParam().firstBone);
    EXPECT_NEAR(four[0].weight, GetParam().firstWeight, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Heights, ChainWeightsTest,
                         ::testing::Values(ChainCase{-0.5f, 11, 1}, ChainCase{0.1f, 11, 1}, ChainCase{0.7f, 11, 1},
                                           ChainCase{0.9f, 11, 0.84375f}, ChainCase{1.1f, 12, 0.84375f},
                                           ChainCase{1.5f, 12, 1}, ChainCase{2.05f, 13, 0.84375f},
                                           ChainCase{3, 13, 1}));

}  // namespace
}  // namespace zorvek::test

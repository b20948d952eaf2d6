#include "skeleton/SkeletonMath.h"

#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

namespace zorvek {
namespace {

using test::boneMatrix;
using test::identityMatrix;

TEST(RelativeAxes, IdentityBindPosesGiveTheRelabelling) {
    const Axes rel = relativeAxes(identityMatrix(), identityMatrix());
    EXPECT_EQ(rel[0], (Vec3{0, 1, 0}));
    EXPECT_EQ(rel[1], (Vec3{0, 0, -1}));
    EXPECT_EQ(rel[2], (Vec3{1, 0, 0}));
}

TEST(RelativeAxes, TranslationsTakeNoPart) {
    const Matrix44 moved = boneMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, -7, 9});
    EXPECT_EQ(relativeAxes(moved, moved), relativeAxes(identityMatrix(), identityMatrix()));
}

TEST(RelativeAxes, InvertsTheBonesBindPoseAndAppliesTheReference) {
    // The bone's inverse bind turns X to Y; its inverse turns Y back to X.
    const Matrix44 turned = boneMatrix({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {});
    const Matrix44 doubled = boneMatrix({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {});
    const Axes rel = relativeAxes(turned, doubled);
    // inverse rows: (0, -1, 0), (1, 0, 0), (0, 0, 1); times 2; then (z, x, -y).
    EXPECT_EQ(rel[0], (Vec3{0, 0, 2}));
    EXPECT_EQ(rel[1], (Vec3{0, 2, 0}));
    EXPECT_EQ(rel[2], (Vec3{2, 0, 0}));
}

struct RotationCase {
    const char* name;
    Vec3 axis;
    Vec3 direction;
    Axes expected;
};

class AlignmentRotation : public testing::TestWithParam<RotationCase> {};

TEST_P(AlignmentRotation, MatchesTheWorkedExample) {
    const RotationCase& c = GetParam();
    const Axes rotation = alignmentRotation(c.axis, c.direction);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(rotation[row], c.expected[row]) << "row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlignmentRotation,
    testing::Values(RotationCase{"QuarterTurnXToY", {1, 0, 0}, {0, 1, 0}, {{{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}}},
                    RotationCase{"SameDirection", {0, 1, 0}, {0, 1, 0}, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}},
                    RotationCase{"OppositeDirection", {0, 1, 0}, {0, -1, 0}, {{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}}},
                    RotationCase{"UnnormalisedDirection", {0, 1, 0}, {0, 2, 0}, {{{2, 0, 0}, {0, 2, 0}, {0, 0, 2}}}},
                    // Below 2^-23 the cross product counts as zero and only e remains.
                    RotationCase{"NearlyParallel",
                                 {1, 0, 0},
                                 {0.5f, 0.0003f, 0},
                                 {{{0.5f, 0.0003f, 0}, {-0.0003f, 0.5f, 0}, {0, 0, 0.5f}}}}),
    [](const testing::TestParamInfo<RotationCase>& info) { return info.param.name; });

TEST(AlignmentRotation, TurnsTheAxisOntoTheDirection) {
    const Axes rel = relativeAxes(identityMatrix(), identityMatrix());
    const Axes turned = rotateAxes(rel, alignmentRotation(rel[0], {1, 0, 0}));
    EXPECT_EQ(turned[0], (Vec3{1, 0, 0}));
    EXPECT_EQ(turned[1], (Vec3{0, 0, -1}));
    EXPECT_EQ(turned[2], (Vec3{0, -1, 0}));
}

TEST(AffineProduct, IgnoresTheLeftColumnThreeAndAddsTheTranslationOnce) {
    Matrix44 left = boneMatrix({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 2, 3});
    for (int row = 0; row < 4; ++row) {
        left.at(row, 3) = 7;
    }
    const Matrix44 right = boneMatrix({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {10, 20, 30});
    EXPECT_EQ(affineProduct(left, right), boneMatrix({0, 2, 0}, {-2, 0, 0}, {0, 0, 2}, {12, 24, 36}));
}

TEST(TransformPoint, CarriesAnOffsetThroughAParentMatrix) {
    const Matrix44 parent = boneMatrix({0, 1, 0}, {0, 0, -1}, {1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(transformPoint({0.5f, 0, 0}, parent), (Vec3{0, 1.5f, 0}));
    EXPECT_EQ(transformDirection({0.5f, 0, 0}, parent), (Vec3{0, 0.5f, 0}));
}

}  // namespace
}  // namespace zorvek

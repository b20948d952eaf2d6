#include "skeleton/Skeleton.h"
#include "support/ExpectError.h"

#include "base/UserMessageError.h"
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <functional>

namespace zorvek {
namespace {

using test::boneMatrix;
using test::identityMatrix;
using test::makeFrame;

const Vec3 relX{0, 1, 0}, relY{0, 0, -1}, relZ{1, 0, 0};

// Root (no bone), Normal (bone 0), Pelvis (bone 1, 0.5 along its parent's X),
// Spine (bone 2, 2 along its parent's Z); every inverse bind is the identity.
DffModel makeSkeletonModel() {
    DffModel model;
    model.frames = {makeFrame("Root", -1, -1, -1), makeFrame("Normal", 0, 0, 0, {5, 5, 5}),
                    makeFrame("Pelvis", 1, 1, 1, {0.5f, 0, 0}), makeFrame("Spine", 2, 3, 2, {0, 0, 2})};
    model.inverseBindMatrices.assign(3, identityMatrix());
    return model;
}

BoneTable makeDirections() {
    BoneTable table;
    table.insert({0, u"", u"", {0, 1, 0}});  // already the bone's X axis
    table.insert({1, u"", u"", {1, 0, 0}});  // id 3 has no row
    return table;
}

TEST(PrepareSkeleton, ModeNoneKeepsTheRelabelledAxesAndIgnoresTheTable) {
    DffModel model = makeSkeletonModel();
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::None, makeDirections());
    ASSERT_EQ(skeleton.boneMatrices.size(), 3u);
    EXPECT_EQ(skeleton.boneMatrices[0], boneMatrix(relX, relY, relZ, {0, 1, 0}));  // parent frame is not a bone
    EXPECT_EQ(skeleton.boneMatrices[1], boneMatrix(relX, relY, relZ, {0, 1.5f, 0}));
    EXPECT_EQ(skeleton.boneMatrices[2], boneMatrix(relX, relY, relZ, {2, 1.5f, 0}));
}

TEST(PrepareSkeleton, AligningModesTurnKnownBonesAndCarryChildren) {
    for (ConversionMode mode : {ConversionMode::AxesAndBoneInfo, ConversionMode::NamesAndAxes}) {
        DffModel model = makeSkeletonModel();
        const PreparedSkeleton skeleton = prepareSkeleton(model, mode, makeDirections());
        EXPECT_EQ(skeleton.boneMatrices[0], boneMatrix(relX, relY, relZ, {0, 1, 0}));
        EXPECT_EQ(skeleton.boneMatrices[1], boneMatrix({1, 0, 0}, {0, 0, -1}, {0, -1, 0}, {0, 1.5f, 0}));
        // No table row: own orientation, placed through the turned parent.
        EXPECT_EQ(skeleton.boneMatrices[2], boneMatrix(relX, relY, relZ, {0, -0.5f, 0}));
    }
}

TEST(PrepareSkeleton, SkinMatricesCarryTheBindPoseIntoTheBoneSpace) {
    DffModel model = makeSkeletonModel();
    model.inverseBindMatrices[2] = boneMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -1});
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::None, BoneTable{});
    EXPECT_EQ(skeleton.skinMatrices[0], skeleton.boneMatrices[0]);
    // (0, 0, -1) through Spine's matrix: its position less its Z axis.
    EXPECT_EQ(skeleton.skinMatrices[2], boneMatrix(relX, relY, relZ, {1, 1.5f, 0}));
}

TEST(PrepareSkeleton, TheFirstFrameWithANumberIsTheBone) {
    DffModel model = makeSkeletonModel();
    model.frames.push_back(makeFrame("Copy", 0, 9, 1, {7, 7, 7}));
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::None, BoneTable{});
    EXPECT_EQ(skeleton.boneMatrices[1].row3(3), (Vec3{0, 1.5f, 0}));
}

TEST(PrepareSkeleton, AParentWithAHigherNumberIsStillEmpty) {
    DffModel model = makeSkeletonModel();
    model.frames[2].parentIndex = 3;  // Pelvis under Spine
    model.frames[3].parentIndex = 1;
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::None, BoneTable{});
    EXPECT_EQ(skeleton.boneMatrices[1].row3(3), (Vec3{0, 0, 0}));
}

struct SkeletonRefusal {
    const char* name;
    std::function<void(DffModel&)> change;
    const char* message;
};

class PrepareSkeletonRefuses : public testing::TestWithParam<SkeletonRefusal> {};

TEST_P(PrepareSkeletonRefuses, WithItsMessage) {
    DffModel model = makeSkeletonModel();
    GetParam().change(model);
    EXPECT_USER_ERROR(prepareSkeleton(model, ConversionMode::NamesAndAxes, makeDirections()), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrepareSkeletonRefuses,
    testing::Values(SkeletonRefusal{"OneSkinBone",
                                    [](DffModel& m) {
                                        m.inverseBindMatrices.resize(1);
                                        m.frames.resize(2);
                                    },
                                    "スキンのボーンが2つ未満です"},
                    SkeletonRefusal{"NumberBeyondTheSkin", [](DffModel& m) { m.frames[3].boneNumber = 3; },
                                    "スキンにないボーン番号があります"},
                    SkeletonRefusal{"NegativeNumber", [](DffModel& m) { m.frames[0].boneNumber = -2; },
                                    "スキンにないボーン番号があります"},
                    SkeletonRefusal{"Gap", [](DffModel& m) { m.frames[2].boneNumber = -1; },
                                    "ボーン番号に欠落があります"},
                    SkeletonRefusal{"NoParentFrame", [](DffModel& m) { m.frames[3].parentIndex = -1; },
                                    "親フレームのないボーンがあります"},
                    SkeletonRefusal{"ParentBeyondTheFrames", [](DffModel& m) { m.frames[1].parentIndex = 4; },
                                    "親フレームのないボーンがあります"}),
    [](const testing::TestParamInfo<SkeletonRefusal>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

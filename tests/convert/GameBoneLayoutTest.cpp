// The game's hierarchy as a rig, and a rig that renumbers the skin bones.
#include "convert/GameBoneLayout.h"
#include "support/pmx/PmxTestModels.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zorvek {
namespace {

TEST(GameBoneLayout, SkinBonesByNumberThenIkBonesThenTips) {
    const test::PreparedModel model = test::makeWriterModel();
    const PmxRig rig = layoutGameHierarchy(model, model.skeleton, ConversionMode::NamesAndAxes,
                                           test::makeWriterBoneTable(), test::makeWriterIkTable());
    // Frames 1 to 5 carry bone numbers 0, 1, 3, 2, 4.
    const std::vector<std::size_t> frames{1, 2, 4, 3, 5};
    ASSERT_GE(rig.bones.size(), frames.size());
    for (std::size_t bone = 0; bone < frames.size(); ++bone) {
        const PmxRigBone& b = rig.bones[bone];
        EXPECT_EQ(b.role, RigBoneRole::Frame) << bone;
        EXPECT_EQ(b.frame, frames[bone]) << bone;
        const std::int32_t gameParent = model.frames[model.frames[frames[bone]].parentIndex].boneNumber;
        EXPECT_EQ(b.bone.parent, gameParent) << bone;
        EXPECT_EQ(b.parentIsGameParent, gameParent >= 0) << bone;
        EXPECT_EQ(b.restAxes[0], model.skeleton.boneMatrices[bone].row3(0)) << bone;
    }
    EXPECT_EQ(rig.skinBoneIndex, (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
    // The rows whose bones all exist: foot, toe under it, and the thigh's.
    std::size_t iks = 0, tips = 0;
    for (std::size_t bone = frames.size(); bone < rig.bones.size(); ++bone) {
        const PmxRigBone& b = rig.bones[bone];
        EXPECT_FALSE(b.frame) << bone;
        iks += b.role == RigBoneRole::Ik ? 1 : 0;
        tips += b.role == RigBoneRole::Tip ? 1 : 0;
        // Tips come after every IK bone.
        EXPECT_TRUE(b.role == RigBoneRole::Tip || tips == 0) << bone;
    }
    EXPECT_EQ(iks, 3u);
    EXPECT_EQ(iks + tips, rig.bones.size() - frames.size());
}

struct Renumbering {
    const char* name;
    int bones;
    std::int32_t offset;  // every skin bone moves this far up the PMX
    bool wide;            // whether the vertices need more than a byte
};

class DffToPmxRenumbers : public testing::TestWithParam<Renumbering> {};

TEST_P(DffToPmxRenumbers, VertexBonesFollowTheRig) {
    const Renumbering& c = GetParam();
    test::PreparedModel model = test::makeChainModel(c.bones);
    PmxRig rig = layoutGameHierarchy(model, model.skeleton, ConversionMode::None, {}, {});
    for (std::int32_t& index : rig.skinBoneIndex) {
        index += c.offset;
    }
    const std::vector<PmxSmallBoneQuad> before(model.boneIndices.begin(), model.boneIndices.end());
    const PmxModel pmx = dffToPmx(model, model.skeleton, rig, test::makeTexts());
    ASSERT_EQ(pmx.vertices.smallBones.empty(), c.wide);
    ASSERT_EQ(pmx.vertices.bones.empty(), !c.wide);
    for (std::size_t k = 0; k < before.size(); ++k) {
        for (std::size_t l = 0; l < 4; ++l) {
            const std::int32_t found = c.wide ? pmx.vertices.bones[k][l] : pmx.vertices.smallBones[k][l];
            EXPECT_EQ(found, before[k][l] + c.offset) << k << " " << l;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DffToPmxRenumbers,
                         testing::Values(Renumbering{"Kept", 4, 0, false}, Renumbering{"WithinAByte", 4, 3, false},
                                         Renumbering{"PastAByte", 4, 300, true},
                                         Renumbering{"LastBonePastAByte", 200, 100, true}),
                         [](const testing::TestParamInfo<Renumbering>& info) { return info.param.name; });

}  // namespace
}  // namespace zorvek

// What the game makes of a ped converted from an MMD model: the sample's own
// animations played on it by the game's rules (keys replace each bone's
// local rotation, Root carries the translation), skinned as the game skins
// a ped, against the sample ped itself.
#include "MotionTestRig.h"
#include "base/FileIo.h"
#include "convert/BoneLayout.h"
#include "convert/DffToPmx.h"
#include "convert/GameTextureNames.h"
#include "convert/PmxToDff.h"
#include "dff/DffModelReader.h"
#include "ifp/IfpReader.h"
#include "rw/SectionInput.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/pmx/PmxTestModels.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <gtest/gtest.h>
#include <glm/geometric.hpp>

#include <cmath>
#include <limits>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

// The converted ped as the game reads it: its frames and skin.
DffModel asGameModel(const PedDff& ped) {
    DffModel model;
    model.frames = ped.frames;
    model.positions = ped.positions;
    model.boneIndices = ped.boneIndices;
    model.boneWeights = ped.boneWeights;
    model.inverseBindMatrices = ped.inverseBindMatrices;
    return model;
}

PedDff convertedSample() {
    DffModel model = test::readSampleModel();
    const BoneTable bones = loadBoneTable(source / "data");
    const IkTable iks = loadIkTable(source / "data");
    const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::Standard, bones);
    const PmxRig rig = layoutBones(model, skeleton, ConversionMode::Standard, bones, iks);
    const PmxModel pmx = dffToPmx(model, skeleton, rig, test::makeTexts());
    return pmxToDff(pmx, gameTextureNames(pmx.textures, [](const std::string&) {}), {}, [](const std::string&) {});
}

PedDff convertedSemiStandard(std::optional<float> height) {
    const PmxModel pmx = test::makeSemiStandardModel({.vertexCount = 6000});
    return pmxToDff(pmx, gameTextureNames(pmx.textures, [](const std::string&) {}), {.height = height, .boneNames = {}},
                    [](const std::string&) {});
}

struct Pose {
    double rootHeight = 0;                     // Root's z
    double lowest = 0;                         // the lowest skinned vertex's z
    std::map<std::int32_t, glm::dvec3> limbs;  // by bone id: the unit way from its joint to its child's
};

// The game's skinning: each vertex through its bones' inverse bind and
// posed matrices, weighted.
Pose posed(const DffModel& model, const IfpAnimation& animation, float time) {
    const std::vector<test::RowPose> worlds = test::gameWorldPose(model, animation, time);
    std::map<std::int32_t, std::size_t> frameOfBone;
    for (std::size_t f = 0; f < model.frames.size(); ++f) {
        if (model.frames[f].boneNumber >= 0) {
            frameOfBone[model.frames[f].boneNumber] = f;
        }
    }
    std::vector<glm::dmat3> skinRotation(model.inverseBindMatrices.size());
    std::vector<glm::dvec3> skinPosition(model.inverseBindMatrices.size());
    for (std::size_t b = 0; b < model.inverseBindMatrices.size(); ++b) {
        const Matrix44& m = model.inverseBindMatrices[b];
        glm::dmat3 rotation;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                rotation[c][r] = m.at(r, c);
            }
        }
        const glm::dvec3 translation(m.at(3, 0), m.at(3, 1), m.at(3, 2));
        const test::RowPose& world = worlds[frameOfBone.at(static_cast<std::int32_t>(b))];
        skinRotation[b] = rotation * world.rotation;
        skinPosition[b] = translation * world.rotation + world.position;
    }
    Pose pose;
    pose.lowest = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < model.positions.size(); ++k) {
        const glm::dvec3 v(model.positions[k].x, model.positions[k].y, model.positions[k].z);
        const float w[4] = {model.boneWeights[k].x, model.boneWeights[k].y, model.boneWeights[k].z,
                            model.boneWeights[k].w};
        glm::dvec3 p(0.0);
        for (std::size_t l = 0; l < 4; ++l) {
            const std::uint8_t b = model.boneIndices[k][l];
            p += static_cast<double>(w[l]) * (v * skinRotation[b] + skinPosition[b]);
        }
        pose.lowest = std::min(pose.lowest, p.z);
    }
    std::map<std::int32_t, std::size_t> frameOfId;
    for (std::size_t f = 0; f < model.frames.size(); ++f) {
        frameOfId[model.frames[f].boneId] = f;
    }
    pose.rootHeight = worlds[frameOfId.at(0)].position.z;
    // Limbs that point at their child: upper arm, forearm, thigh, calf, both sides.
    const std::pair<std::int32_t, std::int32_t> limbs[] = {{32, 33}, {33, 34}, {22, 23}, {23, 24},
                                                           {41, 42}, {42, 43}, {51, 52}, {52, 53}};
    for (const auto& [bone, child] : limbs) {
        pose.limbs[bone] = glm::normalize(worlds[frameOfId.at(child)].position - worlds[frameOfId.at(bone)].position);
    }
    return pose;
}

// Whether the animation sets the bone's rotation and every one above it:
// then its world turn is the animation's alone, whatever the model's bind.
bool turnedByTheAnimation(const DffModel& model, const IfpAnimation& animation, std::int32_t boneId) {
    for (std::int32_t frame = 0; frame >= 0;) {
        frame = -1;
        for (std::size_t f = 0; f < model.frames.size(); ++f) {
            if (model.frames[f].boneId == boneId) {
                frame = static_cast<std::int32_t>(f);
            }
        }
        if (frame < 0) {
            return true;  // above Root
        }
        const bool keyed = std::any_of(animation.tracks.begin(), animation.tracks.end(),
                                       [&](const IfpTrack& t) { return t.boneId == boneId && !t.keys.empty(); });
        if (!keyed) {
            return false;
        }
        const std::int32_t parent = model.frames[static_cast<std::size_t>(frame)].parentIndex;
        if (parent < 0) {
            return true;
        }
        boneId = model.frames[static_cast<std::size_t>(parent)].boneId;
    }
    return true;
}

struct ViewCase {
    const char* label;
    std::function<PedDff()> convert;
    double standing;  // metres the lowest vertex may differ from the sample's below Root
};

class ConvertedPedInTheGame : public testing::TestWithParam<ViewCase> {};

TEST_P(ConvertedPedInTheGame, WalksStandingWithItsLimbsWhereTheSamplesGo) {
    const DffModel sample = test::readSampleModel();
    const DffModel converted = asGameModel(GetParam().convert());
    const IfpFile file = readIfpFile(source / "samples/zorvek_sample.ifp");
    for (const IfpAnimation& animation : file.animations) {
        double worstStanding = 0;
        double worstLimb = 0;
        const int frames = static_cast<int>(animation.duration() * 30.0f);
        for (int frame = 0; frame <= frames; ++frame) {
            const float time = static_cast<float>(frame) / 30.0f;
            const Pose theirs = posed(sample, animation, time);
            const Pose ours = posed(converted, animation, time);
            worstStanding = std::max(worstStanding,
                                     std::abs((ours.rootHeight - ours.lowest) - (theirs.rootHeight - theirs.lowest)));
            for (const auto& [bone, way] : theirs.limbs) {
                if (!turnedByTheAnimation(sample, animation, bone)) {
                    continue;  // it keeps its bind pose, which is each model's own
                }
                const double c = std::min(1.0, glm::dot(way, ours.limbs.at(bone)));
                worstLimb = std::max(worstLimb, std::acos(c) * 180 / 3.14159265358979);
            }
        }
        std::printf("%s, %s: lowest vertex below Root within %.4f m of the sample's, limbs within %.3f°\n",
                    GetParam().label, animation.name.c_str(), worstStanding, worstLimb);
        EXPECT_LE(worstStanding, GetParam().standing) << animation.name;
        EXPECT_LE(worstLimb, 0.01) << animation.name;
    }
}

// The sample's Root stands 1.6 cm from where the game's peds have it;
// longer legs swing further below the hips in a stride.
INSTANTIATE_TEST_SUITE_P(Models, ConvertedPedInTheGame,
                         testing::Values(ViewCase{"SampleThroughTheStandardPmx", convertedSample, 0.02},
                                         ViewCase{"SemiStandardAtPedHeight",
                                                  [] { return convertedSemiStandard(1.84f); }, 0.06},
                                         ViewCase{"SemiStandardTall", [] { return convertedSemiStandard({}); }, 0.08}),
                         [](const testing::TestParamInfo<ViewCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace zorvek

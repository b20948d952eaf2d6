#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "sample/SampleModel.h"
#include "sample/SampleSkeleton.h"
#include "support/TempDir.h"
#include "support/dff/DffBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

const std::filesystem::path committedDff = std::filesystem::path(ZORVEK_SOURCE_DIR) / "samples" / "zorvek_sample.dff";

struct ReadSample {
    Bytes file;
    DffModel model;
    DffScaledValueOffsets offsets;
    std::vector<std::string> warnings;
};

const ReadSample& sample() {
    static const ReadSample read = [] {
        ReadSample result;
        result.file = readBytes(committedDff);
        SectionInput input(result.file);
        readDffModel(
            input, result.model, [&](const std::string& message) { result.warnings.push_back(message); },
            &result.offsets);
        return result;
    }();
    return read;
}

TEST(SampleModel, ReadsWithoutWarningsIntoThirtyTwoBones) {
    ASSERT_NO_THROW(sample());
    EXPECT_TRUE(sample().warnings.empty());
    EXPECT_EQ(sample().model.inverseBindMatrices.size(), 32u);
    EXPECT_EQ(sample().model.frames.size(), 33u);
    EXPECT_EQ(sample().model.materialTextureNames,
              (std::vector<std::string>{"sample_skin", "sample_clothes", "sample_hair"}));
    EXPECT_EQ(sample().model.isTriStrip, 0u);
}

struct FrameCase {
    std::string name;
    std::int32_t boneId, boneNumber, parentIndex;
};

// The San Andreas ped layout: frames in the game's order, bones numbered by the HAnim table.
const FrameCase expectedFrames[] = {
    {"", -1, -1, -1},
    {"Root", 0, 0, 0},
    {" Pelvis", 1, 1, 1},
    {" R Thigh", 51, 28, 2},
    {" L Thigh", 41, 24, 2},
    {" Spine", 2, 2, 2},
    {"Belly", 201, 23, 5},
    {" Spine1", 3, 3, 5},
    {"R breast", 301, 22, 7},
    {"L breast", 302, 21, 7},
    {" Neck", 4, 4, 7},
    {"Bip01 R Clavicle", 21, 15, 10},
    {"Bip01 L Clavicle", 31, 9, 10},
    {" Head", 5, 5, 10},
    {"R Brow", 7, 8, 13},
    {"L Brow", 6, 7, 13},
    {"Jaw", 8, 6, 13},
    {" L UpperArm", 32, 10, 12},
    {" L ForeArm", 33, 11, 17},
    {" L Hand", 34, 12, 18},
    {" L Finger", 35, 13, 19},
    {" L Finger01", 36, 14, 20},
    {" R UpperArm", 22, 16, 11},
    {" R ForeArm", 23, 17, 22},
    {" R Hand", 24, 18, 23},
    {" R Finger", 25, 19, 24},
    {" R Finger01", 26, 20, 25},
    {" L Calf", 42, 25, 4},
    {" L Foot", 43, 26, 27},
    {" L Toe0", 44, 27, 28},
    {" R Calf", 52, 29, 3},
    {" R Foot", 53, 30, 30},
    {" R Toe0", 54, 31, 31},
};

class SampleFrameTest : public ::testing::TestWithParam<int> {};

TEST_P(SampleFrameTest, FrameHasTheGameLayout) {
    const FrameCase& expected = expectedFrames[GetParam()];
    ASSERT_EQ(sample().model.frames.size(), std::size(expectedFrames));
    const DffFrame& frame = sample().model.frames[static_cast<std::size_t>(GetParam())];
    EXPECT_EQ(frame.frameName, expected.name);
    EXPECT_EQ(frame.boneId, expected.boneId);
    EXPECT_EQ(frame.boneNumber, expected.boneNumber);
    EXPECT_EQ(frame.parentIndex, expected.parentIndex);
}

INSTANTIATE_TEST_SUITE_P(Frames, SampleFrameTest, ::testing::Range(0, static_cast<int>(std::size(expectedFrames))));

TEST(SampleModel, HAnimNodeFlagsPushBeforeSiblingsAndPopAfterLeaves) {
    const std::vector<std::int32_t> expected = {0, 0, 2, 2, 2, 2, 3, 3, 1, 2, 0, 0, 0, 0, 1, 0,
                                                0, 0, 0, 0, 1, 3, 1, 1, 2, 0, 0, 1, 0, 0, 0, 1};
    const SkinnedModel model = sample::buildSampleModel();
    const auto& nodes = model.frames.at(1).hierarchy;
    ASSERT_EQ(nodes.size(), 32u);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].nodeIndex, static_cast<std::int32_t>(i));
        EXPECT_EQ(nodes[i].nodeFlags, expected[i]) << "node " << i;
    }
}

TEST(SampleModel, EveryVertexHasFourWeightsSummingToOne) {
    const DffModel& model = sample().model;
    const std::size_t vertices = model.positions.size();
    EXPECT_GT(vertices, 2000u);
    EXPECT_LT(vertices, 8000u);
    ASSERT_EQ(model.normals.size(), vertices);
    ASSERT_EQ(model.uvSets.size(), 1u);
    ASSERT_EQ(model.uvSets[0].size(), vertices);
    ASSERT_EQ(model.boneIndices.size(), vertices);
    ASSERT_EQ(model.boneWeights.size(), vertices);
    std::set<int> weighted;
    for (std::size_t v = 0; v < vertices; ++v) {
        const Vec4& w = model.boneWeights[v];
        const float weights[4] = {w.x, w.y, w.z, w.w};
        EXPECT_EQ(w.x + w.y + w.z + w.w, 1.0f) << "vertex " << v;
        for (int i = 0; i < 4; ++i) {
            EXPECT_LT(model.boneIndices[v][i], 32) << "vertex " << v;
            EXPECT_GE(weights[i], 0.0f);
            if (i > 0) {
                EXPECT_LE(weights[i], weights[i - 1]) << "vertex " << v;
            }
            if (weights[i] > 0) {
                weighted.insert(model.boneIndices[v][i]);
            }
        }
    }
    // Every bone but Root moves part of the body.
    EXPECT_EQ(weighted.size(), 31u);
    EXPECT_EQ(weighted.count(0), 0u);
}

Vec3 subtract(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 crossProduct(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dotProduct(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

TEST(SampleModel, TrianglesWindOutwardsAndAgreeWithTheNormals) {
    const DffModel& model = sample().model;
    ASSERT_EQ(model.meshSplits.size(), 3u);
    std::size_t triangles = 0;
    std::size_t agreeing = 0;
    for (std::size_t m = 0; m < model.meshSplits.size(); ++m) {
        const MeshSplit& split = model.meshSplits[m];
        EXPECT_EQ(split.materialIndex, m);
        ASSERT_EQ(split.indices.size() % 3, 0u);
        double volume = 0;
        for (std::size_t i = 0; i < split.indices.size(); i += 3) {
            const std::uint32_t a = split.indices[i], b = split.indices[i + 1], c = split.indices[i + 2];
            ASSERT_LT(std::max({a, b, c}), model.positions.size());
            const Vec3 normal = crossProduct(subtract(model.positions[b], model.positions[a]),
                                             subtract(model.positions[c], model.positions[a]));
            volume += dotProduct(model.positions[a], crossProduct(model.positions[b], model.positions[c])) / 6.0;
            const float agreement = dotProduct(normal, model.normals[a]) + dotProduct(normal, model.normals[b]) +
                                    dotProduct(normal, model.normals[c]);
            agreeing += agreement > 0 ? 1 : 0;
            ++triangles;
        }
        EXPECT_GT(volume, 0.0) << "material " << m;
    }
    EXPECT_GT(agreeing, triangles * 99 / 100);
}

// A bone's bind position in the converted axes, taken from its inverse bind matrix.
Vec3 convertedJoint(int bone) {
    const Matrix44& m = sample().model.inverseBindMatrices.at(static_cast<std::size_t>(bone));
    const Vec3 t = m.row3(3);
    // The rotation is orthonormal: the joint is -t times its transpose.
    const Vec3 joint{-dotProduct(t, m.row3(0)), -dotProduct(t, m.row3(1)), -dotProduct(t, m.row3(2))};
    return {joint.z, joint.x, -joint.y};
}

TEST(SampleModel, VerticesAreStoredInThePelvisSpace) {
    Matrix44 identity;
    identity.m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(sample().model.inverseBindMatrices.at(sample::Pelvis), identity);
}

TEST(SampleModel, ConvertedSkeletonStandsUprightFacingMinusZ) {
    using namespace sample;
    EXPECT_GT(convertedJoint(Head).y, convertedJoint(Neck).y);
    EXPECT_GT(convertedJoint(Neck).y, convertedJoint(Spine1).y);
    EXPECT_GT(convertedJoint(Spine1).y, convertedJoint(Pelvis).y);
    EXPECT_GT(convertedJoint(Pelvis).y, convertedJoint(LCalf).y);
    EXPECT_GT(convertedJoint(LCalf).y, convertedJoint(LFoot).y);
    EXPECT_GT(convertedJoint(LFoot).y, convertedJoint(LToe0).y);
    for (int left : {LClavicle, LUpperArm, LHand, LThigh, LFoot, LBrow, LBreast}) {
        EXPECT_GT(convertedJoint(left).x, 0) << left;
    }
    for (int right : {RClavicle, RUpperArm, RHand, RThigh, RFoot, RBrow, RBreast}) {
        EXPECT_LT(convertedJoint(right).x, 0) << right;
    }
    EXPECT_LT(convertedJoint(LToe0).z, convertedJoint(LFoot).z - 0.05f);
    EXPECT_LT(convertedJoint(LBrow).z, convertedJoint(Head).z - 0.05f);
    EXPECT_LT(convertedJoint(Belly).z, convertedJoint(Spine).z - 0.05f);
}

TEST(SampleModel, ArmsHangAboutSixtyNineDegreesBelowHorizontal) {
    using namespace sample;
    for (const auto& [shoulder, elbow] : {std::pair{LUpperArm, LForeArm}, std::pair{RUpperArm, RForeArm}}) {
        const Vec3 arm = subtract(convertedJoint(elbow), convertedJoint(shoulder));
        const double below = std::atan2(-arm.y, std::hypot(arm.x, arm.z)) * 180 / 3.14159265358979;
        EXPECT_NEAR(below, 69.0, 0.5);
    }
}

// An affine transform in double precision: rows 0 to 2 the axes, row 3 the origin.
using Affine = std::array<std::array<double, 3>, 4>;

std::array<double, 3> transform(const std::array<double, 3>& point, const Affine& m) {
    std::array<double, 3> out{};
    for (int c = 0; c < 3; ++c) {
        out[c] = point[0] * m[0][c] + point[1] * m[1][c] + point[2] * m[2][c] + m[3][c];
    }
    return out;
}

// The frames' model-space matrices, from the rotation rows and offsets stored in the FrameList.
std::vector<Affine> frameWorldMatrices(const ReadSample& read) {
    std::vector<Affine> world;
    for (std::size_t f = 0; f < read.model.frames.size(); ++f) {
        Affine local{};
        for (std::size_t i = 0; i < 12; ++i) {
            local[i / 3][i % 3] = getF32(read.file, read.offsets.frameEntries + 56 * f + 4 * i);
        }
        const std::int32_t parent = read.model.frames[f].parentIndex;
        if (parent >= 0) {
            const Affine& p = world.at(static_cast<std::size_t>(parent));
            for (int r = 0; r < 3; ++r) {
                local[r] = transform(local[r], {p[0], p[1], p[2], {0, 0, 0}});
            }
            local[3] = transform(local[3], p);
        }
        world.push_back(local);
    }
    return world;
}

// A model-space point in the Pelvis frame's axes.
std::array<double, 3> toPelvisSpace(const std::array<double, 3>& point, const Affine& pelvis) {
    std::array<double, 3> out{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            out[r] += (point[c] - pelvis[3][c]) * pelvis[r][c];
        }
    }
    return out;
}

// Points of each bone's space, carried to the model through the stored
// frames and into the Pelvis space, come back through the inverse bind matrix.
TEST(SampleModel, FramesAndInverseBindMatricesAgree) {
    const ReadSample& read = sample();
    const std::vector<Affine> world = frameWorldMatrices(read);
    for (std::size_t f = 1; f < world.size(); ++f) {
        const auto bone = static_cast<std::size_t>(read.model.frames[f].boneNumber);
        const Matrix44& inverse = read.model.inverseBindMatrices.at(bone);
        Affine inverseBind{};
        for (int r = 0; r < 4; ++r) {
            inverseBind[r] = {inverse.at(r, 0), inverse.at(r, 1), inverse.at(r, 2)};
        }
        for (const std::array<double, 3>& local : {std::array<double, 3>{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}) {
            const auto back = transform(toPelvisSpace(transform(local, world[f]), world[2]), inverseBind);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(back[c], local[c], 1e-5) << "frame " << f;
            }
        }
    }
}

struct ChunkAt {
    std::uint32_t type;
    std::size_t payload;
    std::uint32_t size;
};

std::vector<ChunkAt> childChunks(const Bytes& file, std::size_t payload, std::size_t size) {
    std::vector<ChunkAt> children;
    for (std::size_t at = payload; at + 12 <= payload + size;) {
        children.push_back({getU32(file, at), at + 12, getU32(file, at + 4)});
        at += 12 + children.back().size;
    }
    return children;
}

TEST(SampleModel, ClumpHoldsOneAtomicAfterTheGeometryList) {
    const Bytes& file = sample().file;
    EXPECT_EQ(getU32(file, 0), 0x10u);
    EXPECT_EQ(getU32(file, 8), 0x1803FFFFu);
    EXPECT_EQ(getU32(file, 4) + 12, file.size());
    std::vector<std::uint32_t> types;
    for (const ChunkAt& child : childChunks(file, 12, getU32(file, 4))) {
        types.push_back(child.type);
    }
    EXPECT_EQ(types, (std::vector<std::uint32_t>{0x1, 0xE, 0x1A, 0x14}));
    EXPECT_EQ(getU32(file, 24), 1u);  // numAtomics
}

TEST(SampleModel, GeometryAndSkinAreWrittenAsTheGameWritesThem) {
    const Bytes& file = sample().file;
    const ChunkAt geometryList = childChunks(file, 12, getU32(file, 4)).at(2);
    const ChunkAt geometry = childChunks(file, geometryList.payload, geometryList.size).at(1);
    const auto parts = childChunks(file, geometry.payload, geometry.size);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(getU32(file, parts[0].payload), 0x00010036u);  // one texture set; flags 0x36
    const auto plugins = childChunks(file, parts[2].payload, parts[2].size);
    ASSERT_EQ(plugins.size(), 2u);
    const ChunkAt& skin = plugins[1];
    ASSERT_EQ(skin.type, 0x116u);
    EXPECT_EQ(file[skin.payload], 32);
    const std::size_t usedBones = file[skin.payload + 1];
    EXPECT_EQ(usedBones, 31u);
    std::uint8_t mostWeights = 0;
    for (const Vec4& w : sample().model.boneWeights) {
        const int used = (w.x > 0) + (w.y > 0) + (w.z > 0) + (w.w > 0);
        mostWeights = std::max(mostWeights, static_cast<std::uint8_t>(used));
    }
    EXPECT_EQ(file[skin.payload + 2], mostWeights);
    EXPECT_GE(mostWeights, 3);
    const std::size_t vertices = sample().model.positions.size();
    EXPECT_EQ(skin.size, 4 + usedBones + 20 * vertices + 64 * 32 + 12);
    for (std::size_t i = skin.payload + skin.size - 12; i < skin.payload + skin.size; ++i) {
        EXPECT_EQ(file[i], 0);
    }
}

}  // namespace
}  // namespace zorvek::test

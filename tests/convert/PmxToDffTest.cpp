// MMD models into game peds, checked against the game's node table and a
// mapping of MMD's axes into the Pelvis's written out here, not taken from
// the converter.
#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "convert/BoneLayout.h"
#include "convert/DffToPmx.h"
#include "convert/GameTextureNames.h"
#include "convert/PmxToDff.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "support/ExpectError.h"
#include "support/mmd/SemiStandardModel.h"
#include "support/pmx/PmxTestModels.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

// The game's node table: id, frame name, parent id, flags.
struct ExpectedNode {
    std::int32_t id;
    const char* name;
    std::int32_t parentId;
    std::int32_t flags;
};

const ExpectedNode gameNodes[32] = {
    {0, "Root", -1, 0},         {1, " Pelvis", 0, 0},
    {2, " Spine", 1, 2},        {3, " Spine1", 2, 2},
    {4, " Neck", 3, 2},         {5, " Head", 4, 2},
    {8, "Jaw", 5, 3},           {6, "L Brow", 5, 3},
    {7, "R Brow", 5, 1},        {31, "Bip01 L Clavicle", 4, 2},
    {32, " L UpperArm", 31, 0}, {33, " L ForeArm", 32, 0},
    {34, " L Hand", 33, 0},     {35, " L Finger", 34, 0},
    {36, "L Finger01", 35, 1},  {21, "Bip01 R Clavicle", 4, 0},
    {22, " R UpperArm", 21, 0}, {23, " R ForeArm", 22, 0},
    {24, " R Hand", 23, 0},     {25, " R Finger", 24, 0},
    {26, "R Finger01", 25, 1},  {302, "L breast", 3, 3},
    {301, "R breast", 3, 1},    {201, "Belly", 2, 1},
    {41, " L Thigh", 1, 2},     {42, " L Calf", 41, 0},
    {43, " L Foot", 42, 0},     {44, " L Toe0", 43, 1},
    {51, " R Thigh", 1, 0},     {52, " R Calf", 51, 0},
    {53, " R Foot", 52, 0},     {54, " R Toe0", 53, 1},
};

// The MMD name standard models give each game bone.
const std::map<std::int32_t, std::u16string> mmdNames = {
    {1, u"下半身"},    {2, u"上半身"},    {3, u"上半身2"},   {4, u"首"},     {5, u"頭"},      {8, u"あご"},
    {6, u"左眉"},      {7, u"右眉"},      {31, u"左肩"},     {32, u"左腕"},  {33, u"左ひじ"}, {34, u"左手首"},
    {35, u"左中指１"}, {36, u"左中指２"}, {21, u"右肩"},     {22, u"右腕"},  {23, u"右ひじ"}, {24, u"右手首"},
    {25, u"右中指１"}, {26, u"右中指２"}, {302, u"左胸"},    {301, u"右胸"}, {201, u"腹"},    {41, u"左足"},
    {42, u"左ひざ"},   {43, u"左足首"},   {44, u"左つま先"}, {51, u"右足"},  {52, u"右ひざ"}, {53, u"右足首"},
    {54, u"右つま先"},
};

// An MMD point (x the model's left, y up, z its back; 10 units a metre) in
// the Pelvis's bind space as the game's peds hold their meshes: X up, Y
// forward, Z the ped's left.
Vec3 inPelvisSpace(Vec3 mmd, Vec3 pelvis, float metresPerUnit = 0.1f) {
    const Vec3 d = (mmd - pelvis) * metresPerUnit;
    return {d.y, -d.z, d.x};
}

double distance(Vec3 a, Vec3 b) {
    const Vec3 d = a - b;
    return std::sqrt(static_cast<double>(dot(d, d)));
}

// Where a bone's joint is in the skin's space: the translation of its
// inverse bind matrix's inverse (rigid: -t R^T).
Vec3 jointOf(const Matrix44& inverseBind) {
    const Vec3 t = inverseBind.row3(3);
    return {-(t.x * inverseBind.at(0, 0) + t.y * inverseBind.at(0, 1) + t.z * inverseBind.at(0, 2)),
            -(t.x * inverseBind.at(1, 0) + t.y * inverseBind.at(1, 1) + t.z * inverseBind.at(1, 2)),
            -(t.x * inverseBind.at(2, 0) + t.y * inverseBind.at(2, 1) + t.z * inverseBind.at(2, 2))};
}

Vec3 bonePlace(const PmxModel& model, std::u16string_view name) {
    return model.bones[static_cast<std::size_t>(test::boneIndex(model, name))].position;
}

using Weights = std::map<std::int32_t, float>;  // game bone id to weight

Weights weightsOf(const std::array<std::uint8_t, 4>& bones, const Vec4& weights,
                  const std::function<std::int32_t(std::uint8_t)>& idOf) {
    Weights result;
    const float w[4] = {weights.x, weights.y, weights.z, weights.w};
    for (int l = 0; l < 4; ++l) {
        if (w[l] > 0) {
            result[idOf(bones[static_cast<std::size_t>(l)])] += w[l];
        }
    }
    return result;
}

void expectSameWeights(const Weights& actual, const Weights& expected, std::size_t vertex) {
    ASSERT_EQ(actual.size(), expected.size()) << "vertex " << vertex;
    for (const auto& [id, weight] : expected) {
        ASSERT_TRUE(actual.contains(id)) << "vertex " << vertex << " bone " << id;
        EXPECT_NEAR(actual.at(id), weight, 1e-5) << "vertex " << vertex << " bone " << id;
    }
}

void expectGameNodeTable(const PedDff& ped) {
    ASSERT_EQ(ped.nodes.size(), 32u);
    ASSERT_EQ(ped.frames.size(), 33u);
    EXPECT_EQ(ped.frames[0].frameName, "");
    EXPECT_EQ(ped.frames[0].parentIndex, -1);
    for (std::size_t n = 0; n < 32; ++n) {
        const ExpectedNode& e = gameNodes[n];
        EXPECT_EQ(ped.nodes[n].id, e.id) << n;
        EXPECT_EQ(ped.nodes[n].index, static_cast<std::int32_t>(n));
        EXPECT_EQ(ped.nodes[n].flags, e.flags) << e.name;
        const DffFrame& frame = ped.frames[n + 1];
        EXPECT_EQ(frame.frameName, e.name);
        EXPECT_EQ(frame.boneId, e.id);
        EXPECT_EQ(frame.boneNumber, static_cast<std::int32_t>(n));
        const DffFrame& parent = ped.frames[static_cast<std::size_t>(frame.parentIndex)];
        EXPECT_EQ(parent.boneId, e.parentId) << e.name;
    }
    EXPECT_EQ(ped.atomicFrame, 2u);  // the Pelvis's: the mesh is in its space
}

// ---- The sample, to PMX in the standard mode and back ----------------------

struct SampleRoundTrip {
    DffModel original;
    PmxModel pmx;
    PedDff ped;
    std::vector<std::string> warnings;
};

const SampleRoundTrip& sampleRoundTrip() {
    static const SampleRoundTrip trip = [] {
        SampleRoundTrip t;
        t.original = test::readSampleModel();
        DffModel model = test::readSampleModel();
        const BoneTable bones = loadBoneTable(source / "data");
        const IkTable iks = loadIkTable(source / "data");
        const PreparedSkeleton skeleton = prepareSkeleton(model, ConversionMode::Standard, bones);
        const PmxRig rig = layoutBones(model, skeleton, ConversionMode::Standard, bones, iks);
        t.pmx = dffToPmx(model, skeleton, rig, test::makeTexts());
        const auto warn = [&t](const std::string& w) { t.warnings.push_back(w); };
        t.ped = pmxToDff(t.pmx, gameTextureNames(t.pmx.textures, warn), {}, warn);
        return t;
    }();
    return trip;
}

TEST(PmxToDffOfTheSample, HasTheGameNodeTable) {
    expectGameNodeTable(sampleRoundTrip().ped);
}

TEST(PmxToDffOfTheSample, JointsStandWhereThePmxHasThem) {
    const SampleRoundTrip& t = sampleRoundTrip();
    const Vec3 pelvis = bonePlace(t.pmx, u"下半身");
    double worst = 0;
    for (std::size_t n = 1; n < 32; ++n) {
        const Vec3 expected = inPelvisSpace(bonePlace(t.pmx, mmdNames.at(gameNodes[n].id)), pelvis);
        const double d = distance(jointOf(t.ped.inverseBindMatrices[n]), expected);
        EXPECT_LT(d, 1e-4) << gameNodes[n].name;  // 0.1 mm
        worst = std::max(worst, d);
    }
    std::printf("largest joint distance: %.3g m\n", worst);
}

TEST(PmxToDffOfTheSample, MeshAndWeightsComeBack) {
    const SampleRoundTrip& t = sampleRoundTrip();
    const Vec3 pelvis = bonePlace(t.pmx, u"下半身");
    ASSERT_EQ(t.ped.positions.size(), t.original.positions.size());
    double worst = 0;
    for (std::size_t k = 0; k < t.ped.positions.size(); ++k) {
        worst = std::max(worst, distance(t.ped.positions[k], inPelvisSpace(t.pmx.vertices.positions[k], pelvis)));
        ASSERT_EQ(t.ped.uvs[k], t.original.uvSets[0][k]) << k;
    }
    EXPECT_LT(worst, 1e-5);
    // The skin weights as the sample has them, bone by bone, through the
    // twist bones the standard mode spread them over and back.
    const auto sampleId = [&](std::uint8_t bone) {
        for (const DffFrame& frame : t.original.frames) {
            if (frame.boneNumber == bone) {
                return frame.boneId;
            }
        }
        return -1;
    };
    const auto ourId = [&](std::uint8_t node) { return gameNodes[node].id; };
    for (std::size_t k = 0; k < t.ped.positions.size(); ++k) {
        expectSameWeights(weightsOf(t.ped.boneIndices[k], t.ped.boneWeights[k], ourId),
                          weightsOf(t.original.boneIndices[k], t.original.boneWeights[k], sampleId), k);
        if (testing::Test::HasFailure()) {
            return;
        }
    }
}

TEST(PmxToDffOfTheSample, TrianglesAndTexturesAsTheSampleHasThem) {
    const SampleRoundTrip& t = sampleRoundTrip();
    ASSERT_EQ(t.ped.materials.size(), t.original.meshSplits.size());
    std::size_t at = 0;
    for (std::size_t m = 0; m < t.ped.materials.size(); ++m) {
        const MeshSplit& split = t.original.meshSplits[m];
        EXPECT_EQ(t.ped.materials[m].textureName, t.original.materialTextureNames[split.materialIndex]);
        // The sample stores triangle lists, which come back as stored.
        ASSERT_EQ(t.ped.materials[m].triangles.size(), split.indices.size());
        for (std::size_t k = 0; k < split.indices.size(); ++k) {
            ASSERT_EQ(t.ped.materials[m].triangles[k], split.indices[k]) << m << " " << k;
        }
        at += split.indices.size();
    }
    EXPECT_EQ(at, t.pmx.faceIndices.size());
}

// ---- A semi-standard model of other proportions -----------------------------

struct Converted {
    PmxModel pmx;
    PedDff ped;
    std::vector<std::string> warnings;
};

Converted convertSemiStandard(const test::SemiStandardOptions& options = {}, const PmxToDffSettings& settings = {}) {
    Converted c;
    c.pmx = test::makeSemiStandardModel(options);
    const auto warn = [&c](const std::string& w) { c.warnings.push_back(w); };
    c.ped = pmxToDff(c.pmx, gameTextureNames(c.pmx.textures, warn), settings, warn);
    return c;
}

const Converted& semiStandard() {
    static const Converted c = convertSemiStandard();
    return c;
}

TEST(PmxToDffOfASemiStandardModel, HasTheGameNodeTableAndItsOwnJoints) {
    const Converted& c = semiStandard();
    expectGameNodeTable(c.ped);
    const Vec3 pelvis = bonePlace(c.pmx, u"下半身");
    // The toes are the deforming 足先EX; the others by their standard names.
    std::map<std::int32_t, std::u16string> names = mmdNames;
    names[44] = u"左足先EX";
    names[54] = u"右足先EX";
    for (std::size_t n = 1; n < 32; ++n) {
        const auto name = names.find(gameNodes[n].id);
        if (name == names.end() || std::find_if(c.pmx.bones.begin(), c.pmx.bones.end(), [&](const PmxBone& b) {
                                       return b.name == name->second;
                                   }) == c.pmx.bones.end()) {
            continue;  // placed from its neighbours
        }
        EXPECT_LT(
            distance(jointOf(c.ped.inverseBindMatrices[n]), inPelvisSpace(bonePlace(c.pmx, name->second), pelvis)),
            1e-4)
            << gameNodes[n].name;
    }
}

// Which game bone each of the model's deforming bones gives its vertices to.
TEST(PmxToDffOfASemiStandardModel, EveryBoneGivesItsVerticesToTheGameBoneItMoves) {
    const Converted& c = semiStandard();
    const std::map<std::u16string, std::int32_t> expected = {
        {u"上半身", 2},    {u"上半身2", 3},   {u"首", 4},       {u"頭", 5},        {u"両目", 5},      {u"髪1", 5},
        {u"髪2", 5},       {u"下半身", 1},    {u"左肩", 31},    {u"左腕", 32},     {u"左腕捩1", 32},  {u"左腕捩3", 32},
        {u"左ひじ", 33},   {u"左手捩2", 33},  {u"左手首", 34},  {u"左親指１", 34}, {u"左人指１", 35}, {u"左中指１", 35},
        {u"左中指２", 36}, {u"左小指２", 36}, {u"左足D", 41},   {u"左ひざD", 42},  {u"左足首D", 43},  {u"左足先EX", 44},
        {u"右肩", 21},     {u"右腕捩2", 22},  {u"右手捩1", 23}, {u"右薬指１", 25}, {u"右足D", 51},    {u"右ひざD", 52},
        {u"右足首D", 53},  {u"右足先EX", 54},
    };
    std::map<std::int32_t, std::int32_t> seen;  // PMX bone to game id, from BDEF1 vertices
    for (std::size_t k = 0; k < c.pmx.vertices.size(); ++k) {
        if (c.pmx.vertices.deforms[k] != PmxDeform::Bdef1) {
            continue;
        }
        ASSERT_EQ(c.ped.boneWeights[k], (Vec4{1, 0, 0, 0})) << k;
        seen[c.pmx.vertices.bones[k][0]] = gameNodes[c.ped.boneIndices[k][0]].id;
    }
    for (const auto& [name, id] : expected) {
        const auto found = seen.find(test::boneIndex(c.pmx, name));
        ASSERT_NE(found, seen.end()) << utf16ToUtf8(name);
        EXPECT_EQ(found->second, id) << utf16ToUtf8(name);
    }
}

TEST(PmxToDffOfASemiStandardModel, WeightsSummedPerGameBoneLargestFirst) {
    const Converted& c = semiStandard();
    for (std::size_t k = 0; k < c.ped.positions.size(); ++k) {
        const Vec4& w = c.ped.boneWeights[k];
        EXPECT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-6) << k;
        EXPECT_TRUE(w.x >= w.y && w.y >= w.z && w.z >= w.w) << k;
        EXPECT_GT(w.x, 0) << k;
        const auto& b = c.ped.boneIndices[k];
        // No game bone twice among the weighted.
        EXPECT_FALSE(w.y > 0 && b[1] == b[0]) << k;
        EXPECT_FALSE(w.z > 0 && (b[2] == b[0] || b[2] == b[1])) << k;
    }
    // BDEF2 of the left forearm (0.75) and its parent 左腕捩 (0.25): both
    // are ForeArm and UpperArm in the game, as they stand.
    const std::int32_t elbow = test::boneIndex(c.pmx, u"左ひじ");
    bool checked = false;
    for (std::size_t k = 0; k < c.pmx.vertices.size() && !checked; ++k) {
        if (c.pmx.vertices.deforms[k] == PmxDeform::Bdef2 && c.pmx.vertices.bones[k][0] == elbow) {
            EXPECT_EQ(gameNodes[c.ped.boneIndices[k][0]].id, 33);
            EXPECT_EQ(gameNodes[c.ped.boneIndices[k][1]].id, 32);
            EXPECT_FLOAT_EQ(c.ped.boneWeights[k].x, 0.75f);
            checked = true;
        }
    }
    EXPECT_TRUE(checked);
}

// Root 0.986 m above the lowest vertex on the hips' vertical: the game
// stands a ped by its Root, whatever its legs.
TEST(PmxToDffOfASemiStandardModel, RootStandsWhereTheGameStandsAPed) {
    for (const std::optional<float> height : {std::optional<float>(), std::optional<float>(1.6f)}) {
        const Converted c = convertSemiStandard({.vertexCount = 3000}, {.height = height, .boneNames = {}});
        const Vec3 pelvis = bonePlace(c.pmx, u"下半身");
        float lowestUp = std::numeric_limits<float>::infinity();
        float highestUp = -lowestUp;
        for (const Vec3& p : c.ped.positions) {
            lowestUp = std::min(lowestUp, p.x);  // the Pelvis's X is up
            highestUp = std::max(highestUp, p.x);
        }
        // Root's place in the Pelvis's space: the inverse of the Pelvis seen from Root.
        const Vec3 root = jointOf(c.ped.inverseBindMatrices[0]);
        EXPECT_NEAR(root.x - lowestUp, 0.986f, 1e-5);
        EXPECT_NEAR(root.y, 0, 1e-6);  // on the hips' vertical
        EXPECT_NEAR(root.z, 0, 1e-6);
        // One PMX unit a decimetre, or the height asked for.
        float lowestPmx = std::numeric_limits<float>::infinity(), highestPmx = -lowestPmx;
        for (const Vec3& p : c.pmx.vertices.positions) {
            lowestPmx = std::min(lowestPmx, p.y);
            highestPmx = std::max(highestPmx, p.y);
        }
        EXPECT_NEAR(highestUp - lowestUp, height.value_or((highestPmx - lowestPmx) * 0.1f), 1e-4);
        (void)pelvis;
    }
}

// Bind axes follow the game's: each bone's X points at its child's joint,
// and the rest keep the game's orientation.
TEST(PmxToDffOfASemiStandardModel, BindAxesPointAtTheChildJoints) {
    const Converted& c = semiStandard();
    const auto axisX = [&](std::size_t node) {
        // The bone's X in the Pelvis's space: row 0 of the inverse of its inverse bind matrix.
        const Matrix44& m = c.ped.inverseBindMatrices[node];
        return Vec3{m.at(0, 0), m.at(1, 0), m.at(2, 0)};
    };
    const std::pair<std::size_t, std::size_t> aimed[] = {{4, 5},   {9, 10},  {10, 11}, {11, 12}, {12, 13},
                                                         {13, 14}, {15, 16}, {16, 17}, {17, 18}, {18, 19},
                                                         {19, 20}, {24, 25}, {25, 26}, {28, 29}, {29, 30}};
    for (const auto& [node, child] : aimed) {
        const Vec3 toward = jointOf(c.ped.inverseBindMatrices[child]) - jointOf(c.ped.inverseBindMatrices[node]);
        const Vec3 unit = toward * (1.0f / std::sqrt(dot(toward, toward)));
        EXPECT_GT(dot(axisX(node), unit), 0.99999f) << gameNodes[node].name;
    }
    // The Pelvis's space is the Pelvis: its inverse bind matrix is the identity.
    const Matrix44& hips = c.ped.inverseBindMatrices[1];
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_NEAR(hips.at(r, col), r == col ? 1.0f : 0.0f, 1e-6) << r << col;
        }
    }
    // The frames agree with the inverse bind matrices: a point of the skin's
    // space taken into each bone by its inverse bind matrix and out again
    // through the frames lands where the Pelvis's frame puts it.
    const auto through = [](Vec3 p, const std::array<Vec3, 3>& axes, Vec3 origin) {
        return axes[0] * p.x + axes[1] * p.y + axes[2] * p.z + origin;
    };
    std::vector<std::pair<std::array<Vec3, 3>, Vec3>> world(c.ped.frames.size());
    for (std::size_t f = 0; f < c.ped.frames.size(); ++f) {
        const DffFrame& frame = c.ped.frames[f];
        if (frame.parentIndex < 0) {
            world[f] = {frame.rotation, frame.translation};
            continue;
        }
        const auto& [parentAxes, parentOrigin] = world[static_cast<std::size_t>(frame.parentIndex)];
        std::array<Vec3, 3> axes;
        for (std::size_t r = 0; r < 3; ++r) {
            axes[r] = through(frame.rotation[r], parentAxes, Vec3{});
        }
        world[f] = {axes, through(frame.translation, parentAxes, parentOrigin)};
    }
    for (const Vec3 p : {Vec3{0.1f, 0.2f, 0.3f}, Vec3{-0.5f, 0.05f, 0.9f}}) {
        const Vec3 expected = through(p, world[2].first, world[2].second);
        for (std::size_t n = 0; n < 32; ++n) {
            const Matrix44& m = c.ped.inverseBindMatrices[n];
            const Vec3 local = through(p, {m.row3(0), m.row3(1), m.row3(2)}, m.row3(3));
            EXPECT_LT(distance(through(local, world[n + 1].first, world[n + 1].second), expected), 1e-5)
                << gameNodes[n].name;
        }
    }
    // The head keeps the game's: X up and a little forward.
    const Vec3 head = axisX(5);
    EXPECT_NEAR(head.x, 0.998f, 2e-3);
}

TEST(PmxToDffOfASemiStandardModel, WindingTurnsWithTheMirroredAxes) {
    const Converted& c = semiStandard();
    ASSERT_EQ(c.ped.materials.size(), c.pmx.materials.size());
    std::size_t at = 0;
    for (const PedDffMaterial& material : c.ped.materials) {
        for (std::size_t k = 0; k < material.triangles.size(); k += 3, at += 3) {
            ASSERT_EQ(material.triangles[k], c.pmx.faceIndices[at]);
            ASSERT_EQ(material.triangles[k + 1], c.pmx.faceIndices[at + 2]);
            ASSERT_EQ(material.triangles[k + 2], c.pmx.faceIndices[at + 1]);
        }
    }
    EXPECT_EQ(c.ped.materials[0].textureName, "tex0");  // 肌 has no ASCII
    EXPECT_EQ(c.ped.materials[2].textureName, "hair");
    EXPECT_EQ(c.ped.materials[4].textureName, "face");
}

// ---- Bones the model lacks -----------------------------------------------

PmxModel withoutBones(std::initializer_list<std::u16string_view> names) {
    PmxModel model = test::makeSemiStandardModel({.vertexCount = 300});
    for (std::u16string_view name : names) {
        // Renamed, not removed, so that every index stays valid.
        model.bones[static_cast<std::size_t>(test::boneIndex(model, name))].name = u"x" + std::u16string(name);
    }
    return model;
}

struct MissingCase {
    const char* label;
    std::vector<std::u16string_view> missing;
    std::string message;
};

class PmxToDffRefusal : public testing::TestWithParam<MissingCase> {};

TEST_P(PmxToDffRefusal, NamesTheBoneItCannotPlace) {
    const PmxModel model = withoutBones({});
    PmxModel lacking = model;
    for (std::u16string_view name : GetParam().missing) {
        lacking.bones[static_cast<std::size_t>(test::boneIndex(lacking, name))].name = u"x";
    }
    EXPECT_USER_ERROR(pmxToDff(lacking, {}, {}, [](const std::string&) {}), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Bones, PmxToDffRefusal,
                         testing::Values(MissingCase{"Elbow", {u"左ひじ"}, "標準ボーンが見つかりません: 左ひじ"},
                                         MissingCase{"LowerBody", {u"下半身"}, "標準ボーンが見つかりません: 下半身"},
                                         MissingCase{"Head", {u"頭"}, "標準ボーンが見つかりません: 頭"},
                                         MissingCase{"RightAnkle", {u"右足首"}, "標準ボーンが見つかりません: 右足首"},
                                         MissingCase{
                                             "FirstOfSeveral", {u"右腕", u"首"}, "標準ボーンが見つかりません: 首"}),
                         [](const testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.label); });

TEST(PmxToDffPlacing, BonesTheModelLacksArePlacedFromTheirNeighboursWithOneWarning) {
    const PmxModel model = withoutBones({u"上半身2", u"左肩", u"右中指１", u"右中指２", u"左足先EX", u"左つま先"});
    std::vector<std::string> warnings;
    const PedDff ped = pmxToDff(model, gameTextureNames(model.textures, [](const std::string&) {}), {},
                                [&](const std::string& w) { warnings.push_back(w); });
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(
        warnings[0],
        "モデルにない標準ボーンを周りのボーンから置きました: 上半身2, あご, 左眉, 右眉, 左肩, 右中指１, 右中指２, "
        "左胸, 右胸, 腹, 左つま先");
    const Vec3 pelvis = bonePlace(model, u"下半身");
    const auto joint = [&](std::size_t node) { return jointOf(ped.inverseBindMatrices[node]); };
    // 上半身2 halfway up from 上半身 to 首.
    const Vec3 spine = inPelvisSpace(bonePlace(model, u"上半身"), pelvis);
    const Vec3 neck = inPelvisSpace(bonePlace(model, u"首"), pelvis);
    EXPECT_LT(distance(joint(3), (spine + neck) * 0.5f), 1e-5);
    // The left toe from the toe IK, which stands on it.
    EXPECT_LT(distance(joint(27), inPelvisSpace(bonePlace(model, u"左つま先ＩＫ"), pelvis)), 1e-5);
    // The right fingers beyond the hand, along the forearm.
    const Vec3 hand = joint(18);
    const Vec3 along = hand - joint(17);
    const Vec3 finger = joint(19) - hand;
    EXPECT_GT(dot(along, finger) / std::sqrt(dot(along, along) * dot(finger, finger)), 0.9999f);
    // The jaw inside the head: above the neck, within a head's height of the head joint.
    EXPECT_GT(joint(6).x, joint(4).x);
    EXPECT_LT(distance(joint(6), joint(5)), 0.1);
}

TEST(PmxToDffPlacing, TooManyVerticesAreRefusedWithTheirCount) {
    PmxModel model = test::makeSemiStandardModel({.vertexCount = 65536, .materialCount = 1});
    EXPECT_USER_ERROR(pmxToDff(model, {"a", "b", "c", "d", "e"}, {}, [](const std::string&) {}),
                      "頂点が多すぎます (65536 個、最大 65535 個)");
    model = test::makeSemiStandardModel({.vertexCount = 65535, .materialCount = 1});
    EXPECT_EQ(pmxToDff(model, {"a", "b", "c", "d", "e"}, {}, [](const std::string&) {}).positions.size(), 65535u);
}

// ---- The user's own bone names --------------------------------------------

TEST(PmxToDffBoneNames, AUserTableFindsBonesNamedOtherwise) {
    PmxModel model = withoutBones({});
    model.bones[static_cast<std::size_t>(test::boneIndex(model, u"左ひじ"))].name = u"L_elbow";
    EXPECT_USER_ERROR(pmxToDff(model, {"a", "b", "c", "d", "e"}, {}, [](const std::string&) {}),
                      "標準ボーンが見つかりません: 左ひじ");
    const std::string table = "\xEF\xBB\xBF# my model\nL_elbow\t33\n";
    const GameBoneNames names = parseGameBoneNames(table, "bones.txt");
    ASSERT_EQ(names.size(), 1u);
    const PedDff ped =
        pmxToDff(model, {"a", "b", "c", "d", "e"}, {.height = {}, .boneNames = names}, [](const std::string&) {});
    const Vec3 pelvis = bonePlace(model, u"下半身");
    EXPECT_LT(distance(jointOf(ped.inverseBindMatrices[11]), inPelvisSpace(bonePlace(model, u"L_elbow"), pelvis)),
              1e-5);
}

struct TableCase {
    const char* label;
    std::string bytes;
    std::string message;  // empty: accepted
};

class GameBoneTable : public testing::TestWithParam<TableCase> {};

TEST_P(GameBoneTable, ParsesOrNamesTheLine) {
    if (GetParam().message.empty()) {
        const GameBoneNames names = parseGameBoneNames(GetParam().bytes, "bones.txt");
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[0], (std::pair<std::u16string, std::int32_t>{u"ひじL", 33}));
        EXPECT_EQ(names[1], (std::pair<std::u16string, std::int32_t>{u"Head", 5}));
    } else {
        EXPECT_USER_ERROR(parseGameBoneNames(GetParam().bytes, "bones.txt"), GetParam().message);
    }
}

std::string utf16Bytes(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Files, GameBoneTable,
                         testing::Values(TableCase{"Utf8", "\xEF\xBB\xBF\xE3\x81\xB2\xE3\x81\x98L\t33\r\n#c\n\nHead\t5",
                                                   ""},
                                         TableCase{"Utf16", utf16Bytes(u"ひじL\t33\n# c\nHead\t5\n"), ""},
                                         TableCase{"NoTab", "\xEF\xBB\xBFHead 5\n", "bones.txt 行1: 要素が足りません"},
                                         TableCase{"NotANumber", utf16Bytes(u"#\nHead\tfive\n"),
                                                   "bones.txt 行2: 不正なトークンが含まれています"},
                                         TableCase{"NotAGameBone", utf16Bytes(u"Head\t9\n"),
                                                   "bones.txt 行1: ゲームのボーン番号ではありません: 9"},
                                         TableCase{"RootIsPlacedNotFound", utf16Bytes(u"センター\t0\n"),
                                                   "bones.txt 行1: ゲームのボーン番号ではありません: 0"}),
                         [](const testing::TestParamInfo<TableCase>& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace zorvek

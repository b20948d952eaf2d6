// A dance made for standard MMD models, played by three.js's MMD runtime on
// a standard-hierarchy skeleton built here (a stick figure with its own
// proportions, not the ped's) and on the sample converted to the standard
// skeleton: every body bone both have turns the same way in world space.
// The mmd mode keeps the game's hierarchy, and the same check shows what it
// gets wrong.
#include "base/FileIo.h"
#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "jobs/ConversionTables.h"
#include "jobs/DffConversion.h"
#include "pmx/PmxWriter.h"
#include "support/NodeScripts.h"
#include "support/TempDir.h"
#include "vmd/VmdWriter.h"

#include <gtest/gtest.h>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);
const std::filesystem::path runtimeFolder = source / "tests/motion/three";

// ---- The reference: a standard and semi-standard skeleton, 21 units tall --

struct ReferenceBone {
    std::u16string name;
    std::u16string parent;
    Vec3 at;                     // MMD's axes: x the model's left, y up, z its back
    std::u16string grantFrom{};  // a rotation grant (付与)
    float grantWeight = 0;
    std::u16string drawnTo{};  // a stick from here to that bone (for the picture)
    float thickness = 0.35f;
};

Vec3 mirrored(Vec3 v) {
    return {-v.x, v.y, v.z};
}

std::u16string sided(char16_t side, std::u16string_view name) {
    return std::u16string(1, side) + std::u16string(name);
}

Vec3 lerp(Vec3 a, Vec3 b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

void addSide(std::vector<ReferenceBone>& bones, char16_t side) {
    const auto at = [side](Vec3 left) { return side == u'左' ? left : mirrored(left); };
    const auto n = [side](std::u16string_view name) { return sided(side, name); };
    const Vec3 shoulder{0.35f, 15.3f, 0.45f}, arm{1.45f, 15.0f, 0.5f}, elbow{3.6f, 13.0f, 0.55f},
        wrist{5.4f, 11.3f, 0.45f}, hip{0.95f, 10.9f, 0.25f}, knee{1.0f, 6.1f, 0.05f}, ankle{1.05f, 1.15f, 0.45f},
        toe{1.05f, 0.15f, -1.35f};
    bones.push_back({n(u"肩P"), u"上半身2", at(shoulder)});
    bones.push_back({n(u"肩"), n(u"肩P"), at(shoulder), {}, 0, n(u"腕"), 0.3f});
    bones.push_back({n(u"肩C"), n(u"肩"), at(arm), n(u"肩P"), -1});
    bones.push_back({n(u"腕"), n(u"肩C"), at(arm), {}, 0, n(u"ひじ"), 0.35f});
    bones.push_back({n(u"腕捩"), n(u"腕"), at(lerp(arm, elbow, 0.5f))});
    for (int k = 1; k <= 3; ++k) {
        bones.push_back({n(u"腕捩") + std::u16string(1, static_cast<char16_t>(u'0' + k)), n(u"腕"),
                         at(lerp(arm, elbow, 0.25f * k)), n(u"腕捩"), 0.25f * k});
    }
    bones.push_back({n(u"ひじ"), n(u"腕捩"), at(elbow), {}, 0, n(u"手首"), 0.3f});
    bones.push_back({n(u"手捩"), n(u"ひじ"), at(lerp(elbow, wrist, 0.5f))});
    for (int k = 1; k <= 3; ++k) {
        bones.push_back({n(u"手捩") + std::u16string(1, static_cast<char16_t>(u'0' + k)), n(u"ひじ"),
                         at(lerp(elbow, wrist, 0.25f * k)), n(u"手捩"), 0.25f * k});
    }
    bones.push_back({n(u"手首"), n(u"手捩"), at(wrist), {}, 0, n(u"中指１"), 0.3f});
    // Fingers fanned out along the hand, the thumb inwards and forward.
    const std::u16string_view fingers[] = {u"人指", u"中指", u"薬指", u"小指"};
    for (int f = 0; f < 4; ++f) {
        const Vec3 base{6.1f, 10.75f, 0.45f + 0.22f * (static_cast<float>(f) - 1.5f)};
        std::u16string parent = n(u"手首");
        for (int joint = 1; joint <= 3; ++joint) {
            const std::u16string name = n(fingers[f]) + std::u16string(1, static_cast<char16_t>(u'０' + joint));
            const float along = 0.38f * static_cast<float>(joint - 1);
            bones.push_back(
                {name,
                 parent,
                 at({base.x + along * 0.75f, base.y - along * 0.65f, base.z}),
                 {},
                 0,
                 joint < 3 ? n(fingers[f]) + std::u16string(1, static_cast<char16_t>(u'０' + joint + 1)) : u"",
                 0.08f});
            parent = name;
        }
    }
    bones.push_back({n(u"親指０"), n(u"手首"), at({5.6f, 10.9f, 0.1f})});
    bones.push_back({n(u"親指１"), n(u"親指０"), at({5.85f, 10.6f, -0.15f}), {}, 0, n(u"親指２"), 0.09f});
    bones.push_back({n(u"親指２"), n(u"親指１"), at({6.05f, 10.35f, -0.35f})});
    bones.push_back({n(u"足"), u"下半身", at(hip), {}, 0, n(u"ひざ"), 0.55f});
    bones.push_back({n(u"ひざ"), n(u"足"), at(knee), {}, 0, n(u"足首"), 0.45f});
    bones.push_back({n(u"足首"), n(u"ひざ"), at(ankle), {}, 0, n(u"つま先"), 0.3f});
    bones.push_back({n(u"つま先"), n(u"足首"), at(toe)});
    bones.push_back({n(u"足IK親"), u"全ての親", at({ankle.x, 0, ankle.z})});
    bones.push_back({n(u"足ＩＫ"), n(u"足IK親"), at(ankle)});
    bones.push_back({n(u"つま先ＩＫ"), n(u"足ＩＫ"), at(toe)});
}

std::vector<ReferenceBone> referenceBones() {
    std::vector<ReferenceBone> bones = {
        {u"全ての親", u"", {0, 0, 0}},
        {u"センター", u"全ての親", {0, 8.4f, 0}},
        {u"グルーブ", u"センター", {0, 8.4f, 0}},
        {u"上半身", u"グルーブ", {0, 11.3f, 0.25f}, {}, 0, u"上半身2", 1.2f},
        {u"上半身2", u"上半身", {0, 12.9f, 0.3f}, {}, 0, u"首", 1.35f},
        {u"首", u"上半身2", {0, 15.9f, 0.45f}, {}, 0, u"頭", 0.35f},
        {u"頭", u"首", {0, 16.8f, 0.3f}, {}, 0, u"頭先", 1.0f},
        {u"頭先", u"頭", {0, 19.3f, 0.3f}},
        {u"両目", u"頭", {0, 17.8f, -0.7f}},
        {u"下半身", u"グルーブ", {0, 11.3f, 0.25f}, {}, 0, u"下半身先", 1.3f},
    };
    bones.push_back({u"下半身先", u"下半身", {0, 10.2f, 0.25f}});
    addSide(bones, u'左');
    addSide(bones, u'右');
    return bones;
}

std::int32_t indexIn(const std::vector<ReferenceBone>& bones, std::u16string_view name) {
    for (std::size_t k = 0; k < bones.size(); ++k) {
        if (bones[k].name == name) {
            return static_cast<std::int32_t>(k);
        }
    }
    ADD_FAILURE() << "no reference bone " << utf16ToUtf8(name);
    return -1;
}

bool isIkBone(std::u16string_view name) {
    return name.ends_with(u"ＩＫ");
}

PmxIk legIk(const std::vector<ReferenceBone>& bones, char16_t side) {
    PmxIk ik{indexIn(bones, sided(side, u"足首")), 40, 2.0f, {}};
    PmxIkLink knee{indexIn(bones, sided(side, u"ひざ")), true, {-3.14159f, 0, 0}, {-0.00873f, 0, 0}};
    ik.links = {knee, {indexIn(bones, sided(side, u"足")), false, {}, {}}};
    return ik;
}

PmxIk toeIk(const std::vector<ReferenceBone>& bones, char16_t side) {
    return {indexIn(bones, sided(side, u"つま先")), 3, 4.0f, {{indexIn(bones, sided(side, u"足首")), false, {}, {}}}};
}

// Each drawn bone gets a square stick to its child, weighted to it alone.
void addStick(PmxModel& model, std::int32_t bone, Vec3 from, Vec3 to, float thickness) {
    const glm::vec3 a(from.x, from.y, from.z), b(to.x, to.y, to.z);
    const glm::vec3 along = glm::normalize(b - a);
    const glm::vec3 helper = std::abs(along.y) > 0.9f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
    const glm::vec3 u = glm::normalize(glm::cross(along, helper)) * (thickness / 2);
    const glm::vec3 v = glm::normalize(glm::cross(along, u)) * (thickness / 2);
    const auto first = static_cast<std::uint32_t>(model.vertices.positions.size());
    for (const glm::vec3& end : {a, b}) {
        for (const glm::vec3& corner : {u + v, u - v, -u - v, -u + v}) {
            const glm::vec3 p = end + corner;
            const glm::vec3 normal = glm::normalize(corner);
            model.vertices.positions.push_back({p.x, p.y, p.z});
            model.vertices.normals.push_back({normal.x, normal.y, normal.z});
            model.vertices.bones.push_back({bone, 0, 0, 0});
            model.vertices.weights.push_back({1, 0, 0, 0});
        }
    }
    const std::uint32_t sides[4][4] = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    for (const auto& quad : sides) {
        for (std::uint32_t corner : {quad[0], quad[1], quad[2], quad[0], quad[2], quad[3]}) {
            model.faceIndices.push_back(first + corner);
        }
    }
    for (std::uint32_t corner : {0u, 2u, 1u, 0u, 3u, 2u, 4u, 5u, 6u, 4u, 6u, 7u}) {
        model.faceIndices.push_back(first + corner);
    }
}

PmxModel referenceModel() {
    const std::vector<ReferenceBone> bones = referenceBones();
    PmxModel model;
    model.information.name = u"標準ボーン人形";
    model.information.englishName = u"standard skeleton";
    for (const ReferenceBone& r : bones) {
        PmxBone bone;
        bone.name = r.name;
        bone.position = r.at;
        bone.parent = r.parent.empty() ? -1 : indexIn(bones, r.parent);
        bone.flags = PmxCanRotate | PmxVisible | PmxCanOperate;
        if (!r.grantFrom.empty()) {
            bone.flags |= PmxInheritsRotation;
            bone.inheritParent = indexIn(bones, r.grantFrom);
            bone.inheritWeight = r.grantWeight;
        }
        const bool moves = r.name == u"全ての親" || r.name == u"センター" || r.name == u"グルーブ" ||
                           r.name.ends_with(u"IK親") || isIkBone(r.name);
        if (moves) {
            bone.flags |= PmxCanMove;
        }
        if (isIkBone(r.name)) {
            bone.flags |= PmxIsIk;
            const char16_t side = r.name[0];
            bone.ik = r.name.find(u"つま先") != std::u16string::npos ? toeIk(bones, side) : legIk(bones, side);
        }
        model.bones.push_back(bone);
    }
    // IK bones are solved after the legs they lead: the writer keeps file order, so layers are 0 for all.
    for (std::size_t k = 0; k < bones.size(); ++k) {
        if (!bones[k].drawnTo.empty()) {
            addStick(model, static_cast<std::int32_t>(k), bones[k].at, bones[indexIn(bones, bones[k].drawnTo)].at,
                     bones[k].thickness);
        }
    }
    PmxMaterial material;
    material.name = u"stick";
    material.diffuse = {0.72f, 0.75f, 0.8f, 1};
    material.ambient = {0.4f, 0.4f, 0.4f};
    material.drawFlags = PmxDoubleSided;
    material.faceIndexCount = static_cast<std::int32_t>(model.faceIndices.size());
    model.materials.push_back(material);
    return model;
}

// ---- The dance ------------------------------------------------------------

Vec4 turn(double degrees, glm::dvec3 axis) {
    const glm::dquat q = glm::angleAxis(glm::radians(degrees), glm::normalize(axis));
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

const Vec4 still{0, 0, 0, 1};

VmdBoneTrack turns(std::u16string_view bone, std::vector<std::pair<std::uint32_t, Vec4>> keys) {
    VmdBoneTrack track{toShiftJis(bone), {}};
    for (const auto& [frame, rotation] : keys) {
        track.keys.push_back({frame, {}, rotation});
    }
    return track;
}

VmdBoneTrack moves(std::u16string_view bone, std::vector<std::tuple<std::uint32_t, Vec3, Vec4>> keys) {
    VmdBoneTrack track{toShiftJis(bone), {}};
    for (const auto& [frame, position, rotation] : keys) {
        track.keys.push_back({frame, position, rotation});
    }
    return track;
}

constexpr std::uint32_t lastFrame = 60;

// As dances are keyed: the hips and the chest turning against each other by
// large angles, nods, a shoulder shrug, arms thrown round with their twists
// past 150°, wrists and fingers, steps led by the IK bones and their parents,
// the whole model carried by 全ての親, and lip sync.
VmdMotion dance() {
    const glm::dvec3 across{1, 0, 0}, upright{0, 1, 0}, frontal{0, 0, 1};
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"標準ボーン人形");
    motion.bones = {
        moves(u"全ての親",
              {{0, {}, still}, {40, {1.5f, 0, -2}, turn(25, upright)}, {60, {1.5f, 0, -2}, turn(25, upright)}}),
        // Knees bent throughout, as dancers keep them: the feet stay within reach of their IK bones.
        moves(u"センター", {{0, {0, -1, 0}, still},
                            {15, {0.5f, -1.8f, 0.3f}, turn(-20, upright)},
                            {30, {-0.4f, -1.2f, 0}, turn(15, upright)},
                            {45, {0, -2, -0.3f}, turn(10, frontal)},
                            {60, {0, -1, 0}, still}}),
        moves(u"グルーブ",
              {{0, {}, still}, {10, {0, 0.4f, 0}, still}, {20, {0, -0.3f, 0}, still}, {35, {0, 0.3f, 0}, still}}),
        turns(u"下半身",
              {{0, still}, {15, turn(40, {0.2, 1, 0.1})}, {30, turn(-35, upright)}, {50, turn(20, {0.5, 1, 0})}}),
        turns(u"上半身",
              {{0, still}, {15, turn(-55, {0.3, 1, 0})}, {30, turn(45, {-0.2, 1, 0.3})}, {50, turn(-25, across)}}),
        turns(u"上半身2", {{0, still}, {20, turn(20, frontal)}, {40, turn(-15, across)}}),
        turns(u"首", {{0, still}, {10, turn(25, across)}, {25, turn(-20, across)}, {45, turn(30, upright)}}),
        turns(u"頭", {{0, still}, {12, turn(-30, {1, 0.4, 0})}, {28, turn(25, frontal)}, {48, turn(-15, across)}}),
        turns(u"左肩P", {{0, still}, {20, turn(25, frontal)}, {40, still}}),
        turns(u"右肩P", {{0, still}, {30, turn(-20, frontal)}}),
        turns(u"左肩", {{0, still}, {35, turn(-12, frontal)}}),
        turns(u"左腕", {{0, turn(-30, frontal)},
                        {15, turn(60, {0.4, 0.2, 1})},
                        {30, turn(-80, {1, 0.3, 0.2})},
                        {50, turn(-20, frontal)}}),
        turns(u"右腕", {{0, turn(30, frontal)}, {20, turn(-100, {0.2, 0.5, 1})}, {40, turn(70, across)}}),
        turns(u"左腕捩", {{0, still}, {20, turn(160, {0.8, -0.6, 0})}, {45, turn(-90, {0.8, -0.6, 0})}}),
        turns(u"右腕捩", {{0, still}, {25, turn(-155, {-0.8, -0.6, 0})}}),
        turns(u"左ひじ", {{0, turn(20, {0.6, 0.8, 0})}, {25, turn(110, {0.6, 0.8, 0})}, {50, turn(40, upright)}}),
        turns(u"右ひじ", {{0, turn(-20, {0.6, -0.8, 0})}, {30, turn(-95, {0.6, -0.8, 0})}}),
        turns(u"左手捩", {{0, still}, {30, turn(120, {0.7, -0.7, 0})}, {55, turn(-60, {0.7, -0.7, 0})}}),
        turns(u"右手捩", {{0, still}, {20, turn(-80, {-0.7, -0.7, 0})}}),
        turns(u"左手首", {{0, still}, {18, turn(40, frontal)}, {36, turn(-35, upright)}}),
        turns(u"右手首", {{0, still}, {22, turn(-45, across)}}),
        turns(u"左中指１", {{0, still}, {20, turn(60, {0, 0, 1})}, {40, still}}),
        turns(u"左中指２", {{0, still}, {20, turn(70, {0, 0, 1})}, {40, still}}),
        turns(u"右中指１", {{0, still}, {30, turn(-50, {0, 0, 1})}}),
        turns(u"左人指１", {{0, still}, {20, turn(40, {0, 0, 1})}}),
        turns(u"左親指１", {{0, still}, {20, turn(30, upright)}}),
        moves(u"左足ＩＫ",
              {{0, {}, still}, {15, {0.3f, 1.2f, -1.0f}, still}, {25, {0.5f, 0, -0.5f}, still}, {60, {}, still}}),
        moves(u"右足ＩＫ", {{0, {}, still}, {35, {-0.4f, 1.5f, 0.8f}, turn(15, across)}, {50, {}, still}}),
        moves(u"左足IK親", {{0, {}, still}, {40, {1.0f, 0, -1.5f}, turn(20, upright)}}),
        turns(u"左ひざ", {{0, turn(-45, across)}}),
        turns(u"右ひざ", {{0, turn(-45, across)}}),
        turns(u"両目", {{0, still}, {30, turn(8, upright)}}),
    };
    for (std::u16string_view vowel : {u"あ", u"い", u"う", u"え", u"お"}) {
        motion.morphs.push_back({toShiftJis(vowel), {{0, 0}, {10, 1}, {20, 0}}});
    }
    motion.morphs.push_back({toShiftJis(u"まばたき"), {{0, 0}, {5, 1}, {8, 0}}});
    return motion;
}

// ---- Playing it on both -----------------------------------------------------

struct Measured {
    std::map<std::string, double> turns;    // worst world angle in degrees, by bone
    std::map<std::string, double> reaches;  // worst IK bone to target distance, by IK bone
    int frames = 0;
};

Measured parse(const std::string& output) {
    Measured measured;
    std::istringstream lines(output);
    std::string kind;
    while (lines >> kind) {
        if (kind == "turn" || kind == "reach") {
            std::string name;
            double value = 0;
            lines >> name >> value;
            (kind == "turn" ? measured.turns : measured.reaches)[name] = value;
        } else if (kind == "frames") {
            lines >> measured.frames;
        } else {
            std::getline(lines, kind);
        }
    }
    return measured;
}

// The legs follow their IK bones, which stand where each model's own
// proportions put its feet: their turns are the solver's and differ.
const std::vector<std::string> legBones = {"左足", "左ひざ", "左足首", "左つま先",
                                           "右足", "右ひざ", "右足首", "右つま先"};

Measured playOnBoth(ConversionMode mode, const test::TempDir& dir) {
    const ConversionTables tables = loadConversionTables(source / "data");
    const auto converted =
        dir.write("ped.pmx", DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {})
                                 .prepare(mode, tables)
                                 .buildPmx(".png", tables, [](const std::string&) {})
                                 .span());
    const auto reference = dir.write("reference.pmx", writePmx(referenceModel()).span());
    const auto motion = dir.write("dance.vmd", writeVmd(dance()).span());
    std::string command = "node " + test::shellQuoted(runtimeFolder / "compare-skeletons.mjs") + " " +
                          test::shellQuoted(reference) + " " + test::shellQuoted(converted) + " " +
                          test::shellQuoted(motion) + " " + std::to_string(lastFrame);
    for (const std::string& leg : legBones) {
        command += " --skip " + leg;
    }
    const test::CommandResult result = test::runCommand(command);
    EXPECT_EQ(result.status, 0) << result.output;
    std::printf("%s", result.output.c_str());
    return parse(result.output);
}

// The body bones a ped has in every MMD mode, by their names there.
const std::vector<std::string> bodyBones = {"センター", "下半身", "上半身",   "上半身2",  "首",       "頭",
                                            "左肩",     "右肩",   "左腕",     "右腕",     "左ひじ",   "右ひじ",
                                            "左手首",   "右手首", "左中指１", "左中指２", "右中指１", "右中指２"};

TEST(StandardDanceMmdRuntime, EveryBodyBoneTurnsAsOnAStandardSkeleton) {
    if (const std::string missing = test::missingNodePackage(runtimeFolder, "three"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    test::TempDir dir;
    const Measured measured = playOnBoth(ConversionMode::Standard, dir);
    EXPECT_EQ(measured.frames, static_cast<int>(lastFrame + 1));
    std::vector<std::string> expected = bodyBones;
    for (std::string_view added : {"全ての親", "グルーブ", "左肩P", "右肩P", "左肩C", "右肩C", "左腕捩", "右腕捩",
                                   "左手捩", "右手捩", "左腕捩2", "右手捩3"}) {
        expected.emplace_back(added);
    }
    for (const std::string& bone : expected) {
        const auto found = measured.turns.find(bone);
        ASSERT_NE(found, measured.turns.end()) << bone << " was not compared";
        EXPECT_LE(found->second, 1.0) << bone;
    }
    // The feet follow their IK bones, which 足IK親 carries 1.8 units away.
    // Not exactly: three's CCD solver converges slowly on a leg straight at
    // rest, as a ped's is, and stops up to 0.54 units (5 cm) short at the
    // far reaches of this dance; the same skeleton above with straight legs
    // stops 0.70 short, with its knees forward 0.03.
    for (std::string_view ik : {"左足ＩＫ", "右足ＩＫ"}) {
        ASSERT_TRUE(measured.reaches.contains(std::string(ik))) << ik;
        EXPECT_LE(measured.reaches.at(std::string(ik)), 0.75) << ik;
    }
    if (const char* keep = std::getenv("ZORVEK_KEEP_DANCE_PROOF")) {
        // For the README's picture: the two models and the dance.
        for (const char* name : {"ped.pmx", "reference.pmx", "dance.vmd"}) {
            std::filesystem::copy_file(dir / name, std::filesystem::path(keep) / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
}

TEST(StandardDanceMmdRuntime, TheGameHierarchyTurnsTheChestAndArmsWrong) {
    if (const std::string missing = test::missingNodePackage(runtimeFolder, "three"); !missing.empty()) {
        GTEST_SKIP() << missing;
    }
    test::TempDir dir;
    const Measured measured = playOnBoth(ConversionMode::NamesAndAxes, dir);
    // 上半身 under 下半身 takes the hips' turn, the shoulders under 首 every
    // nod, and the arms lack their twists: far past a degree.
    for (std::string_view bone : {"上半身", "首", "左肩", "左腕", "左ひじ", "右手首"}) {
        ASSERT_TRUE(measured.turns.contains(std::string(bone))) << bone;
        EXPECT_GT(measured.turns.at(std::string(bone)), 20.0) << bone;
    }
}

}  // namespace
}  // namespace zorvek

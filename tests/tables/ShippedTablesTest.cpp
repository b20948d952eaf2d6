#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include "base/FileIo.h"

#include "TableTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zorvek {
namespace {

const std::filesystem::path dataFolder = ZORVEK_SOURCE_DIR "/data";

struct ShippedBone {
    std::uint32_t boneId;
    std::u16string infoName;
    std::u16string mmdName;
    Vec3 direction;
};

// The skin bones of the game's characters; +x is the character's left.
const std::vector<ShippedBone> shippedBones = {
    {0, u"Root", u"センター", {0, 0, -1}},
    {1, u"Pelvis", u"下半身", {0, 1, 0}},
    {2, u"Spine", u"上半身", {0, 1, 0}},
    {3, u"Spine1", u"上半身2", {0, 1, 0}},
    {4, u"Neck", u"首", {0, 0.9707f, -0.2402f}},
    {5, u"Head", u"頭", {0, 0.9975f, -0.0702f}},
    {8, u"Jaw", u"あご", {0, -0.4229f, -0.9062f}},
    {6, u"L Brow", u"左眉", {0.1519f, 0.1114f, -0.9821f}},
    {7, u"R Brow", u"右眉", {-0.1519f, 0.1114f, -0.9821f}},
    {31, u"L Clavicle", u"左肩", {0.9707f, -0.2402f, 0}},
    {21, u"R Clavicle", u"右肩", {-0.9707f, -0.2402f, 0}},
    {32, u"L UpperArm", u"左腕", {0.8f, -0.6f, 0}},
    {22, u"R UpperArm", u"右腕", {-0.8f, -0.6f, 0}},
    {33, u"L ForeArm", u"左ひじ", {0.8f, -0.6f, 0}},
    {23, u"R ForeArm", u"右ひじ", {-0.8f, -0.6f, 0}},
    {34, u"L Hand", u"左手首", {0.8f, -0.6f, 0}},
    {24, u"R Hand", u"右手首", {-0.8f, -0.6f, 0}},
    {35, u"L Finger", u"左人指１", {0.5821f, -0.8131f, 0}},
    {25, u"R Finger", u"右人指１", {-0.5821f, -0.8131f, 0}},
    {36, u"L Finger01", u"左人指２", {0.0941f, -0.9956f, 0}},
    {26, u"R Finger01", u"右人指２", {-0.0941f, -0.9956f, 0}},
    {302, u"L breast", u"左胸", {0.0399f, 0.1497f, -0.9879f}},
    {301, u"R breast", u"右胸", {-0.0399f, 0.1497f, -0.9879f}},
    {201, u"Belly", u"腹", {0, 0.0300f, -0.9996f}},
    {41, u"L Thigh", u"左足", {0, -1, 0}},
    {51, u"R Thigh", u"右足", {0, -1, 0}},
    {42, u"L Calf", u"左ひざ", {0, -1, 0}},
    {52, u"R Calf", u"右ひざ", {0, -1, 0}},
    {43, u"L Foot", u"左足首", {0, -1, 0}},
    {53, u"R Foot", u"右足首", {0, -1, 0}},
    {44, u"L Toe0", u"左つま先", {0, 0, -1}},
    {54, u"R Toe0", u"右つま先", {0, 0, -1}},
};

TEST(ShippedTables, BonesDatHoldsEverySkinBone) {
    const BoneTable table = loadBoneTable(dataFolder);
    EXPECT_EQ(table.size(), shippedBones.size());
    for (const ShippedBone& bone : shippedBones) {
        SCOPED_TRACE(bone.boneId);
        const BoneTableEntry* entry = table.find(bone.boneId);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->infoName, bone.infoName);
        EXPECT_EQ(entry->mmdName, bone.mmdName);
        EXPECT_EQ(entry->direction, bone.direction);
    }
}

float radians(float degrees) {
    return degrees * 0.0174532924f;
}

struct ShippedIk {
    std::u16string ikName;
    std::int32_t parentIk;
    Vec3 offset;
    std::uint32_t targetBoneId;
    std::uint32_t loopCount;
    float limitDegrees;
    std::vector<IkLink> links;
};

// A knee bends one way only: up to -0.5 degrees, never backwards.
const IkLink leftKnee{42, {radians(-180), 0, 0}, {radians(-0.5f), 0, 0}};
const IkLink rightKnee{52, {radians(-180), 0, 0}, {radians(-0.5f), 0, 0}};

const std::vector<ShippedIk> shippedIks = {
    {u"左足ＩＫ", -1, {0, 0, 1}, 43, 40, 114.5916f, {leftKnee, {41, {}, {}}}},
    {u"左つま先ＩＫ", 0, {0, -1, 0}, 44, 3, 229.1831f, {{43, {}, {}}}},
    {u"右足ＩＫ", -1, {0, 0, 1}, 53, 40, 114.5916f, {rightKnee, {51, {}, {}}}},
    {u"右つま先ＩＫ", 2, {0, -1, 0}, 54, 3, 229.1831f, {{53, {}, {}}}},
};

TEST(ShippedTables, IksDatHoldsTheLegChains) {
    const IkTable table = loadIkTable(dataFolder);
    ASSERT_EQ(table.size(), shippedIks.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        const ShippedIk& expected = shippedIks[i];
        EXPECT_EQ(table[i].ikName, expected.ikName);
        EXPECT_EQ(table[i].parentIk, expected.parentIk);
        EXPECT_EQ(table[i].offset, expected.offset);
        EXPECT_EQ(table[i].targetBoneId, expected.targetBoneId);
        EXPECT_EQ(table[i].loopCount, expected.loopCount);
        EXPECT_EQ(table[i].limitAngle, radians(expected.limitDegrees));
        ASSERT_EQ(table[i].links.size(), expected.links.size());
        for (std::size_t j = 0; j < expected.links.size(); ++j) {
            SCOPED_TRACE(j);
            EXPECT_EQ(table[i].links[j].boneId, expected.links[j].boneId);
            EXPECT_EQ(table[i].links[j].lowerLimit, expected.links[j].lowerLimit);
            EXPECT_EQ(table[i].links[j].upperLimit, expected.links[j].upperLimit);
        }
    }
}

// Every IK chain names bones the bone table knows, so a converted model can carry it.
TEST(ShippedTables, IkBonesAreInTheBoneTable) {
    const BoneTable bones = loadBoneTable(dataFolder);
    for (const IkTableEntry& ik : loadIkTable(dataFolder)) {
        EXPECT_TRUE(bones.contains(ik.targetBoneId)) << ik.targetBoneId;
        for (const IkLink& link : ik.links) {
            EXPECT_TRUE(bones.contains(link.boneId)) << link.boneId;
        }
    }
}

// Shipped with a UTF-16LE mark and CR LF line ends, as Windows editors save them.
TEST(ShippedTables, SavedAsUtf16LeWithMarkAndCrLf) {
    for (const char* name : {"bones.dat", "iks.dat"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = readWholeFile(dataFolder / name);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xFE);
        EXPECT_EQ(bytes.size() % 2, 0u);
        std::size_t lineFeeds = 0;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == '\n' && bytes[i + 1] == 0) {
                ++lineFeeds;
                EXPECT_TRUE(bytes[i - 2] == '\r' && bytes[i - 1] == 0) << "LF without CR at byte " << i;
            }
        }
        EXPECT_GT(lineFeeds, 0u);
    }
}

}  // namespace
}  // namespace zorvek

#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include "base/FileIo.h"
#include "base/TextBlanks.h"
#include "base/TextEncoding.h"

#include "TableTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {
namespace {

const std::filesystem::path dataFolder = ZORVEK_SOURCE_DIR "/data";

// The game's skin bones: the ids and frame names of its standard ped
// skeleton (the node table of every San Andreas ped), not bones.dat's rows.
struct GameBone {
    std::uint32_t boneId;
    std::string_view frameName;
};

const std::vector<GameBone> gameBones = {
    {0, "Root"},         {1, " Pelvis"},
    {2, " Spine"},       {3, " Spine1"},
    {4, " Neck"},        {5, " Head"},
    {8, "Jaw"},          {6, "L Brow"},
    {7, "R Brow"},       {31, "Bip01 L Clavicle"},
    {32, " L UpperArm"}, {33, " L ForeArm"},
    {34, " L Hand"},     {35, " L Finger"},
    {36, "L Finger01"},  {21, "Bip01 R Clavicle"},
    {22, " R UpperArm"}, {23, " R ForeArm"},
    {24, " R Hand"},     {25, " R Finger"},
    {26, "R Finger01"},  {302, "L breast"},
    {301, "R breast"},   {201, "Belly"},
    {41, " L Thigh"},    {42, " L Calf"},
    {43, " L Foot"},     {44, " L Toe0"},
    {51, " R Thigh"},    {52, " R Calf"},
    {53, " R Foot"},     {54, " R Toe0"},
};

// What mode 2 names a bone: its frame name without the blanks around it and
// without 3ds Max's "Bip01 " (the clavicles' names must fit VMD's 15 bytes with "@id").
std::u16string infoNameOf(std::string_view frameName) {
    std::string name(trimBlanks(frameName));
    if (name.starts_with("Bip01 ")) {
        name.erase(0, 6);
    }
    return utf8ToUtf16(name);
}

// The standard MMD names that motions made for standard models key.
const std::vector<std::pair<std::uint32_t, std::u16string>> standardMmdNames = {
    {0, u"センター"}, {1, u"下半身"},  {2, u"上半身"},  {3, u"上半身2"},   {4, u"首"},      {5, u"頭"},
    {31, u"左肩"},    {32, u"左腕"},   {33, u"左ひじ"}, {34, u"左手首"},   {21, u"右肩"},   {22, u"右腕"},
    {23, u"右ひじ"},  {24, u"右手首"}, {41, u"左足"},   {42, u"左ひざ"},   {43, u"左足首"}, {44, u"左つま先"},
    {51, u"右足"},    {52, u"右ひざ"}, {53, u"右足首"}, {54, u"右つま先"},
};

TEST(ShippedTables, BonesDatNamesEveryGameSkinBone) {
    const BoneTable table = loadBoneTable(dataFolder);
    EXPECT_EQ(table.size(), gameBones.size());
    std::set<std::u16string> mmdNames;
    for (const GameBone& bone : gameBones) {
        SCOPED_TRACE(bone.boneId);
        const BoneTableEntry* entry = table.find(bone.boneId);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->infoName, infoNameOf(bone.frameName));
        EXPECT_FALSE(entry->mmdName.empty());
        EXPECT_TRUE(mmdNames.insert(entry->mmdName).second) << "an MMD name used twice";
        const Vec3& d = entry->direction;
        EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0f, 1e-3f) << "a direction of unit length";
    }
    for (const auto& [boneId, name] : standardMmdNames) {
        ASSERT_NE(table.find(boneId), nullptr) << boneId;
        EXPECT_EQ(table.find(boneId)->mmdName, name) << boneId;
    }
}

// +x is the character's left: a right bone mirrors its left one, in name and direction.
TEST(ShippedTables, RightBonesMirrorTheLeftOnes) {
    const BoneTable table = loadBoneTable(dataFolder);
    std::size_t pairs = 0;
    for (const GameBone& left : gameBones) {
        const std::u16string leftName = infoNameOf(left.frameName);
        if (!leftName.starts_with(u"L ")) {
            continue;
        }
        const auto right = std::find_if(gameBones.begin(), gameBones.end(), [&](const GameBone& bone) {
            return infoNameOf(bone.frameName) == u"R " + leftName.substr(2);
        });
        ASSERT_NE(right, gameBones.end()) << utf16ToUtf8(leftName);
        SCOPED_TRACE(utf16ToUtf8(leftName));
        const BoneTableEntry& l = *table.find(left.boneId);
        const BoneTableEntry& r = *table.find(right->boneId);
        ASSERT_TRUE(l.mmdName.starts_with(u"左") && r.mmdName.starts_with(u"右"));
        EXPECT_EQ(l.mmdName.substr(1), r.mmdName.substr(1));
        EXPECT_EQ(r.direction.x, -l.direction.x);
        EXPECT_EQ(r.direction.y, l.direction.y);
        EXPECT_EQ(r.direction.z, l.direction.z);
        ++pairs;
    }
    EXPECT_EQ(pairs, 12u);  // brows, clavicles, arms, forearms, hands, two fingers, breasts, the four leg bones
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

#include "VmdTestFiles.h"

#include "base/ShiftJis.h"
#include "support/ExpectError.h"
#include "support/TempDir.h"
#include "vmd/VmdWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace zorvek::test {
namespace {

const std::string center = "\x83\x5A\x83\x93\x83\x5E\x81\x5B";      // センター
const std::string rightKnee = "\x89\x45\x82\xD0\x82\xB4";           // 右ひざ
const std::string rightLegIk = "\x89\x45\x91\xAB\x82\x68\x82\x6A";  // 右足ＩＫ
const std::string leftLegIk = "\x8D\xB6\x91\xAB\x82\x68\x82\x6A";   // 左足ＩＫ

constexpr VmdCurve easeInOut{64, 0, 63, 127};
constexpr VmdCurve steep{127, 0, 127, 0};

Bytes bytesOf(const ByteBlock& block) {
    return Bytes(block.begin(), block.end());
}

TEST(VmdReader, ReadsBackWhatTheWriterWrites) {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"ZORVEKモデル");
    motion.bones = {
        {toShiftJis(u"センター"),
         {{0, {1.5f, -2.0f, 0.25f}, {0, 0, 0, 1}}, {30, {0, 10, 0}, {0.5f, 0.5f, 0.5f, 0.5f}}}},
        {toShiftJis(u"右ひざ"), {{5, {}, {0.25f, 0, 0, 0.96875f}}}},
        // Cut to 15 bytes by the writer; then the field holds no NUL.
        {toShiftJis(u"Bip01 L Clavicle"), {{7, {-1, -2, -3}, {0, -1, 0, 0}}}},
    };
    motion.showIk = {{0, true, {{toShiftJis(u"右足ＩＫ"), true}, {toShiftJis(u"左足ＩＫ"), false}}}, {12, false, {}}};
    const VmdMotion file = readVmd(bytesOf(writeVmd(motion)));

    VmdMotion expected;
    expected.sjisModelName = "ZORVEK\x83\x82\x83\x66\x83\x8B";
    expected.bones = {
        {center, {fileKey(0, {1.5f, -2.0f, 0.25f}), fileKey(30, {0, 10, 0}, {0.5f, 0.5f, 0.5f, 0.5f})}},
        {rightKnee, {fileKey(5, {}, {0.25f, 0, 0, 0.96875f})}},
        {"Bip01 L Clavicl", {fileKey(7, {-1, -2, -3}, {0, -1, 0, 0})}},
    };
    expected.showIk = {{0, true, {{rightLegIk, true}, {leftLegIk, false}}}, {12, false, {}}};
    EXPECT_EQ(file, expected);
    EXPECT_EQ(fromShiftJis(file.sjisModelName), u"ZORVEKモデル");
}

// Morph keys come mixed in the file; they are grouped by morph in the order
// of first appearance, ordered by frame, and keys on one frame keep the file's order.
TEST(VmdReader, ReadsMorphKeysGroupedByMorphAndOrderedByFrame) {
    VmdMotion motion;
    motion.morphs = {
        {toShiftJis(u"あ"), {{30, 1.0f}, {0, 0.0f}, {30, 0.5f}}},
        {toShiftJis(u"まばたき"), {{12, 0.25f}}},
        // Cut to the 15 bytes of the field.
        {toShiftJis(u"とても長いモーフの名前"), {{3, 0.75f}}},
    };
    const VmdMotion file = readVmd(bytesOf(writeVmd(motion)));
    ASSERT_EQ(file.morphs.size(), 3u);
    EXPECT_EQ(file.morphs[0], (VmdMorphTrack{toShiftJis(u"あ"), {{0, 0.0f}, {30, 1.0f}, {30, 0.5f}}}));
    EXPECT_EQ(file.morphs[1], (VmdMorphTrack{toShiftJis(u"まばたき"), {{12, 0.25f}}}));
    EXPECT_EQ(file.morphs[2].sjisName, toShiftJis(u"とても長いモー"));
    EXPECT_TRUE(file.bones.empty());
}

TEST(VmdReader, ReadsTheOldFormatWithItsTenByteModelName) {
    VmdLayout layout;
    layout.magic = "Vocaloid Motion Data file";
    layout.modelNameWidth = 10;
    layout.modelName = "Miku_v1.00";  // the whole field, no NUL
    const auto curves = vmdInterpolation(easeInOut, steep, linearVmdCurve, easeInOut);
    layout.boneKeys = {{center, fileKey(0, {1, 2, 3})}, {center, fileKey(15, {4, 5, 6}, {0, 1, 0, 0}, curves)}};
    // Old files end after the camera keys.
    layout.laterSections = 2;
    layout.skippedKeyCounts = {0, 1, 0, 0};

    VmdMotion expected;
    expected.sjisModelName = "Miku_v1.00";
    expected.bones = {{center, {layout.boneKeys[0].key, layout.boneKeys[1].key}}};
    EXPECT_EQ(readVmd(buildVmd(layout).bytes), expected);
}

// Real files hold keys in any order, and names with leftovers after their NUL.
TEST(VmdReader, GroupsKeysByBoneInTheOrderOfFirstAppearanceAndSortsThemStably) {
    const std::string centerWithLeftovers = center + '\0' + "ZZZ";
    const auto curves = vmdInterpolation(steep, easeInOut, steep, linearVmdCurve);
    VmdLayout layout;
    layout.boneKeys = {
        {rightKnee, fileKey(30, {1, 0, 0})}, {center, fileKey(10, {2, 0, 0}, {0, 0, 0, 1}, curves)},
        {rightKnee, fileKey(0, {3, 0, 0})},  {centerWithLeftovers, fileKey(10, {4, 0, 0})},
        {rightKnee, fileKey(10, {5, 0, 0})}, {center, fileKey(5, {6, 0, 0})},
        {rightKnee, fileKey(10, {7, 0, 0})}, {"Bip01 R Forearm", fileKey(3, {8, 0, 0})},  // 15 bytes, no NUL
    };
    const auto& keys = layout.boneKeys;
    const VmdMotion file = readVmd(buildVmd(layout).bytes);
    const std::vector<VmdBoneTrack> expected = {
        {rightKnee, {keys[2].key, keys[4].key, keys[6].key, keys[0].key}},
        {center, {keys[5].key, keys[1].key, keys[3].key}},
        {"Bip01 R Forearm", {keys[7].key}},
    };
    EXPECT_EQ(file.bones, expected);
}

VmdLayout layoutWithShowIk() {
    VmdLayout layout;
    layout.modelName = "model";
    layout.boneKeys = {{center, fileKey(0, {1, 2, 3})}};
    layout.showIk = {
        {20, true, {{rightLegIk, false}}},
        {0, true, {{rightLegIk, true}, {leftLegIk, true}}},
        {20, false, {}},
        {5, true, {{leftLegIk, false}}},
    };
    return layout;
}

TEST(VmdReader, ReadsShowIkFramesSortedStablyByFrame) {
    const VmdLayout layout = layoutWithShowIk();
    const auto& frames = layout.showIk;
    const std::vector<VmdShowIkFrame> expected = {frames[1], frames[3], frames[0], frames[2]};
    EXPECT_EQ(readVmd(buildVmd(layout).bytes).showIk, expected);
}

// Keys in one skipped section at a time, then in all of them: a wrong key
// size would misread the show/IK frames that follow.
TEST(VmdReader, ReadsPastMorphCameraLightAndSelfShadowKeys) {
    const std::vector<std::array<std::uint32_t, 4>> counts = {
        {2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 2}, {3, 1, 4, 1}};
    for (const auto& keyCounts : counts) {
        VmdLayout layout = layoutWithShowIk();
        layout.skippedKeyCounts = keyCounts;
        const VmdMotion file = readVmd(buildVmd(layout).bytes);
        ASSERT_EQ(file.showIk.size(), 4u) << keyCounts[0] << keyCounts[1] << keyCounts[2] << keyCounts[3];
        EXPECT_EQ(file.showIk[0], layout.showIk[1]);
        EXPECT_EQ(file.showIk[3], layout.showIk[2]);
    }
}

// The file may end where any count after the bone keys would start.
TEST(VmdReader, MayEndWhereAnySectionAfterTheBoneKeysWouldStart) {
    for (std::size_t sections = 0; sections <= 5; ++sections) {
        VmdLayout layout = layoutWithShowIk();
        layout.skippedKeyCounts = {1, 1, 1, 1};
        layout.laterSections = sections;
        const VmdMotion file = readVmd(buildVmd(layout).bytes);
        EXPECT_EQ(file.bones.size(), 1u) << sections;
        EXPECT_EQ(file.showIk.size(), sections == 5 ? 4u : 0u) << sections;
    }
}

TEST(VmdReader, IgnoresBytesAfterTheShowIkFrames) {
    BuiltVmd built = buildVmd(layoutWithShowIk());
    const VmdMotion whole = readVmd(built.bytes);
    built.bytes.insert(built.bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x01});
    EXPECT_EQ(readVmd(built.bytes), whole);
}

TEST(ReadVmdFile, ReadsTheFileOrReportsThatItCannotBeOpened) {
    const TempDir folder;
    const Bytes bytes = buildVmd(layoutWithShowIk()).bytes;
    EXPECT_EQ(readVmdFile(folder.write("motion.vmd", bytes)), readVmd(bytes));
    EXPECT_USER_ERROR(readVmdFile(folder / "missing.vmd"), "ファイルを開けませんでした");
    EXPECT_USER_ERROR(readVmdFile(folder.write("text.vmd", std::string_view("Vocaloid Motion Data"))), notVmd);
}

// Many keys of few bones, and many bones of two keys each, stored backwards:
// every bone gets its own keys, sorted. (The benchmark times the reading.)
TEST(VmdReader, GroupsManyKeysOfManyBonesByBoneInFrameOrder) {
    struct Case {
        std::size_t keys;
        std::size_t bones;
    };
    for (const Case c : {Case{100'000, 100}, Case{20'000, 10'000}}) {
        Bytes bytes;
        putField(bytes, "Vocaloid Motion Data 0002", 30);
        putField(bytes, "", 20);
        putU32(bytes, static_cast<std::uint32_t>(c.keys));
        bytes.reserve(bytes.size() + c.keys * 111);
        for (std::size_t i = 0; i < c.keys; ++i) {
            // Frames run backwards, so that every bone's keys need sorting.
            const auto frame = static_cast<std::uint32_t>(c.keys - i);
            putBoneKey(bytes, {"bone" + std::to_string(i % c.bones), fileKey(frame, {1, 2, 3})});
        }
        const VmdMotion file = readVmd(bytes);
        ASSERT_EQ(file.bones.size(), c.bones);
        EXPECT_EQ(file.bones[0].sjisName, "bone0");
        EXPECT_EQ(file.bones[0].keys.size(), c.keys / c.bones);
        EXPECT_EQ(file.bones[0].keys.front().frame, c.keys - (c.keys / c.bones - 1) * c.bones);
        EXPECT_TRUE(std::is_sorted(file.bones.back().keys.begin(), file.bones.back().keys.end(),
                                   [](const VmdBoneKey& a, const VmdBoneKey& b) { return a.frame < b.frame; }));
    }
}

}  // namespace
}  // namespace zorvek::test

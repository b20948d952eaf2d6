#include "vmd/VmdWriter.h"

#include "base/FileIo.h"
#include "base/ShiftJis.h"
#include "vmd/VmdInterpolation.h"
#include "vmd/VmdReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {
namespace {

// The pieces of an expected file, each in the format's own encoding.
Bytes u32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes floats(std::initializer_list<float> values) {
    Bytes bytes;
    for (float value : values) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        const Bytes word = u32(bits);
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    return bytes;
}

Bytes field(std::string_view text, std::size_t width) {
    Bytes bytes(text.begin(), text.end());
    bytes.resize(width, 0);
    return bytes;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

// Linear curves (20, 20) (107, 107) for X, Y, Z and R, as MMD writes them.
const Bytes linear = {
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x01,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x01, 0x00,
    0x14, 0x14, 0x14, 0x14, 0x14, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x6B, 0x01, 0x00, 0x00,
};

const std::string center = "\x83\x5A\x83\x93\x83\x5E\x81\x5B";  // センター
const std::string rightKnee = "\x89\x45\x82\xD0\x82\xB4";       // 右ひざ

VmdMotion smallMotion() {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"ZORVEKモデル");
    motion.bones = {{center, {{0, {1.5f, -2.0f, 0.25f}, {0, 0, 0, 1}}, {30, {0, 10, 0}, {0.5f, 0.5f, 0.5f, 0.5f}}}},
                    {rightKnee, {{5, {}, {0.25f, 0, 0, 0.96875f}}}}};
    motion.showIk = {{0, true, {{toShiftJis(u"右足ＩＫ"), true}, {toShiftJis(u"左足ＩＫ"), false}}}};
    return motion;
}

Bytes written(const VmdMotion& motion) {
    const ByteBlock block = writeVmd(motion);
    return Bytes(block.begin(), block.end());
}

TEST(VmdWriter, TheWholeFileByteForByte) {
    // One line per record.
    // clang-format off
    const Bytes expected = join({
        field("Vocaloid Motion Data 0002", 30),
        field("ZORVEK\x83\x82\x83\x66\x83\x8B", 20),  // ZORVEKモデル
        u32(3),
        field(center, 15), u32(0), floats({1.5f, -2.0f, 0.25f, 0, 0, 0, 1}), linear,
        field(center, 15), u32(30), floats({0, 10, 0, 0.5f, 0.5f, 0.5f, 0.5f}), linear,
        field(rightKnee, 15), u32(5), floats({0, 0, 0, 0.25f, 0, 0, 0.96875f}), linear,
        u32(0), u32(0), u32(0), u32(0),  // morph, camera, light and self-shadow keys
        u32(1), u32(0), {1}, u32(2),
        field("\x89\x45\x91\xAB\x82\x68\x82\x6A", 20), {1},  // 右足ＩＫ
        field("\x8D\xB6\x91\xAB\x82\x68\x82\x6A", 20), {0},  // 左足ＩＫ
    });
    // clang-format on
    const Bytes bytes = written(smallMotion());
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(vmdFileSize(smallMotion()), bytes.size());
}

TEST(VmdWriter, RecordsAtTheirOffsets) {
    const Bytes bytes = written(smallMotion());
    ASSERT_EQ(bytes.size(), 54u + 3 * 111 + 16 + 4 + 9 + 2 * 21);
    EXPECT_EQ(Bytes(bytes.begin() + 50, bytes.begin() + 54), u32(3));
    // The third key: 右ひざ at frame 5.
    const std::size_t third = 54 + 2 * 111;
    EXPECT_EQ(Bytes(bytes.begin() + third, bytes.begin() + third + 6), Bytes(rightKnee.begin(), rightKnee.end()));
    EXPECT_EQ(Bytes(bytes.begin() + third + 15, bytes.begin() + third + 19), u32(5));
    EXPECT_EQ(Bytes(bytes.begin() + third + 47, bytes.begin() + third + 111), linear);
    EXPECT_EQ(Bytes(bytes.begin() + 387, bytes.begin() + 403), Bytes(16, 0));
    EXPECT_EQ(Bytes(bytes.begin() + 403, bytes.begin() + 407), u32(1));
}

TEST(VmdWriter, KeysCarryTheirOwnCurvesLinearUnlessSet) {
    VmdMotion motion;
    const auto easeIn = vmdInterpolation({64, 0, 127, 127}, {1, 2, 3, 4}, {20, 20, 107, 107}, {0, 127, 127, 0});
    VmdBoneTrack track{center, {{0, {}, {0, 0, 0, 1}}, {9, {}, {0, 0, 0, 1}, easeIn}}};
    motion.bones.push_back(track);
    const Bytes bytes = written(motion);
    const std::size_t second = 54 + 111;
    EXPECT_EQ(Bytes(bytes.begin() + 54 + 47, bytes.begin() + 54 + 111), linear);
    EXPECT_EQ(Bytes(bytes.begin() + second + 47, bytes.begin() + second + 111), Bytes(easeIn.begin(), easeIn.end()));
}

TEST(VmdWriter, AnEmptyMotionHasItsHeaderAndEmptySections) {
    const Bytes expected = join({field("Vocaloid Motion Data 0002", 30), field("", 20), u32(0), Bytes(16, 0), u32(0)});
    EXPECT_EQ(written(VmdMotion{}), expected);
    EXPECT_EQ(vmdFileSize(VmdMotion{}), 74u);
}

// A show/IK key without IK switches, and a hidden model.
TEST(VmdWriter, ShowKeysWithoutIks) {
    VmdMotion motion;
    motion.showIk = {{7, false, {}}, {9, true, {}}};
    const Bytes bytes = written(motion);
    EXPECT_EQ(Bytes(bytes.begin() + 70, bytes.end()), join({u32(2), u32(7), {0}, u32(0), u32(9), {1}, u32(0)}));
}

struct NameCase {
    const char* name;
    std::u16string boneName;
    std::string field;  // the 15 bytes as written, NULs included
    bool warned;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class VmdBoneNames : public testing::TestWithParam<NameCase> {};

// Three keys each time: a cut name is still reported once, when it is made.
TEST_P(VmdBoneNames, CutAtACharacterAndReportedOnce) {
    const NameCase& c = GetParam();
    std::vector<std::string> warnings;
    VmdMotion motion;
    const std::string name = vmdBoneName(c.boneName, [&](const std::string& message) { warnings.push_back(message); });
    motion.bones = {{name, {{0, {}, {}}, {1, {}, {}}, {2, {}, {}}}}};
    const Bytes bytes = written(motion);
    for (std::size_t key = 0; key < 3; ++key) {
        const auto name = bytes.begin() + 54 + key * 111;
        EXPECT_EQ(Bytes(name, name + 15), Bytes(c.field.begin(), c.field.end())) << "key " << key;
    }
    const std::vector<std::string> expected =
        c.warned ? std::vector<std::string>{"VMDに入らない長いボーン名があります: " + std::string(c.name)}
                 : std::vector<std::string>{};
    EXPECT_EQ(warnings, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VmdBoneNames,
    testing::Values(NameCase{"Bip01 L Clavicle", u"Bip01 L Clavicle", "Bip01 L Clavicl", true},
                    NameCase{"Bip01 Clavicle", u"Bip01 Clavicle", std::string("Bip01 Clavicle\0", 15), false},
                    NameCase{"Bip01 R Forearm", u"Bip01 R Forearm", "Bip01 R Forearm", false},
                    // 18 bytes of two-byte characters: the eighth does not fit.
                    NameCase{"右ひざ右ひざ右ひざ", u"右ひざ右ひざ右ひざ",
                             std::string("\x89\x45\x82\xD0\x82\xB4\x89\x45\x82\xD0\x82\xB4\x89\x45\0", 15), true},
                    // 1 + 2 * 7 = 15 bytes fit; one byte more leaves room for no half character.
                    NameCase{"a右ひざ右ひざ右", u"a右ひざ右ひざ右",
                             "a\x89\x45\x82\xD0\x82\xB4\x89\x45\x82\xD0\x82\xB4\x89\x45", false},
                    NameCase{"ab右ひざ右ひざ右", u"ab右ひざ右ひざ右",
                             std::string("ab\x89\x45\x82\xD0\x82\xB4\x89\x45\x82\xD0\x82\xB4\0", 15), true}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::to_string(info.index); });

TEST(VmdWriter, OneWarningPerLongNameAndNothingForAnEmptyTrack) {
    std::vector<std::string> warnings;
    const auto name = [&](std::u16string_view text) {
        return vmdBoneName(text, [&](const std::string& message) { warnings.push_back(message); });
    };
    VmdMotion motion;
    motion.bones = {{name(u"Bip01 L Clavicle"), {{0, {}, {}}}},
                    {name(u"Bip01 R Clavicle"), {{0, {}, {}}, {1, {}, {}}}},
                    {name(u"Bip01 L Thigh"), {{0, {}, {}}}},
                    {toShiftJis(u"Bip01 L Forearm1"), {}}};
    const Bytes bytes = written(motion);
    EXPECT_EQ(warnings, (std::vector<std::string>{"VMDに入らない長いボーン名があります: Bip01 L Clavicle",
                                                  "VMDに入らない長いボーン名があります: Bip01 R Clavicle"}));
    EXPECT_EQ(Bytes(bytes.begin() + 50, bytes.begin() + 54), u32(4));
    EXPECT_EQ(bytes.size(), 54u + 4 * 111 + 20);
}

TEST(VmdWriter, LongModelAndIkNamesAreCutSilently) {
    VmdMotion motion;
    motion.sjisModelName = vmdModelName(u"ZORVEK sample model 2");  // 21 bytes
    // 1 + 2 * 10 = 21 bytes: the tenth character does not fit.
    motion.showIk = {{0, true, {{vmdIkName(u"aＩＫＩＫＩＫＩＫＩＫ"), true}}}};
    const Bytes bytes = written(motion);
    EXPECT_EQ(Bytes(bytes.begin() + 30, bytes.begin() + 50), field("ZORVEK sample model ", 20));
    const std::string ik = "a\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68";
    EXPECT_EQ(Bytes(bytes.begin() + 83, bytes.begin() + 104), join({field(ik, 20), {1}}));
}

// Names longer than their fields that no name function made (a motion read
// elsewhere, or put together by hand) are cut at a character all the same.
TEST(VmdWriter, NamesTooLongForTheirFieldsAreCutAtACharacter) {
    VmdMotion motion;
    motion.sjisModelName = toShiftJis(u"ZORVEK sample model 2");
    motion.bones = {{toShiftJis(u"ab右ひざ右ひざ右"), {{0, {}, {}}}}};
    motion.showIk = {{0, true, {{toShiftJis(u"aＩＫＩＫＩＫＩＫＩＫ"), true}}}};
    const Bytes bytes = written(motion);
    EXPECT_EQ(Bytes(bytes.begin() + 30, bytes.begin() + 50), field("ZORVEK sample model ", 20));
    EXPECT_EQ(Bytes(bytes.begin() + 54, bytes.begin() + 69),
              field("ab\x89\x45\x82\xD0\x82\xB4\x89\x45\x82\xD0\x82\xB4", 15));
    const std::string ik = "a\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68\x82\x6A\x82\x68";
    EXPECT_EQ(Bytes(bytes.begin() + 54 + 111 + 29, bytes.begin() + 54 + 111 + 50), join({field(ik, 20), {1}}));
}

// Reader and writer share one model: a file the writer made (keys grouped by
// bone and ordered by frame, as the reader gives them back) is read and written
// again to the same bytes, curves and show/IK frames included.
struct RewriteCase {
    std::string label;
    Bytes (*file)();
};

class VmdRewrite : public testing::TestWithParam<RewriteCase> {};

TEST_P(VmdRewrite, ReadAndWrittenAgainIsTheSameFile) {
    const Bytes original = GetParam().file();
    const VmdMotion read = readVmd(original);
    EXPECT_EQ(written(read), original);
    EXPECT_EQ(readVmd(written(read)), read);
}

INSTANTIATE_TEST_SUITE_P(Files, VmdRewrite,
                         testing::Values(RewriteCase{"small", [] { return written(smallMotion()); }},
                                         RewriteCase{"sample",
                                                     [] {
                                                         return readWholeFile(std::filesystem::path(ZORVEK_SOURCE_DIR) /
                                                                              "samples/zorvek_sample.vmd");
                                                     }}),
                         [](const testing::TestParamInfo<RewriteCase>& info) { return info.param.label; });

// Many keys across many tracks land in order, each with its own track's name.
TEST(VmdWriter, AMillionKeys) {
    constexpr std::uint32_t tracks = 100;
    constexpr std::uint32_t keysPerTrack = 10000;
    VmdMotion motion;
    for (std::uint32_t t = 0; t < tracks; ++t) {
        VmdBoneTrack track{"bone" + std::string(1, static_cast<char>('A' + t % 26)), {}};
        for (std::uint32_t k = 0; k < keysPerTrack; ++k) {
            track.keys.push_back({k, {static_cast<float>(t), 0, 0}, {0, 0, 0, 1}});
        }
        motion.bones.push_back(std::move(track));
    }
    const ByteBlock block = writeVmd(motion);
    ASSERT_EQ(block.size(), 54u + 111u * tracks * keysPerTrack + 20);
    EXPECT_EQ(Bytes(block.begin() + 50, block.begin() + 54), u32(tracks * keysPerTrack));
    for (std::uint32_t t : {0u, 1u, 57u, 99u}) {
        for (std::uint32_t k : {0u, 9999u}) {
            const std::uint8_t* key = block.data() + 54 + 111 * (std::size_t{t} * keysPerTrack + k);
            const std::string name = "bone" + std::string(1, static_cast<char>('A' + t % 26));
            EXPECT_EQ(Bytes(key, key + 15), field(name, 15)) << t << " " << k;
            EXPECT_EQ(Bytes(key + 15, key + 19), u32(k)) << t << " " << k;
            EXPECT_EQ(Bytes(key + 19, key + 23), floats({static_cast<float>(t)})) << t << " " << k;
        }
    }
}

}  // namespace
}  // namespace zorvek

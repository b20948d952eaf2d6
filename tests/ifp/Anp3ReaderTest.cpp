#include "IfpTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorvek::test {
namespace {

IfpFile oneTrack(IfpTrack track) {
    IfpFile file;
    file.name = "test";
    file.animations = {{"anim", {std::move(track)}}};
    return file;
}

const IfpTrack& onlyTrack(const IfpFile& file) {
    if (file.animations.size() != 1 || file.animations[0].tracks.size() != 1) {
        throw std::logic_error("expected one animation with one track");
    }
    return file.animations[0].tracks[0];
}

struct FrameTypeCase {
    int frameType;
    bool hasTranslation;
};

TEST(Anp3Reader, EachFrameTypeGivesItsKeysBackExactly) {
    const FrameTypeCase cases[] = {{1, false}, {2, true}, {3, false}, {4, true}};
    for (const FrameTypeCase& testCase : cases) {
        SCOPED_TRACE(testCase.frameType);
        const IfpTrack input = track("Bip01 R Thigh", 23, true, exactKeys());
        const IfpFile read = readIfp(buildAnp3(oneTrack(input), ofType(testCase.frameType)));
        const IfpTrack& result = onlyTrack(read);
        EXPECT_EQ(read.format, IfpFormat::Anp3);
        EXPECT_EQ(result.name, "Bip01 R Thigh");
        EXPECT_EQ(result.boneId, 23);
        EXPECT_EQ(result.hasTranslation, testCase.hasTranslation);
        IfpTrack expected = input;
        expected.hasTranslation = testCase.hasTranslation;
        for (IfpKey& key : expected.keys) {
            key.translation = testCase.hasTranslation ? key.translation : Vec3{};
        }
        EXPECT_EQ(result, expected);
    }
}

// 0.3 x 4096 = 1228.8, 0.8 x 4096 = 3276.8, 0.1 x 1024 = 102.4, 0.51 s = 30.6 ticks.
TEST(Anp3Reader, CompressedKeysHoldTheRoundedValues) {
    const IfpTrack input = track("Root", 0, true, {key({0.3f, -0.3f, 0.8f, 0}, {0.1f, -0.1f, 0}, 0.51f)});
    const IfpKey expected3 = key({1229 / 4096.0f, -1229 / 4096.0f, 3277 / 4096.0f, 0}, {}, 31 / 60.0f);
    IfpKey expected4 = expected3;
    expected4.translation = {102 / 1024.0f, -102 / 1024.0f, 0};
    EXPECT_EQ(onlyTrack(readIfp(buildAnp3(oneTrack(input), ofType(3)))).keys[0], expected3);
    EXPECT_EQ(onlyTrack(readIfp(buildAnp3(oneTrack(input), ofType(4)))).keys[0], expected4);
    EXPECT_EQ(anp3Key(input.keys[0], 4), expected4);
}

// A time of tick / 60 s as stored, without rounding odd ticks to 30 frames a second.
TEST(Anp3Reader, OddTicksKeepTheirHalfFrames) {
    Bytes file = buildAnp3(oneTrack(track("Root", 0, false, {key({0, 0, 0, 1}, {}, 0)})), ofType(3));
    const std::size_t timeAt = 3 * anp3HeaderSize + 8;
    for (const std::int16_t tick : {1, 3, 59, 61, 32767}) {
        putIfpI16(file, timeAt, tick);
        const float time = onlyTrack(readIfp(file)).keys[0].time;
        EXPECT_EQ(time, static_cast<float>(tick) / 60.0f) << tick;
        EXPECT_NE(time * 30.0f, std::round(time * 30.0f)) << tick;
    }
}

TEST(Anp3Reader, KeysSharingATimeAreAllKept) {
    const std::vector<IfpKey> keys = {key({0, 0, 0, 1}, {}, 0.5f), key({1, 0, 0, 0}, {}, 0.5f),
                                      key({0, 1, 0, 0}, {}, 0.5f)};
    for (const int frameType : {1, 3}) {
        EXPECT_EQ(onlyTrack(readIfp(buildAnp3(oneTrack(track("Root", 0, false, keys)), ofType(frameType)))).keys, keys)
            << frameType;
    }
}

TEST(Anp3Reader, KeysBeforeZeroAreKept) {
    // A modded ped.ifp's explo_fallsk1 starts at -7 ticks.
    const std::vector<IfpKey> keys = {key({0, 0, 0, 1}, {}, -7 / 60.0f), key({1, 0, 0, 0}, {}, -1 / 60.0f),
                                      key({0, 1, 0, 0}, {}, 0), key({0, 0, 1, 0}, {}, 4 / 60.0f)};
    for (const int frameType : {1, 2, 3, 4}) {
        const IfpFile file =
            readIfp(buildAnp3(oneTrack(track("Root", 0, frameType % 2 == 0, keys)), ofType(frameType)));
        EXPECT_EQ(file.animations[0].failure, "") << frameType;
        EXPECT_EQ(onlyTrack(file).keys, keys) << frameType;
    }
}

TEST(Anp3Reader, AFileOfEveryKindOfTrackReadsBack) {
    const IfpFile file = sampleFile();
    const IfpFile read = readIfp(buildAnp3(file));
    EXPECT_EQ(read, withoutStrayTranslations(file));
    EXPECT_EQ(read.animations[0].tracks[2].name, " Bip01 Spine ");
    EXPECT_EQ(read.animations[0].tracks[2].boneId, -1);
    EXPECT_TRUE(read.animations[1].tracks.empty());
}

// What follows the last animation, what follows a name's NUL and the size
// words of modded files are all left unread.
TEST(Anp3Reader, JunkGarbageAndBrokenSizesChangeNothing) {
    const IfpFile file = sampleFile();
    const IfpFile expected = readIfp(buildAnp3(file));
    Anp3Options options;
    options.trailing = Bytes{'A', 'N', 'P', '3', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    options.nameGarbage = "Bip01 \xCD\xCD";
    options.brokenSizes = true;
    const Bytes dirty = buildAnp3(file, options);
    ASSERT_EQ(dirty[4 + 4 + 4], 'B');  // garbage right after "ped" and its NUL
    EXPECT_EQ(readIfp(dirty), expected);
}

TEST(Anp3Reader, ANameFillingItsFieldIsReadWhole) {
    IfpFile file = oneTrack(track("Bip01 L Finger0Nub_12345", 30, false, {}));
    file.animations[0].name = "abcdefghijklmnopqrstuvwx";
    const IfpFile read = readIfp(buildAnp3(file));
    EXPECT_EQ(read.animations[0].name, "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(onlyTrack(read).name, "Bip01 L Finger0Nub_12345");
}

TEST(Anp3Reader, AFileWithoutAnimationsIsEmpty) {
    IfpFile file;
    file.name = "empty";
    EXPECT_EQ(readIfp(buildAnp3(file)), file);
}

}  // namespace
}  // namespace zorvek::test

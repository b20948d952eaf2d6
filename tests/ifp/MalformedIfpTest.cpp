#include "IfpTestSupport.h"
#include "support/AllocationWatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorvek::test {
namespace {

// Tracks of frame types 1, 2, 3 and 4 in that order, then an animation without objects.
Bytes smallAnp3() {
    IfpFile file = sampleFile();
    file.animations[0].tracks.push_back(track("Bip01 Neck", 5, false, exactKeys()));
    Anp3Options options;
    options.frameType = [](std::size_t, std::size_t track) { return static_cast<int>(track) + 1; };
    return buildAnp3(file, options);
}

Bytes smallAnpk() {
    AnpkOptions options;
    options.withBoneIds = true;
    options.withScale = true;
    return buildAnpk(sampleFile(), options);
}

Bytes cut(const Bytes& file, std::size_t length) {
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
}

// The ANPK chunk's size is checked against the file's end before anything else.
TEST(MalformedIfp, EveryCutOfAValidFileIsRefused) {
    for (const Bytes& file : {smallAnp3(), smallAnpk()}) {
        ASSERT_EQ(readError(file), noUserError);
        const std::string format(file.begin(), file.begin() + 4);
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::string error = readError(cut(file, length));
            const std::string expected = length < 4 ? notIfp : broken(format);
            if (format == "ANPK" || length < 4) {
                ASSERT_EQ(error, expected) << "cut at " << length;
            } else {
                ASSERT_EQ(error.rfind(expected.substr(0, expected.size() - 1), 0), 0u) << "cut at " << length;
            }
        }
    }
}

struct CutCase {
    std::size_t length;
    std::string expected;
};

TEST(MalformedIfp, ACutAnp3NamesThePartItCuts) {
    const Bytes file = smallAnp3();
    // The last object, "Bip01 Neck" with 4 keys of type 4, before "idle" without objects.
    const std::size_t neck = file.size() - anp3HeaderSize - 4 * 16 - anp3HeaderSize;
    const CutCase cases[] = {
        {35, broken("ANP3")},
        {150, broken("ANP3\\walk_civi")},  // room for 2 animation headers, not for 4 objects
        {neck + 12, broken("ANP3\\walk_civi\\#4")},
        {neck + 30, broken("ANP3\\walk_civi\\Bip01 Neck")},
        {neck + anp3HeaderSize + 63, broken("ANP3\\walk_civi\\Bip01 Neck\\キー")},
        {file.size() - 30, broken("ANP3\\#2")},
        {file.size() - 1, broken("ANP3\\idle")},
    };
    for (const CutCase& testCase : cases) {
        EXPECT_EQ(readError(cut(file, testCase.length)), testCase.expected) << testCase.length;
    }
}

struct PatchCase {
    std::string label;
    Bytes file;
    std::string expected;
};

Bytes patched(Bytes file, std::size_t offset, std::uint32_t value) {
    putIfpU32(file, offset, value);
    return file;
}

const std::string anpkObject = "ANPK\\walk_civi\\DGAN\\";

std::vector<PatchCase> hugeCases() {
    const Bytes anp3 = smallAnp3();
    const Bytes anpk = smallAnpk();
    const std::size_t animation = anp3HeaderSize;
    const std::size_t object = 2 * anp3HeaderSize;
    const std::size_t keyCountAt = fourCCOffset(anpk, "ANIM") + anpkChunkHeaderSize + anpkObjectNameSize;
    const std::size_t keyChunkSizeAt = fourCCOffset(anpk, "KRTS") + 4;
    std::vector<PatchCase> cases;
    for (const std::uint32_t huge : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        const std::string of = huge == 0x7FFFFFFF ? " 0x7FFFFFFF" : " 0xFFFFFFFF";
        // ANPK counts are signed: 0xFFFFFFFF is -1, refused where it is read.
        const bool negative = huge == 0xFFFFFFFF;
        cases.push_back({"ANP3 animations" + of, patched(anp3, anp3AnimationCountAt, huge), broken("ANP3")});
        cases.push_back(
            {"ANP3 objects" + of, patched(anp3, animation + anp3ObjectCountAt, huge), broken("ANP3\\walk_civi")});
        cases.push_back(
            {"ANP3 keys" + of, patched(anp3, object + anp3KeyCountAt, huge), broken("ANP3\\walk_civi\\Root\\キー")});
        cases.push_back({"ANPK animations" + of, patched(anpk, fourCCOffset(anpk, "INFO") + 8, huge),
                         broken(negative ? "ANPK\\INFO" : "ANPK")});
        cases.push_back({"ANPK objects" + of, patched(anpk, fourCCOffset(anpk, "INFO", 1) + 8, huge),
                         broken(negative ? "ANPK\\walk_civi\\DGAN\\INFO" : "ANPK\\walk_civi\\DGAN")});
        cases.push_back({"ANPK keys" + of, patched(anpk, keyCountAt, huge),
                         broken(anpkObject + (negative ? "CPAN\\ANIM" : "Root\\KRTS"))});
        cases.push_back(
            {"ANPK key chunk size" + of, patched(anpk, keyChunkSizeAt, huge), broken(anpkObject + "Root\\キー")});
        cases.push_back({"ANPK file size" + of, patched(anpk, 4, huge), broken("ANPK")});
    }
    return cases;
}

TEST(MalformedIfp, HugeCountsAndSizesAreRefusedBeforeAllocating) {
    for (const PatchCase& testCase : hugeCases()) {
        SCOPED_TRACE(testCase.label);
        resetLargestAllocation();
        const std::string error = readError(testCase.file);
        const std::size_t largest = largestAllocation();
        EXPECT_EQ(error, testCase.expected);
        EXPECT_LT(largest, std::size_t{64} * 1024);
    }
}

IfpFile timedTrack(std::vector<float> times) {
    std::vector<IfpKey> keys;
    for (const float time : times) {
        keys.push_back(key({0, 0, 0, 1}, {}, time));
    }
    IfpFile file;
    file.animations = {{"anim", {track("Root", 0, false, keys)}}};
    return file;
}

Bytes renamed(Bytes file, std::string_view id, std::string_view to, int nth = 0) {
    const std::size_t at = fourCCOffset(file, id, nth);
    std::copy(to.begin(), to.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    return file;
}

std::vector<PatchCase> brokenCases() {
    const Bytes anp3 = smallAnp3();
    const Bytes anpk = smallAnpk();
    const std::size_t frameTypeAt = 2 * anp3HeaderSize + anp3FrameTypeAt;
    const auto sizeAt = [&anpk](std::string_view id) { return fourCCOffset(anpk, id) + 4; };
    const std::size_t anpkPayload = anpk.size() - anpkChunkHeaderSize;
    return {
        {"frame type 0", patched(anp3, frameTypeAt, 0), broken("ANP3\\walk_civi\\Root")},
        {"frame type 5", patched(anp3, frameTypeAt, 5), broken("ANP3\\walk_civi\\Root")},
        {"frame type 0x80000001", patched(anp3, frameTypeAt, 0x80000001), broken("ANP3\\walk_civi\\Root")},
        {"ANPK one byte past the file", patched(anpk, 4, static_cast<std::uint32_t>(anpkPayload + 1)), broken("ANPK")},
        {"INFO past ANPK", patched(anpk, sizeAt("INFO"), static_cast<std::uint32_t>(anpkPayload)),
         broken("ANPK\\INFO")},
        {"DGAN past ANPK", patched(anpk, sizeAt("DGAN"), static_cast<std::uint32_t>(anpkPayload)),
         broken("ANPK\\walk_civi\\DGAN")},
        {"CPAN past DGAN", patched(anpk, sizeAt("CPAN"), 0x10000), broken(anpkObject + "CPAN")},
        {"ANIM past CPAN", patched(anpk, sizeAt("ANIM"), 0x10000), broken(anpkObject + "CPAN\\ANIM")},
        {"ANIM without a key count", patched(anpk, sizeAt("ANIM"), 31), broken(anpkObject + "CPAN\\ANIM")},
        {"keys one byte short", patched(anpk, sizeAt("KRTS"), 4 * 44 - 1), broken(anpkObject + "Root\\KRTS")},
        {"no INFO", renamed(anpk, "INFO", "INF0"), broken("ANPK\\INFO")},
        {"no NAME", renamed(anpk, "NAME", "NAMX"), broken("ANPK\\#1\\NAME")},
        {"no DGAN", renamed(anpk, "DGAN", "DGAX"), broken("ANPK\\walk_civi\\DGAN")},
        {"no CPAN", renamed(anpk, "CPAN", "CPAX"), broken(anpkObject + "CPAN")},
        {"an unknown key chunk", renamed(anpk, "KRTS", "KRX0"), broken(anpkObject + "Root\\キー")},
        {"an empty file", Bytes{}, notIfp},
        {"ANP", Bytes{'A', 'N', 'P'}, notIfp},
        {"anp3", renamed(anp3, "ANP3", "anp3"), notIfp},
        {"ANP4", renamed(anp3, "ANP3", "ANP4"), notIfp},
    };
}

TEST(MalformedIfp, BrokenFilesAreRefusedNamingTheBrokenPart) {
    for (const PatchCase& testCase : brokenCases()) {
        EXPECT_EQ(readError(testCase.file), testCase.expected) << testCase.label;
    }
}

// A fault in one animation's keys, between two good animations.
IfpFile faultBetweenGoodOnes(std::vector<IfpKey> faulty) {
    IfpFile file = timedTrack({0, 0.5f});
    file.animations[0].name = "before";
    file.animations.push_back({"anim", {track("Root", 0, false, std::move(faulty))}});
    file.animations.push_back(file.animations[0]);
    file.animations.back().name = "after";
    return file;
}

std::vector<IfpKey> timedKeys(std::vector<float> times) {
    return timedTrack(std::move(times)).animations[0].tracks[0].keys;
}

struct FaultCase {
    const char* label;
    Bytes file;
    std::string expected;  // the faulty animation's failure
};

std::vector<FaultCase> faultCases() {
    const std::string rootKeys = broken("ANP3\\anim\\Root\\キー");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<IfpKey> nanRotation = timedKeys({0, 0.25f});
    nanRotation[1].rotation.y = nan;
    std::vector<IfpKey> infiniteTranslation = timedKeys({0, 0.25f});
    infiniteTranslation[0].translation.z = -INFINITY;
    return {
        {"type 1 times decreasing", buildAnp3(faultBetweenGoodOnes(timedKeys({0.25f, 0.5f, 0.4f})), ofType(1)),
         rootKeys},
        {"type 3 ticks decreasing", buildAnp3(faultBetweenGoodOnes(timedKeys({5 / 60.0f, 4 / 60.0f})), ofType(3)),
         rootKeys},
        {"type 4 negative ticks decreasing",
         buildAnp3(faultBetweenGoodOnes(timedKeys({-1 / 60.0f, -7 / 60.0f})), ofType(4)), rootKeys},
        {"a NaN time", buildAnp3(faultBetweenGoodOnes(timedKeys({0, nan})), ofType(2)), rootKeys},
        {"an infinite time", buildAnp3(faultBetweenGoodOnes(timedKeys({0, INFINITY})), ofType(1)), rootKeys},
        {"a NaN rotation", buildAnp3(faultBetweenGoodOnes(nanRotation), ofType(1)), rootKeys},
        {"an infinite translation", buildAnp3(faultBetweenGoodOnes(infiniteTranslation), ofType(2)), rootKeys},
        {"ANPK times decreasing", buildAnpk(faultBetweenGoodOnes(timedKeys({1, 0.5f})), false),
         broken("ANPK\\anim\\DGAN\\Root\\KR00")},
        {"ANPK a NaN rotation", buildAnpk(faultBetweenGoodOnes(nanRotation), false),
         broken("ANPK\\anim\\DGAN\\Root\\KR00")},
    };
}

TEST(MalformedIfp, AFaultInOneAnimationsKeysFailsThatAnimationAlone) {
    for (const FaultCase& testCase : faultCases()) {
        SCOPED_TRACE(testCase.label);
        const IfpFile file = readIfp(testCase.file);
        ASSERT_EQ(file.animations.size(), 3u);
        EXPECT_EQ(file.animations[1].failure, testCase.expected);
        for (const std::size_t good : {0u, 2u}) {
            EXPECT_EQ(file.animations[good].failure, "");
            ASSERT_EQ(file.animations[good].tracks.size(), 1u);
            EXPECT_EQ(file.animations[good].tracks[0].keys.size(), 2u);
        }
    }
}

}  // namespace
}  // namespace zorvek::test

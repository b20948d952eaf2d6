#include "IfpTestSupport.h"

#include <gtest/gtest.h>

namespace zorvek::test {
namespace {

IfpFile withoutBoneIds(IfpFile file) {
    for (IfpAnimation& animation : file.animations) {
        for (IfpTrack& track : animation.tracks) {
            track.boneId = -1;
        }
    }
    return file;
}

TEST(AnpkReader, AFileWithBoneIdsReadsBack) {
    const IfpFile file = withoutStrayTranslations(sampleFile(), IfpFormat::Anpk);
    const IfpFile read = readIfp(buildAnpk(file, true));
    EXPECT_EQ(read.format, IfpFormat::Anpk);
    EXPECT_EQ(read, file);
}

TEST(AnpkReader, WithoutBoneIdsEveryTrackHasIdMinusOneAndKeepsItsName) {
    const IfpFile file = withoutStrayTranslations(sampleFile(), IfpFormat::Anpk);
    const IfpFile read = readIfp(buildAnpk(file, false));
    EXPECT_EQ(read, withoutBoneIds(file));
    EXPECT_EQ(read.animations[0].tracks[1].name, "Bip01 Pelvis");
}

TEST(AnpkReader, ScaledKeysKeepRotationTranslationAndTime) {
    const IfpFile file = withoutStrayTranslations(sampleFile(), IfpFormat::Anpk);
    AnpkOptions options;
    options.withBoneIds = true;
    options.withScale = true;
    const Bytes bytes = buildAnpk(file, options);
    ASSERT_NO_THROW(fourCCOffset(bytes, "KRTS"));
    EXPECT_EQ(readIfp(bytes), file);
}

// The stored x, y and z are the negated ones the game uses; w is as stored.
TEST(AnpkReader, StoredQuaternionsAreNegatedExceptW) {
    IfpFile file;
    file.animations = {{"a", {track("Root", -1, false, {key({0, 0, 0, 0}, {}, 0)})}}};
    Bytes bytes = buildAnpk(file, false);
    const std::size_t keyAt = fourCCOffset(bytes, "KR00") + anpkChunkHeaderSize;
    putIfpF32(bytes, keyAt, 0.25f);
    putIfpF32(bytes, keyAt + 4, -0.5f);
    putIfpF32(bytes, keyAt + 8, 0.75f);
    putIfpF32(bytes, keyAt + 12, -1.0f);
    putIfpF32(bytes, keyAt + 16, 2.5f);
    const IfpKey read = readIfp(bytes).animations[0].tracks[0].keys[0];
    EXPECT_EQ(read, key({-0.25f, 0.5f, -0.75f, -1.0f}, {}, 2.5f));
}

TEST(AnpkReader, AnObjectWithoutKeysHasNoKeyChunk) {
    IfpFile file;
    file.format = IfpFormat::Anpk;
    file.name = "x";
    file.animations = {{"a", {track("Root", 0, false, {}), track("Pelvis", 1, true, exactKeys())}}};
    const Bytes bytes = buildAnpk(file, true);
    EXPECT_EQ(fourCCOffset(bytes, "KRT0"), fourCCOffset(bytes, "ANIM", 1) + anpkChunkHeaderSize + 44);
    EXPECT_EQ(readIfp(bytes), file);
}

TEST(AnpkReader, JunkAfterTheLastAnimationIsNotRead) {
    const IfpFile file = withoutStrayTranslations(sampleFile(), IfpFormat::Anpk);
    AnpkOptions options;
    options.trailing = Bytes{'N', 'A', 'M', 'E', 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(readIfp(buildAnpk(file, options)), withoutBoneIds(file));
}

TEST(AnpkReader, AnObjectNameFillingItsFieldIsReadWhole) {
    IfpFile file;
    file.format = IfpFormat::Anpk;
    file.animations = {{"", {track("0123456789012345678901234567", 5, false, {})}}};
    EXPECT_EQ(readIfp(buildAnpk(file, true)), file);
}

}  // namespace
}  // namespace zorvek::test

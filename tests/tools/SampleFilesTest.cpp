#include "base/ShiftJis.h"
#include "sample/SampleModel.h"
#include "sample/SampleMotion.h"
#include "support/TempDir.h"
#include "vmd/VmdReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvek::test {
namespace {

const std::filesystem::path committedSamples = std::filesystem::path(ZORVEK_SOURCE_DIR) / "samples";

const std::vector<std::string> sampleFileNames = {"zorvek_sample.dff", "zorvek_sample.txd", "zorvek_sample.ifp",
                                                  "zorvek_sample.vmd"};

class SampleFilesTest : public ::testing::TestWithParam<std::string> {};

// The committed files are what the generator writes today: regenerate after any change.
TEST_P(SampleFilesTest, RegeneratedFileEqualsTheCommittedOne) {
    TempDir folder;
    sample::writeSampleFiles(folder.path());
    const Bytes regenerated = readBytes(folder / GetParam());
    const Bytes committed = readBytes(committedSamples / GetParam());
    ASSERT_EQ(regenerated.size(), committed.size());
    EXPECT_TRUE(regenerated == committed);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFilesTest, ::testing::ValuesIn(sampleFileNames), [](const auto& info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
});

TEST(SampleFiles, TheToolWritesExactlyTheSampleFiles) {
    TempDir folder;
    const auto written = sample::writeSampleFiles(folder / "nested" / "out");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "nested" / "out")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = sampleFileNames;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    ASSERT_EQ(written.size(), sampleFileNames.size());
    EXPECT_EQ(written.front().filename(), "zorvek_sample.dff");
}

TEST(SampleFiles, GeneratingTwiceGivesTheSameBytes) {
    const auto first = sample::buildSampleFiles();
    const auto second = sample::buildSampleFiles();
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name;
    }
}

// The writer makes keys linear and the generator writes each key's curves
// over them: read back, every key must carry its own.
TEST(SampleMotion, TheFileHoldsEveryKeyWithItsOwnCurves) {
    const VmdMotion file = readVmd(sample::buildSampleVmd());
    const auto tracks = sample::sampleMotionTracks();
    EXPECT_EQ(file.sjisModelName, "zorvek_sample.dff");
    ASSERT_EQ(file.bones.size(), tracks.size());
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const VmdBoneTrack& read = file.bones[t];
        EXPECT_EQ(read.sjisName, toShiftJis(tracks[t].bone));
        ASSERT_EQ(read.keys.size(), tracks[t].keys.size()) << read.sjisName;
        for (std::size_t k = 0; k < read.keys.size(); ++k) {
            const sample::SampleMotionKey& key = tracks[t].keys[k];
            const auto& [x, y, z, r] = key.curves;
            EXPECT_EQ(read.keys[k].frame, key.frame);
            EXPECT_EQ(read.keys[k].position, (Vec3{static_cast<float>(key.move.x), static_cast<float>(key.move.y),
                                                   static_cast<float>(key.move.z)}));
            EXPECT_NEAR(read.keys[k].rotation.w, key.turn.w, 1e-6);
            EXPECT_TRUE(read.keys[k].interpolation == vmdInterpolation(x, y, z, r)) << read.sjisName << ' ' << k;
        }
    }
    ASSERT_EQ(file.showIk.size(), 3u);
    const std::vector<std::uint32_t> switchFrames = {file.showIk[0].frame, file.showIk[1].frame, file.showIk[2].frame};
    EXPECT_EQ(switchFrames, (std::vector<std::uint32_t>{0, 45, 60}));
    const std::vector<VmdIkState> offAt45 = {{toShiftJis(u"左足ＩＫ"), true},
                                             {toShiftJis(u"左つま先ＩＫ"), true},
                                             {toShiftJis(u"右足ＩＫ"), false},
                                             {toShiftJis(u"右つま先ＩＫ"), false}};
    EXPECT_EQ(file.showIk[1].iks, offAt45);
}

struct LegCase {
    const char* name;
    double side;
    sample::CenterPose center;
    sample::Place ankleMove;  // from the ankle's rest place
};

// The knee lift's keys meet the IK's pose only if the solved turns put the
// ankle where the IK does, with the knee bent the way the IK's limits allow.
TEST(SampleMotion, SolvedLegTurnsPutTheAnkleOnItsTargetWithTheKneeBent) {
    const std::vector<LegCase> cases = {
        {"standing low", 1, {{0, -0.3, 0}, {1, 0, 0, 0}}, {0, 0, 0}},
        {"weight over the other leg", -1, {{0.5, -0.35, -0.05}, sample::turnAbout({0, 1, 0}, 10)}, {0.6, 0, -0.1}},
        {"foot lifted forward", -1, {{0.45, -0.45, 0}, sample::turnAbout({0, 1, 0}, -6)}, {0.2, 2.5, -2.5}},
        {"stepped out, body turned", 1, {{-0.3, -0.45, 0}, sample::turnAbout({0, 1, 0}, -8)}, {0.4, 0, 0}},
    };
    for (const LegCase& c : cases) {
        const sample::Place target = sample::ankleRestPlace(c.side) + c.ankleMove;
        const sample::LegTurns leg = sample::legReaching(c.side, c.center, target);
        const sample::Place reached = sample::ankleAt(c.side, c.center, leg);
        EXPECT_NEAR(glm::length(reached - target), 0, 1e-9) << c.name;
        // A turn about X alone, backwards (a negative angle).
        EXPECT_LT(leg.knee.x, -0.1) << c.name;
        EXPECT_EQ(leg.knee.y, 0) << c.name;
        EXPECT_EQ(leg.knee.z, 0) << c.name;
    }
}

TEST(SampleMotion, RefusesToStretchALegStraight) {
    const sample::CenterPose standing{{0, 0, 0}, {1, 0, 0, 0}};
    // At rest the hip is 8.507 above the ankle: 98.5% of that is 8.38.
    EXPECT_NO_THROW(sample::legReaching(1, standing, sample::ankleRestPlace(1) + sample::Place(0, 0.15, 0)));
    EXPECT_THROW(sample::legReaching(1, standing, sample::ankleRestPlace(1) + sample::Place(0, 0.1, 0)),
                 std::logic_error);
}

}  // namespace
}  // namespace zorvek::test

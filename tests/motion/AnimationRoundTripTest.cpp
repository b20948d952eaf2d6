// Game animation -> MMD motion -> game animation: the sample's animations come
// back as they were, within what the IFP's 16-bit keys can tell apart.

#include "MotionTestRig.h"

#include "ifp/IfpReader.h"
#include "ifp/IfpWriter.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/GamePose.h"
#include "motion/MmdPoser.h"
#include "motion/MotionBuilder.h"
#include "motion/MotionRig.h"
#include "motion/RigMotion.h"
#include "vmd/VmdReader.h"

#include <gtest/gtest.h>
#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <numbers>

namespace zorvek {
namespace {

const std::filesystem::path source(ZORVEK_SOURCE_DIR);

constexpr double degreesTolerance = 0.05;
constexpr double metresTolerance = 0.001;
// Dropping keys may add its own 0.05 degrees and 0.5 mm to the quantisation.
constexpr double reducedDegreesTolerance = 0.1;
constexpr double reducedMetresTolerance = 0.0015;

const ConversionTables& shippedTables() {
    static const ConversionTables tables = loadConversionTables(source / "data");
    return tables;
}

const IfpFile& sampleAnimations() {
    static const IfpFile file = readIfpFile(source / "samples/zorvek_sample.ifp");
    return file;
}

double degreesBetween(const Quaternion& a, const Quaternion& b) {
    const double dot = std::min(1.0, std::abs(glm::dot(glm::normalize(a), glm::normalize(b))));
    return 2.0 * std::acos(dot) * 180.0 / std::numbers::pi;
}

const IfpTrack* trackWithId(const IfpAnimation& animation, std::int32_t boneId) {
    for (const IfpTrack& track : animation.tracks) {
        if (track.boneId == boneId) {
            return &track;
        }
    }
    return nullptr;
}

struct RoundTripCase {
    const char* name;
    ConversionMode mode;
    bool allKeys;
};

struct Worst {
    double degrees = 0;
    double metres = 0;
};

// A track holding the frame's own pose: what the game keeps a frame without a track at.
IfpTrack restTrack(const DffModel& model, std::int32_t boneId) {
    const auto frame =
        std::find_if(model.frames.begin(), model.frames.end(), [&](const DffFrame& f) { return f.boneId == boneId; });
    const Quaternion q = glm::quat_cast(columnForm(frame->rotation));
    IfpTrack track;
    track.boneId = boneId;
    track.hasTranslation = true;
    track.keys.push_back(
        {{static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)},
         frame->translation,
         0.0f});
    return track;
}

// Every track of the original against the same bone's track of the copy (or
// the frame's own pose where the copy leaves the bone alone), at every frame.
Worst compareTracks(const DffModel& model, const IfpAnimation& original, const IfpAnimation& copy) {
    Worst worst;
    const std::uint32_t last = lastMotionFrame(original);
    for (const IfpTrack& track : original.tracks) {
        const IfpTrack rest = restTrack(model, track.boneId);
        const IfpTrack* copied = trackWithId(copy, track.boneId);
        if (copied == nullptr) {
            copied = &rest;
        }
        std::size_t next = 0;
        std::size_t copiedNext = 0;
        for (std::uint32_t frame = 0; frame <= last; ++frame) {
            const float time = static_cast<float>(frame) / 30.0f;
            const FramePose want = sampleTrack(track, time, next);
            const FramePose got = sampleTrack(*copied, time, copiedNext);
            worst.degrees =
                std::max(worst.degrees, degreesBetween(glm::quat_cast(want.rotation), glm::quat_cast(got.rotation)));
            if (track.hasTranslation) {
                worst.metres = std::max(worst.metres, glm::length(want.position - got.position));
            }
        }
    }
    return worst;
}

// Every joint of the model in the game's world, for animations that move the whole body.
double compareJoints(const DffModel& model, const IfpAnimation& original, const IfpAnimation& copy) {
    double worst = 0;
    for (std::uint32_t frame = 0; frame <= lastMotionFrame(original); ++frame) {
        const float time = static_cast<float>(frame) / 30.0f;
        const auto want = test::gameWorldPose(model, original, time);
        const auto got = test::gameWorldPose(model, copy, time);
        for (std::size_t i = 0; i < want.size(); ++i) {
            worst = std::max(worst, glm::length(want[i].position - got[i].position));
        }
    }
    return worst;
}

class AnimationRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(AnimationRoundTrip, SampleAnimationsComeBackWithinQuantisation) {
    const RoundTripCase& c = GetParam();
    PreparedConversion model = DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                               }).prepare(c.mode, shippedTables());
    const MotionTarget target(model, shippedTables());
    const double degrees = c.allKeys ? degreesTolerance : reducedDegreesTolerance;
    const double metres = c.allKeys ? metresTolerance : reducedMetresTolerance;
    for (const IfpAnimation& original : sampleAnimations().animations) {
        SCOPED_TRACE(original.name);
        const ByteBlock vmd = target.buildVmd(original, [](const std::string&) {});
        std::vector<std::string> warnings;
        const IfpAnimation copy = target.buildAnimation(readVmd(vmd.span()), original.name, c.allKeys,
                                                        [&](const std::string& w) { warnings.push_back(w); });
        // Through the file, as the game would read it.
        const IfpAnimation read = readIfp(writeAnp3({IfpFormat::Anp3, "x", {copy}}).span()).animations.at(0);
        const Worst worst = compareTracks(model.model(), original, read);
        EXPECT_LE(worst.degrees, degrees);
        EXPECT_LE(worst.metres, metres);
        const auto& frames = model.model().frames;
        const auto root =
            std::find_if(frames.begin(), frames.end(), [](const DffFrame& f) { return f.boneNumber == 0; });
        const bool fullBody = trackWithId(original, root->boneId) != nullptr;
        if (fullBody) {
            EXPECT_LE(compareJoints(model.model(), original, read), metres);
        }
        RecordProperty(original.name + "_degrees", std::to_string(worst.degrees));
        std::printf("%s %s: %.4f deg, %.5f m, %zu tracks\n", c.name, original.name.c_str(), worst.degrees, worst.metres,
                    read.tracks.size());
    }
}

INSTANTIATE_TEST_SUITE_P(SampleAnimations, AnimationRoundTrip,
                         testing::Values(RoundTripCase{"Names", ConversionMode::None, true},
                                         RoundTripCase{"BoneInfo", ConversionMode::AxesAndBoneInfo, true},
                                         RoundTripCase{"Mmd", ConversionMode::NamesAndAxes, true},
                                         RoundTripCase{"MmdReduced", ConversionMode::NamesAndAxes, false},
                                         RoundTripCase{"NamesReduced", ConversionMode::None, false},
                                         RoundTripCase{"Standard", ConversionMode::Standard, true},
                                         RoundTripCase{"StandardReduced", ConversionMode::Standard, false}),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zorvek

namespace zorvek {
namespace {

// The sample's MMD motion (sparse keys on curves, leg IK switched off and on,
// bones the model lacks): the game, playing the animation made of it, puts
// every joint where MMD shows it on the mmd-mode PMX.
class SampleDance : public testing::TestWithParam<bool> {};

TEST_P(SampleDance, TheGameShowsWhatMmdShows) {
    const bool allKeys = GetParam();
    PreparedConversion model = DffConversion::fromFile(source / "samples/zorvek_sample.dff", [](const std::string&) {
                               }).prepare(ConversionMode::NamesAndAxes, shippedTables());
    const MotionRig rig = makeMotionRig(model, shippedTables());
    const VmdMotion dance = readVmdFile(source / "samples/zorvek_sample.vmd");
    const IfpAnimation built =
        MotionTarget(model, shippedTables()).buildAnimation(dance, "dance", allKeys, [](const std::string&) {});
    const IfpAnimation read = readIfp(writeAnp3({IfpFormat::Anp3, "x", {built}}).span()).animations.at(0);

    const RigMotion bound = bindMotion(rig, dance);
    MmdPoser poser(rig, bound);
    double worst = 0;
    for (std::uint32_t frame = 0; frame <= bound.lastFrame; ++frame) {
        poser.poseAt(frame);
        const auto game = test::gameWorldPose(model.model(), read, static_cast<float>(frame) / 30.0f);
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            const glm::dvec3 shown = test::mappedIntoPmx(game[*rig.bones[bone].frame].position);
            worst = std::max(worst, glm::length(shown - poser.bones()[bone].position));
        }
    }
    // Ten PMX units are a metre: 1 mm with every key, 2 mm with keys dropped.
    EXPECT_LE(worst, allKeys ? 0.01 : 0.02);
    std::printf("dance, %s: %zu tracks, largest joint distance %.5f\n", allKeys ? "all keys" : "keys dropped",
                read.tracks.size(), worst);
}

INSTANTIATE_TEST_SUITE_P(Keys, SampleDance, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "All" : "Dropped"; });

}  // namespace
}  // namespace zorvek

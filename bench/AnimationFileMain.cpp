// zorvek-bench-ifp OUT.ifp: a stand-in for San Andreas's ped.ifp, the input
// of scripts/bench.sh's motion conversion. 330 ANP3 animations for the
// sample's 32-bone skeleton, laid out as the game's are: mostly 0.5 to 3
// seconds with a few up to 8, keys every 2 or 4 ticks of 1/60 s and about 3%
// more on odd ticks, compressed keys (frame type 4 on Root and a few other
// tracks, 3 elsewhere), most animations full-body with a Root track and some
// moving a few bones only. The same bytes on every run: the choices come from
// a fixed-seed generator of its own.

#include "motion/PoseMath.h"
#include "sample/SampleMath.h"
#include "sample/SampleSkeleton.h"
#include "support/ifp/IfpBuilder.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/mat3x3.hpp>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace zorvek;
using sample::boneCount;
using sample::portableSin;

constexpr int animationCount = 330;
constexpr int ticksPerSecond = 60;

// xorshift32: small, and the same sequence on every platform.
class Choices {
public:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
    float between(float low, float high) { return low + (high - low) * unit(); }
    bool chance(float probability) { return unit() < probability; }

private:
    std::uint32_t state_ = 0x2545F491u;
};

// The rotation of a row-vector bone matrix as a quaternion.
glm::dquat columnQuaternion(const Matrix44& rowForm) {
    return glm::quat_cast(columnForm(rowForm));
}

// Key ticks up to the duration: steps of 2 or 4 ticks, about 3% of the keys
// on the odd tick just before an even one (between MMD's frames), the last
// key on the end. Keys stay 1 to 4 ticks apart.
std::vector<int> keyTicks(Choices& choices, int lastTick) {
    const int usualStep = choices.chance(0.5f) ? 2 : 4;
    std::vector<int> ticks{0};
    for (int tick = usualStep; tick < lastTick; tick += choices.chance(0.8f) ? usualStep : 6 - usualStep) {
        if (choices.chance(0.03f)) {
            ticks.push_back(tick - 1);
        }
        ticks.push_back(tick);
    }
    ticks.push_back(lastTick);
    return ticks;
}

// A smooth swing of one bone: a turn about a fixed axis of its own, a few
// tens of degrees at most, at a bone's pace.
struct Swing {
    glm::dvec3 axis{1, 0, 0};
    float degrees = 0;
    float hertz = 1;
    float phase = 0;
};

Swing randomSwing(Choices& choices) {
    Swing swing;
    swing.axis = glm::normalize(glm::dvec3(choices.between(-1, 1), choices.between(-1, 1), choices.between(-1, 1)) +
                                glm::dvec3(0, 0, 0.01));
    swing.degrees = choices.between(2, 40);
    swing.hertz = choices.between(0.3f, 2.0f);
    swing.phase = choices.between(0, 2 * sample::pi);
    return swing;
}

class PedAnimations {
public:
    PedAnimations() : frames_(sample::buildFrames(sample::samplePose())) {}

    IfpAnimation make(Choices& choices, int number) const {
        IfpAnimation animation;
        animation.name = "bench_" + std::to_string(number);
        // One in eleven long (3 to 8 s), the others 0.5 to 2.8 s.
        const float seconds = number % 11 == 0 ? choices.between(3, 8) : choices.between(0.5f, 2.8f);
        const std::vector<int> ticks = keyTicks(choices, static_cast<int>(seconds * ticksPerSecond));
        if (choices.chance(0.85f)) {
            // Full body: Root moves the ped; a bone now and then has no track.
            animation.tracks.push_back(track(choices, sample::Root, ticks, true));
            for (int bone = 1; bone < boneCount; ++bone) {
                if (choices.chance(0.9f)) {
                    animation.tracks.push_back(track(choices, bone, ticks, choices.chance(0.05f)));
                }
            }
        } else {
            // Partial: a few bones, as the game's facial and hand animations.
            const int bones = 1 + static_cast<int>(choices.next() % 5);
            std::vector<bool> taken(boneCount, false);
            for (int i = 0; i < bones; ++i) {
                const int bone = 1 + static_cast<int>(choices.next() % (boneCount - 1));
                if (!taken[bone]) {
                    taken[bone] = true;
                    animation.tracks.push_back(track(choices, bone, ticks, false));
                }
            }
        }
        return animation;
    }

private:
    IfpTrack track(Choices& choices, int bone, const std::vector<int>& ticks, bool withTranslation) const {
        const sample::BoneInfo& info = sample::boneTable()[bone];
        IfpTrack track;
        track.name = info.frameName;
        track.boneId = info.boneId;
        track.hasTranslation = withTranslation;
        const Swing swing = randomSwing(choices);
        const float pace = choices.between(0, 1.5f);  // how fast Root walks, m/s
        glm::dquat rest = columnQuaternion(frames_.local[bone]);
        Vec3 place = frames_.local[bone].row3(3);
        if (bone == sample::Root) {
            // A half turn about Z: the bind pose faces -Y, a ped in the game +Y.
            rest = glm::dquat(0, 0, 0, 1) * rest;
            place = {-place.x, -place.y, place.z};
        }
        for (int tick : ticks) {
            const float seconds = static_cast<float>(tick) / ticksPerSecond;
            const float angle =
                swing.degrees * portableSin(2 * sample::pi * swing.hertz * seconds + swing.phase) * sample::pi / 180;
            const glm::dquat q = glm::normalize(rest * glm::angleAxis(static_cast<double>(angle), swing.axis));
            IfpKey key;
            key.time = seconds;
            key.rotation = {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z),
                            static_cast<float>(q.w)};
            if (withTranslation) {
                key.translation = place;
                if (bone == sample::Root) {
                    key.translation.y += pace * seconds;
                }
            }
            track.keys.push_back(key);
        }
        return track;
    }

    sample::SkeletonFrames frames_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorvek-bench-ifp OUT.ifp\n");
        return 2;
    }
    try {
        Choices choices;
        const PedAnimations maker;
        IfpFile file;
        file.name = "ped";
        std::size_t keys = 0;
        double seconds = 0;
        for (int number = 0; number < animationCount; ++number) {
            file.animations.push_back(maker.make(choices, number));
            for (const IfpTrack& track : file.animations.back().tracks) {
                keys += track.keys.size();
            }
            seconds += file.animations.back().duration();
        }
        writeFileAtomically(argv[1], test::buildAnp3(file));
        std::printf("%d animations, %.1f s, %zu keys\n", animationCount, seconds, keys);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-ifp: %s\n", error.what());
        return 1;
    }
    return 0;
}

// zorvek-bench-vmd OUT.vmd MODEL.dff TABLES [RUNS]: the VMD to IFP conversion
// of a long motion keyed on every frame, as scripts/bench.sh runs it. Makes a
// five-minute motion (frames 0 to 9000 at 30 a second) for the PMX that the
// "mmd" mode makes of MODEL.dff: a key on every frame for every skin bone and
// every IK bone, smooth turns and IK targets within the legs' reach. Writes
// it to OUT.vmd, then times the whole conversion as `zorvek vmd2ifp` runs it
// (tables, VMD and DFF read from disk, model prepared, animation built, IFP
// written beside the VMD), with key reduction and with --all-keys; the
// median of RUNS (default 5) runs each.

#include "base/FileIo.h"
#include "ifp/IfpReader.h"
#include "jobs/AnimationJob.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "motion/MotionRig.h"
#include "vmd/VmdReader.h"
#include "vmd/VmdWriter.h"

#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace zorvek;
namespace fs = std::filesystem;

constexpr std::uint32_t lastFrame = 9000;  // five minutes at 30 frames a second
constexpr double framesPerSecond = 30;
constexpr double pi = 3.14159265358979323846;

// A smooth swing about a fixed axis: the sum of two sines of unrelated
// periods, so that no two seconds of the motion are alike.
struct Swing {
    glm::dvec3 axis{1, 0, 0};
    double degrees = 0;
    double hertz = 0;
    double phase = 0;

    double at(double seconds) const {
        const double t = 2 * pi * hertz * seconds + phase;
        return degrees * (0.7 * std::sin(t) + 0.3 * std::sin(2.37 * t + 1.1));
    }
};

// A different swing for each bone, the same on every run.
Swing swingOf(std::size_t bone) {
    const double b = static_cast<double>(bone);
    Swing swing;
    swing.axis = glm::normalize(glm::dvec3(std::sin(b * 1.7 + 0.3), std::cos(b * 2.3), std::sin(b * 0.9 + 2.0)));
    swing.degrees = 5 + std::fmod(b * 7.3, 25.0);
    swing.hertz = 0.2 + std::fmod(b * 0.37, 1.3);
    swing.phase = b * 0.61;
    return swing;
}

Vec4 stored(const glm::dquat& q) {
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

Vec3 stored(const glm::dvec3& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

glm::dquat turn(const glm::dvec3& axis, double degrees) {
    return glm::angleAxis(degrees * pi / 180, axis);
}

// How an IK moves a bone: not at all, as a free link (a thigh, an ankle), or
// as a limited one (a knee).
enum class IkRole { None, Link, LimitedLink };

std::vector<IkRole> ikRoles(const MotionRig& rig) {
    std::vector<IkRole> roles(rig.bones.size(), IkRole::None);
    for (const RigIkBone& ik : rig.ikBones) {
        for (const RigIkLink& link : ik.links) {
            roles[link.bone] = link.limited ? IkRole::LimitedLink : IkRole::Link;
        }
    }
    return roles;
}

// One key of a skin bone. センター (no parent) bobs low enough that the
// planted feet never straighten the legs. The bones the IKs turn are keyed
// as dancers key them under IK, a little forward and the knees bent, for
// the IK solves from the keyed pose.
VmdBoneKey skinKey(const RigBone& bone, IkRole role, std::size_t number, std::uint32_t frame) {
    const double seconds = frame / framesPerSecond;
    const Swing swing = swingOf(number);
    VmdBoneKey key;
    key.frame = frame;
    if (bone.parent < 0) {
        key.position = stored(glm::dvec3(0.3 * std::sin(0.5 * seconds), -0.8 + 0.2 * std::sin(2 * pi * seconds),
                                         0.3 * std::sin(0.31 * seconds + 1)));
        key.rotation = stored(turn({0, 1, 0}, 20 * std::sin(0.2 * seconds)));
    } else if (role == IkRole::LimitedLink) {
        key.rotation = stored(turn({1, 0, 0}, -30 + 10 * std::sin(2 * pi * seconds)));
    } else if (role == IkRole::Link) {
        key.rotation = stored(turn({1, 0, 0}, 10 + 5 * std::sin(2 * pi * seconds)));
    } else {
        key.rotation = stored(turn(swing.axis, swing.at(seconds)));
    }
    return key;
}

// One key of an IK bone: the leg IKs move the feet a few tenths around
// their rest places and lift them by up to half a unit; the toe IKs,
// which follow them, move less.
VmdBoneKey ikKey(const RigIkBone& ik, std::size_t number, std::uint32_t frame) {
    const double seconds = frame / framesPerSecond;
    const double phase = static_cast<double>(number) * 1.3;
    const double size = ik.parentIk < 0 ? 1.0 : 0.3;
    VmdBoneKey key;
    key.frame = frame;
    key.position = stored(size * glm::dvec3(0.25 * std::sin(0.7 * seconds + phase),
                                            0.25 * (1 + std::sin(2 * pi * 0.5 * seconds + phase)),
                                            0.25 * std::cos(0.9 * seconds + phase)));
    key.rotation = stored(turn({0, 1, 0}, 10 * std::sin(0.4 * seconds + phase)));
    return key;
}

VmdMotion everyFrameMotion(const MotionRig& rig) {
    VmdMotion motion;
    motion.sjisModelName = vmdModelName(rig.modelName);
    const std::vector<IkRole> roles = ikRoles(rig);
    for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
        VmdBoneTrack& track = motion.bones.emplace_back();
        track.sjisName = vmdBoneName(rig.bones[bone].name, [](const std::string&) {});
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            track.keys.push_back(skinKey(rig.bones[bone], roles[bone], bone, frame));
        }
    }
    for (std::size_t ik = 0; ik < rig.ikBones.size(); ++ik) {
        VmdBoneTrack& track = motion.bones.emplace_back();
        track.sjisName = vmdBoneName(rig.ikBones[ik].name, [](const std::string&) {});
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            track.keys.push_back(ikKey(rig.ikBones[ik], ik, frame));
        }
    }
    return motion;
}

// The peak resident memory since the last reset, in KiB; Linux only.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

struct Paths {
    fs::path vmd, dff, tables, ifp;
};

// One conversion as `zorvek vmd2ifp` runs it; returns its milliseconds.
double convertOnce(const Paths& paths, bool allKeys) {
    const auto start = std::chrono::steady_clock::now();
    const ConversionTables tables = loadConversionTables(paths.tables);
    const VmdMotion motion = readVmdFile(paths.vmd);
    const JobReport report;
    const PreparedConversion model =
        DffConversion::fromFile(paths.dff, report.warn).prepare(ConversionMode::NamesAndAxes, tables);
    const MotionTarget target(model, tables);
    const AnimationFileJob job{.name = "bench",
                               .allKeys = allKeys,
                               .path = paths.ifp,
                               .inputs = {paths.vmd, paths.dff},
                               .replaceExisting = true};
    writeAnimationFile(target, motion, job, report);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void timeConversion(const Paths& paths, bool allKeys, int runs) {
    resetPeakMemory();
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(convertOnce(paths, allKeys));
    }
    const long peak = peakMemoryKib();
    std::sort(times.begin(), times.end());
    std::size_t keys = 0;
    for (const IfpAnimation& animation : readIfpFile(paths.ifp).animations) {
        for (const IfpTrack& track : animation.tracks) {
            keys += track.keys.size();
        }
    }
    std::printf("| vmd2ifp%-10s | %9.1f | %9.1f | %9.1f | %8.1f | %9ju | %9zu |\n", allKeys ? " all keys" : "",
                times[times.size() / 2], times.front(), times.back(), peak / 1024.0,
                static_cast<std::uintmax_t>(fs::file_size(paths.ifp)), keys);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: zorvek-bench-vmd OUT.vmd MODEL.dff TABLES [RUNS]\n");
        return 2;
    }
    try {
        const Paths paths{argv[1], argv[2], argv[3], fs::path(argv[1]).replace_extension(".ifp")};
        const int runs = argc == 5 ? std::max(1, std::stoi(argv[4])) : 5;
        std::size_t keys = 0;
        {
            const ConversionTables tables = loadConversionTables(paths.tables);
            const PreparedConversion model = DffConversion::fromFile(paths.dff, [](const std::string&) {
                                             }).prepare(ConversionMode::NamesAndAxes, tables);
            const MotionRig rig = makeMotionRig(model, tables);
            const VmdMotion motion = everyFrameMotion(rig);
            for (const VmdBoneTrack& track : motion.bones) {
                keys += track.keys.size();
            }
            writeFileAtomically(paths.vmd, writeVmd(motion).span());
            std::printf(
                "VMD: %u frames (%.0f s), %zu skin and %zu IK bones keyed on every frame, %zu keys, %ju bytes\n",
                lastFrame + 1, lastFrame / framesPerSecond, rig.bones.size(), rig.ikBones.size(), keys,
                static_cast<std::uintmax_t>(fs::file_size(paths.vmd)));
        }
        std::printf("\n| conversion | median ms | min ms | max ms | peak MiB | IFP bytes | IFP keys |\n");
        std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
        timeConversion(paths, false, runs);
        timeConversion(paths, true, runs);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zorvek-bench-vmd: %s\n", error.what());
        return 1;
    }
    return 0;
}

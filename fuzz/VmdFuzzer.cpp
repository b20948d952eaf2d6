// Reading an MMD motion (VMD) and playing every bone's keys. The whole input
// is the file. Besides crashes, it checks what the conversion relies on:
// keys and show/IK frames ordered by frame, names within their fields, unit
// rotations at every frame played, and the IK states of the last show/IK frame.

#include "base/UserMessageError.h"
#include "vmd/VmdCurves.h"
#include "vmd/VmdReader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using zorvek::VmdBoneKey;

// Frames played per bone, from just before its first key on; and the keys
// whose own frames are played besides.
constexpr std::uint32_t playedFrames = 256;
constexpr std::size_t playedKeys = 64;

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool moderate(const zorvek::Vec3& p) {
    return std::fabs(p.x) < 1e30f && std::fabs(p.y) < 1e30f && std::fabs(p.z) < 1e30f;
}

void play(const std::vector<VmdBoneKey>& keys, std::uint32_t frame, bool moderatePositions) {
    const zorvek::BonePoseAt pose = zorvek::evaluateBone(keys, frame);
    const zorvek::PlainQuaternion& q = pose.rotation;
    const double norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    check(std::isfinite(norm) && std::fabs(norm - 1) < 1e-9);
    if (moderatePositions) {
        check(std::isfinite(pose.position.x) && std::isfinite(pose.position.y) && std::isfinite(pose.position.z));
    }
}

void playBone(const zorvek::VmdBoneTrack& bone) {
    const std::vector<VmdBoneKey>& keys = bone.keys;
    check(bone.sjisName.size() <= 15 && bone.sjisName.find('\0') == std::string::npos);
    check(!keys.empty());
    check(std::is_sorted(keys.begin(), keys.end(),
                         [](const VmdBoneKey& a, const VmdBoneKey& b) { return a.frame < b.frame; }));
    const bool moderatePositions =
        std::all_of(keys.begin(), keys.end(), [](const VmdBoneKey& key) { return moderate(key.position); });
    const std::uint32_t first = keys.front().frame == 0 ? 0 : keys.front().frame - 1;
    const std::uint32_t last = std::min(keys.back().frame, first + playedFrames);
    for (std::uint32_t frame = first; frame <= last && frame >= first; ++frame) {
        play(keys, frame, moderatePositions);
    }
    for (std::size_t i = 0; i < std::min(keys.size(), playedKeys); ++i) {
        play(keys, keys[i].frame, moderatePositions);
        play(keys, keys[i].frame + 1, moderatePositions);
    }
}

// Every IK the last show/IK frame names is as its last mention there says.
void checkShowIk(const std::vector<zorvek::VmdShowIkFrame>& frames) {
    check(std::is_sorted(frames.begin(), frames.end(), [](const auto& a, const auto& b) { return a.frame < b.frame; }));
    if (frames.empty()) {
        return;
    }
    const zorvek::VmdShowIkFrame& latest = frames.back();
    for (std::size_t i = 0; i < std::min(latest.iks.size(), playedKeys); ++i) {
        const std::string& name = latest.iks[i].sjisName;
        const auto mention = std::find_if(latest.iks.rbegin(), latest.iks.rend(),
                                          [&](const zorvek::VmdIkState& ik) { return ik.sjisName == name; });
        check(name.size() <= 20);
        check(zorvek::ikEnabledAt(frames, name, latest.frame) == mention->enabled);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const zorvek::VmdMotion file = zorvek::readVmd(std::span<const std::uint8_t>(data, size));
        check(file.sjisModelName.size() <= 20);
        for (const zorvek::VmdBoneTrack& bone : file.bones) {
            playBone(bone);
        }
        checkShowIk(file.showIk);
    } catch (const zorvek::UserMessageError&) {
    }
    return 0;
}

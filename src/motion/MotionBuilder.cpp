#include "motion/MotionBuilder.h"

#include "base/UserMessageError.h"
#include "motion/GamePose.h"
#include "vmd/VmdWriter.h"

#include <glm/matrix.hpp>

#include <cmath>
#include <optional>

namespace zorvek {

namespace {

constexpr double pmxUnits = pmxUnitsPerGameUnit;
// Offsets shorter than this (PMX units) are what the world poses' rounding
// leaves of a bone that stays in place.
constexpr double smallestOffset = 1e-5;

// Half an hour: longer than any game animation, short enough to stay in memory.
constexpr double longestMotionSeconds = 30 * 60;

float frameTime(std::uint32_t frame) {
    // The same rounding as a key time stored in 1/60 s ticks, so keys on a
    // frame are met exactly.
    return static_cast<float>(frame) / mmdFramesPerSecond;
}

// The quaternion of a rotation, on the same side as the previous key's, so
// that a player interpolating between keys never takes the long way.
Vec4 keyRotation(const Rotation& rotation, const std::vector<VmdBoneKey>& earlier) {
    Quaternion q = glm::normalize(glm::quat_cast(rotation));
    const Vec4 previous = earlier.empty() ? Vec4{0, 0, 0, 1} : earlier.back().rotation;
    if (q.x * previous.x + q.y * previous.y + q.z * previous.z + q.w * previous.w < 0) {
        q = Quaternion(-q.w, -q.x, -q.y, -q.z);
    }
    return toVec4(q);
}

class MotionWriter {
public:
    MotionWriter(const MotionRig& rig, const DffModel& model, const IfpAnimation& animation, const WarningSink& warn)
        : rig_(rig), model_(model), binding_(model, animation), sampler_(model, binding_), warn_(warn) {
        const bool fullBody = rootTracked();
        markMovedFrames();
        keyedBones_.assign(rig.bones.size(), false);
        for (std::size_t i = 0; i < rig.bones.size(); ++i) {
            const RigBone& bone = rig.bones[i];
            // A bone no frame stands for keeps its rest pose: the game has nothing that moves it.
            if (bone.frame && (fullBody || binding_.trackOf(*bone.frame) != nullptr)) {
                keyedBones_[keyHolder(i)] = true;
            }
        }
        for (const RigIkBone& ik : rig.ikBones) {
            const std::optional<std::size_t> target = rig.bones[ik.targetBone].frame;
            keyedIks_.push_back(target && (fullBody || moved_[*target]));
        }
    }

    VmdMotion write(std::uint32_t lastFrame) {
        VmdMotion motion;
        motion.sjisModelName = vmdModelName(rig_.modelName);
        std::vector<VmdBoneTrack> boneTracks(rig_.bones.size());
        std::vector<VmdBoneTrack> ikTracks(rig_.ikBones.size());
        // A keyed bone gets a key at every frame: sized once, never regrown.
        reserveKeys(boneTracks, keyedBones_, lastFrame);
        reserveKeys(ikTracks, keyedIks_, lastFrame);
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            worldPoses(model_, binding_, sampler_.localsAt(frameTime(frame)), worlds_);
            for (std::size_t bone = 0; bone < rig_.bones.size(); ++bone) {
                const std::size_t holder = keyHolder(bone);
                if (rig_.bones[bone].frame && keyedBones_[holder]) {
                    boneTracks[holder].keys.push_back(boneKey(bone, frame, boneTracks[holder].keys));
                }
            }
            for (std::size_t ik = 0; ik < rig_.ikBones.size(); ++ik) {
                if (keyedIks_[ik]) {
                    ikTracks[ik].keys.push_back(ikKey(ik, frame));
                }
            }
        }
        collect(motion, boneTracks, [&](std::size_t i) { return vmdBoneName(rig_.bones[i].name, warn_); });
        const std::size_t ikKeyed =
            collect(motion, ikTracks, [&](std::size_t i) { return vmdBoneName(rig_.ikBones[i].name, warn_); });
        if (ikKeyed > 0) {
            // With the IK bones off, MMD shows the legs as keyed; with them on,
            // the IK keys above put the feet where the legs already are.
            VmdShowIkFrame ikOff{0, true, {}};
            for (const RigIkBone& ik : rig_.ikBones) {
                ikOff.iks.push_back({vmdIkName(ik.name), false});
            }
            motion.showIk.push_back(std::move(ikOff));
        }
        return motion;
    }

private:
    // Whether the animation moves the whole body: a track for the rig's first frame bone, the root.
    bool rootTracked() const {
        for (const RigBone& bone : rig_.bones) {
            if (bone.frame) {
                return binding_.trackOf(*bone.frame) != nullptr;
            }
        }
        return false;
    }

    // The bone whose track holds a bone's keys: its own, or the one above
    // that carries them for it, which stands where it stands and moves
    // nothing else, so that the bones below land in the same places.
    std::size_t keyHolder(std::size_t bone) const { return rig_.bones[bone].keysOn.value_or(bone); }

    static void reserveKeys(std::vector<VmdBoneTrack>& tracks, const std::vector<bool>& keyed,
                            std::uint32_t lastFrame) {
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (keyed[i]) {
                tracks[i].keys.reserve(std::size_t{lastFrame} + 1);
            }
        }
    }

    // Frames whose world pose the animation changes: tracked ones and everything below them.
    void markMovedFrames() {
        moved_.assign(model_.frames.size(), false);
        for (std::size_t frame : binding_.parentsFirst()) {
            const std::int32_t parent = model_.frames[frame].parentIndex;
            const bool parentMoved = parent >= 0 && static_cast<std::size_t>(parent) < moved_.size() &&
                                     moved_[static_cast<std::size_t>(parent)];
            moved_[frame] = binding_.trackOf(frame) != nullptr || parentMoved;
        }
    }

    // The game's world position mapped into the PMX: in PMX units, MMD's
    // axes, the game's origin on the rest origin.
    static Point mmdPosition(const Point& game) { return gameToMmdAxes(game) * pmxUnits + toPoint(pmxRestOrigin); }

    // A bone as MMD shows it at this frame: a frame bone where the game has
    // its frame, a bone no frame stands for unturned below its parent.
    FramePose mmdWorld(std::size_t bone) const {
        const RigBone& rigBone = rig_.bones[bone];
        if (rigBone.frame) {
            const FramePose& world = worlds_[*rigBone.frame];
            const Rotation turn = gameToMmdRotation() * world.rotation * rigBone.axesInverse;
            return {turn, mmdPosition(world.position) + turn * rigBone.frameOffset};
        }
        if (rigBone.parent < 0) {
            return {Rotation(1.0), rigBone.rest};
        }
        const RigBone& parent = rig_.bones[static_cast<std::size_t>(rigBone.parent)];
        const FramePose above = mmdWorld(static_cast<std::size_t>(rigBone.parent));
        return {above.rotation, above.position + above.rotation * (rigBone.rest - parent.rest)};
    }

    VmdBoneKey boneKey(std::size_t bone, std::uint32_t frame, const std::vector<VmdBoneKey>& earlier) const {
        const RigBone& rigBone = rig_.bones[bone];
        const std::size_t dffFrame = *rigBone.frame;
        const FramePose& world = worlds_[dffFrame];
        VmdBoneKey key;
        key.frame = frame;
        if (rigBone.parent < 0) {
            // A bone without a PMX parent turns and moves in MMD's world.
            key.rotation = keyRotation(gameToMmdRotation() * world.rotation * rigBone.axesInverse, earlier);
            key.position = toVec3(mmdPosition(world.position) - rigBone.rest);
            return key;
        }
        const RigBone& parent = rig_.bones[static_cast<std::size_t>(rigBone.parent)];
        const IfpTrack* track = binding_.trackOf(dffFrame);
        // A bone away from its frame's place moves as its frame turns.
        const bool moves = (track != nullptr && track->hasTranslation) || rigBone.frameOffset != Point(0.0);
        if (rigBone.parentIsGameParent) {
            // The game's local turn and move, in the parent's axes: exact, with no world pose between.
            const FramePose& local = sampler_.locals()[dffFrame];
            key.rotation = keyRotation(parent.axes * local.rotation * rigBone.axesInverse, earlier);
            if (moves) {
                const Point rest = toPoint(model_.frames[dffFrame].translation);
                key.position = toVec3(parent.axes * (local.position - rest) * pmxUnits);
            }
            return key;
        }
        // Another parent than the game's: the turn and move from the parent's as MMD shows it.
        const FramePose above = mmdWorld(static_cast<std::size_t>(rigBone.parent));
        const Rotation aboveInverse = glm::transpose(above.rotation);
        const FramePose shown = mmdWorld(bone);
        key.rotation = keyRotation(aboveInverse * shown.rotation, earlier);
        // The game's parent may carry the bone away from where this parent
        // would (a hip's move and turn carry the chest in the game): the key
        // moves it there, unless that is rounding.
        const Point offset = aboveInverse * (shown.position - above.position) - (rigBone.rest - parent.rest);
        if (moves || glm::length(offset) > smallestOffset) {
            key.position = toVec3(offset);
        }
        return key;
    }

    VmdBoneKey ikKey(std::size_t ik, std::uint32_t frame) const {
        const RigIkBone& rigIk = rig_.ikBones[ik];
        Point offset = targetPosition(rigIk) - rigIk.rest;
        if (rigIk.parentIk >= 0) {
            // The parent IK bone stands on its own target and does not turn.
            const RigIkBone& parent = rig_.ikBones[static_cast<std::size_t>(rigIk.parentIk)];
            offset -= targetPosition(parent) - parent.rest;
        } else if (rigIk.parentBone >= 0) {
            const auto parentBone = static_cast<std::size_t>(rigIk.parentBone);
            const FramePose above = mmdWorld(parentBone);
            offset = glm::transpose(above.rotation) * (targetPosition(rigIk) - above.position) -
                     (rigIk.rest - rig_.bones[parentBone].rest);
        }
        VmdBoneKey key;
        key.frame = frame;
        key.position = toVec3(offset);
        return key;
    }

    Point targetPosition(const RigIkBone& ik) const {
        return mmdPosition(worlds_[*rig_.bones[ik.targetBone].frame].position);
    }

    template <typename NameOf>
    static std::size_t collect(VmdMotion& motion, std::vector<VmdBoneTrack>& tracks, NameOf nameOf) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (!tracks[i].keys.empty()) {
                tracks[i].sjisName = nameOf(i);
                motion.bones.push_back(std::move(tracks[i]));
                ++kept;
            }
        }
        return kept;
    }

    const MotionRig& rig_;
    const DffModel& model_;
    AnimationBinding binding_;
    GamePoseSampler sampler_;
    std::vector<bool> moved_;
    std::vector<bool> keyedBones_;
    std::vector<bool> keyedIks_;
    std::vector<FramePose> worlds_;
    const WarningSink& warn_;
};

}  // namespace

std::uint32_t lastMotionFrame(const IfpAnimation& animation) {
    const float duration = animation.duration();
    if (!std::isfinite(duration) || duration > longestMotionSeconds) {
        throw UserMessageError("アニメーションが長すぎます: " + shownAnimationName(animation.name));
    }
    if (duration <= 0) {
        return 0;
    }
    auto frame = static_cast<std::uint32_t>(std::floor(static_cast<double>(duration) * mmdFramesPerSecond));
    while (frameTime(frame) < duration) {
        ++frame;
    }
    return frame;
}

VmdMotion buildMotion(const MotionRig& rig, const DffModel& model, const IfpAnimation& animation,
                      const WarningSink& warn) {
    const std::uint32_t lastFrame = lastMotionFrame(animation);
    MotionWriter writer(rig, model, animation, warn);
    VmdMotion motion = writer.write(lastFrame);
    if (motion.bones.empty()) {
        warn("モデルのボーンを動かすトラックがありません: " + shownAnimationName(animation.name));
    }
    return motion;
}

}  // namespace zorvek

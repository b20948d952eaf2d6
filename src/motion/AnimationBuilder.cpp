#include "motion/AnimationBuilder.h"

#include "base/PortableMath.h"
#include "base/UserMessageError.h"
#include "ifp/IfpQuantisation.h"
#include "motion/GamePose.h"
#include "motion/MmdPoser.h"
#include "motion/MotionBuilder.h"
#include "motion/RigMotion.h"

#include <glm/matrix.hpp>

#include <cmath>
#include <numbers>
#include <optional>

namespace zorvek {

namespace {

// A bone whose key moves it less than this (in PMX units; 0.1 mm in the
// game) keeps its frame's own translation.
constexpr double smallestMove = 0.001;
// A bone whose local rotation stays this close to its frame's own keeps that
// one: the bind pose and the frames' rotations of a model often differ by
// float rounding, which must not give every bone a track.
constexpr double smallestTurnDegrees = 0.05;
constexpr std::size_t longestTrackName = 23;
constexpr double pmxUnits = pmxUnitsPerGameUnit;

bool isFinite(const Vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

std::string trackName(const std::string& frameName) {
    return frameName.substr(0, std::min(frameName.find('\0'), longestTrackName));
}

// What MMD shows of one bone at one frame.
struct PlayedBone {
    Quaternion world{1, 0, 0, 0};
    Point position{0.0};
    Point offset{0.0};
};

// Plays the motion once, then writes the keys: a bone gets a track only when
// some frame needs one, and the keys below a bone without a track must be
// computed against the frame's own rotation, which the game keeps for it.
class AnimationWriter {
public:
    AnimationWriter(const MotionRig& rig, const DffModel& model, const RigMotion& motion)
        : rig_(rig),
          model_(model),
          motion_(motion),
          order_(parentsFirstOrder(model)),
          boneOfFrame_(model.frames.size(), -1),
          worlds_(model.frames.size()),
          keys_(rig.bones.size()),
          turned_(rig.bones.size(), false),
          moved_(rig.bones.size(), false),
          mmdToGame_(glm::transpose(gameToMmdRotation())),
          smallestTurnDot_(portable::cos(smallestTurnDegrees * std::numbers::pi / 180.0 / 2.0)) {
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            const std::optional<std::size_t> frame = rig.bones[bone].frame;
            // A bone no frame stands for has no track of its own; what it turns reaches the frames below it.
            restRotations_.push_back(frame ? glm::normalize(glm::quat_cast(columnForm(model.frames[*frame].rotation)))
                                           : Quaternion(1, 0, 0, 0));
            if (frame) {
                boneOfFrame_[*frame] = static_cast<std::int32_t>(bone);
            }
        }
        // The bones whose frames the game roots at the ped's place: their
        // translation comes from where MMD puts them.
        rootLike_.assign(rig.bones.size(), false);
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            const std::optional<std::size_t> frame = rig.bones[bone].frame;
            if (frame) {
                const std::int32_t parent = model.frames[*frame].parentIndex;
                rootLike_[bone] = parent < 0 || static_cast<std::size_t>(parent) >= model.frames.size() ||
                                  boneOfFrame_[static_cast<std::size_t>(parent)] < 0;
            }
        }
    }

    IfpAnimation write(std::string name, std::uint32_t lastFrame, const std::optional<KeyTolerance>& reduction) {
        play(lastFrame);
        for (std::size_t bone = 0; bone < rig_.bones.size(); ++bone) {
            if (hasTrack(bone)) {
                keys_[bone].reserve(std::size_t{lastFrame} + 1);
            }
        }
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            const float time = static_cast<float>(frame) / mmdFramesPerSecond;
            for (std::size_t dffFrame : order_) {
                keyFrame(dffFrame, frame, time);
            }
        }
        IfpAnimation animation;
        animation.name = std::move(name);
        for (std::size_t bone = 0; bone < rig_.bones.size(); ++bone) {
            if (!hasTrack(bone)) {
                continue;
            }
            const DffFrame& frame = model_.frames[*rig_.bones[bone].frame];
            IfpTrack track;
            track.name = trackName(frame.frameName);
            track.boneId = frame.boneId;
            track.hasTranslation = hasTranslation(bone);
            track.keys = reduction ? reduceKeys(keys_[bone], track.hasTranslation, *reduction) : std::move(keys_[bone]);
            animation.tracks.push_back(std::move(track));
        }
        return animation;
    }

private:
    bool rootLike(std::size_t bone) const { return rootLike_[bone]; }
    bool hasTranslation(std::size_t bone) const { return rootLike(bone) || moved_[bone]; }
    bool hasTrack(std::size_t bone) const { return rig_.bones[bone].frame && (hasTranslation(bone) || turned_[bone]); }

    const PlayedBone& played(std::uint32_t frame, std::size_t bone) const {
        return played_[std::size_t{frame} * rig_.bones.size() + bone];
    }

    // Every frame as MMD shows it, and which bones turn or move away from their frames' own.
    void play(std::uint32_t lastFrame) {
        MmdPoser poser(rig_, motion_);
        played_.resize((std::size_t{lastFrame} + 1) * rig_.bones.size());
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            poser.poseAt(frame);
            for (std::size_t bone = 0; bone < rig_.bones.size(); ++bone) {
                const MmdBonePose& pose = poser.bones()[bone];
                PlayedBone& kept = played_[std::size_t{frame} * rig_.bones.size() + bone];
                kept = {pose.world, pose.position, pose.offset};
                moved_[bone] = moved_[bone] || (!rootLike(bone) && glm::length(pose.offset) > smallestMove);
            }
            for (std::size_t dffFrame : order_) {
                const Rotation& above = parentWorld(dffFrame).rotation;
                const std::int32_t bone = boneOfFrame_[dffFrame];
                if (bone < 0) {
                    worlds_[dffFrame].rotation = above * columnForm(model_.frames[dffFrame].rotation);
                    continue;
                }
                const auto b = static_cast<std::size_t>(bone);
                worlds_[dffFrame].rotation = gameWorld(played(frame, b), b);
                const Quaternion local =
                    glm::normalize(glm::quat_cast(glm::transpose(above) * worlds_[dffFrame].rotation));
                turned_[b] = turned_[b] || !(std::abs(glm::dot(local, restRotations_[b])) >= smallestTurnDot_);
            }
        }
    }

    Rotation gameWorld(const PlayedBone& pose, std::size_t bone) const {
        return mmdToGame_ * glm::mat3_cast(pose.world) * rig_.bones[bone].axes;
    }

    const FramePose& parentWorld(std::size_t frame) const {
        static const FramePose origin;
        const std::int32_t parent = model_.frames[frame].parentIndex;
        return parent >= 0 && static_cast<std::size_t>(parent) < worlds_.size()
                   ? worlds_[static_cast<std::size_t>(parent)]
                   : origin;
    }

    void keyFrame(std::size_t frame, std::uint32_t motionFrame, float time) {
        const FramePose& above = parentWorld(frame);
        const DffFrame& dffFrame = model_.frames[frame];
        const std::int32_t boneNumber = boneOfFrame_[frame];
        if (boneNumber < 0 || !hasTrack(static_cast<std::size_t>(boneNumber))) {
            worlds_[frame].rotation = above.rotation * columnForm(dffFrame.rotation);
            worlds_[frame].position = above.position + above.rotation * toPoint(dffFrame.translation);
            return;
        }
        const auto bone = static_cast<std::size_t>(boneNumber);
        const RigBone& rigBone = rig_.bones[bone];
        const PlayedBone& pose = played(motionFrame, bone);
        // Against the parent's world as the game will have it, so that
        // rounding does not add up down a chain.
        const Rotation aboveInverse = glm::transpose(above.rotation);
        const Vec4 rotation = keyRotation(glm::quat_cast(aboveInverse * gameWorld(pose, bone)), bone);

        Point translation = toPoint(dffFrame.translation);
        if (rootLike(bone) || (moved_[bone] && !rigBone.parentIsGameParent)) {
            // Where MMD puts the frame (not the bone, which may stand away
            // from it), relative to the game parent as the file will have it.
            const Point place = pose.position - pose.world * rigBone.frameOffset;
            const Point game = mmdToGameAxes((place - toPoint(pmxRestOrigin)) / pmxUnits);
            translation = aboveInverse * (game - above.position);
        } else if (moved_[bone]) {
            translation += rig_.bones[static_cast<std::size_t>(rigBone.parent)].axesInverse * pose.offset / pmxUnits;
        }
        const Vec3 keyTranslation = toVec3(translation);
        if (!isFinite(keyTranslation) || !std::isfinite(rotation.x) || !std::isfinite(rotation.y) ||
            !std::isfinite(rotation.z) || !std::isfinite(rotation.w)) {
            // Keys of infinite or NaN positions, or so far out that MMD's sums overflow.
            throw UserMessageError("VMDに扱えない値のキーがあります: " + shownAnimationName(dffFrame.frameName));
        }
        worlds_[frame].rotation = above.rotation * glm::mat3_cast(unitQuaternion(storedRotation(rotation)));
        worlds_[frame].position = above.position + above.rotation * translation;
        keys_[bone].push_back({rotation, keyTranslation, time});
    }

    // The quaternion on the side of the previous key's (of the identity's for
    // the first), as the game's files keep them.
    Vec4 keyRotation(const Quaternion& local, std::size_t bone) const {
        Quaternion q = glm::normalize(local);
        const Vec4 previous = keys_[bone].empty() ? Vec4{0, 0, 0, 1} : keys_[bone].back().rotation;
        if (q.x * previous.x + q.y * previous.y + q.z * previous.z + q.w * previous.w < 0) {
            q = -q;
        }
        return toVec4(q);
    }

    const MotionRig& rig_;
    const DffModel& model_;
    const RigMotion& motion_;
    std::vector<std::size_t> order_;
    std::vector<std::int32_t> boneOfFrame_;
    std::vector<Quaternion> restRotations_;
    std::vector<PlayedBone> played_;  // by frame, then bone
    std::vector<FramePose> worlds_;
    std::vector<std::vector<IfpKey>> keys_;
    std::vector<bool> rootLike_;
    std::vector<bool> turned_;
    std::vector<bool> moved_;
    Rotation mmdToGame_;
    double smallestTurnDot_;
};

}  // namespace

IfpAnimation buildAnimation(const MotionRig& rig, const DffModel& model, const VmdMotion& motion, std::string name,
                            const std::optional<KeyTolerance>& reduction, const WarningSink& warn) {
    const RigMotion bound = bindMotion(rig, motion);
    if (bound.lastFrame > lastIfpMotionFrame) {
        throw UserMessageError("IFPに書けない長さのアニメーションです (546秒まで): " + shownAnimationName(name));
    }
    if (bound.ignoredKeys > 0) {
        warn("モデルにないボーンのキーを無視しました (" + std::to_string(bound.ignoredKeys) + ")");
    }
    if (!bound.anyKey) {
        warn("モデルのボーンを動かすキーがありません");
    }
    AnimationWriter writer(rig, model, bound);
    return writer.write(std::move(name), bound.lastFrame, reduction);
}

}  // namespace zorvek

#include "motion/AnimationBuilder.h"

#include "base/UserMessageError.h"
#include "ifp/IfpQuantisation.h"
#include "motion/GamePose.h"
#include "motion/MmdPoser.h"
#include "motion/MotionBuilder.h"
#include "motion/RigMotion.h"

#include <glm/matrix.hpp>

#include <array>

namespace zorvek {

namespace {

// A bone whose key moves it less than this (in PMX units; 0.1 mm in the
// game) keeps its frame's own translation.
constexpr double smallestMove = 0.001;
constexpr std::size_t longestTrackName = 23;

// The inverse of gameToMmdAxes.
Point mmdToGameAxes(const Point& v) {
    return {-v.x, -v.z, v.y};
}

Vec4 toVec4(const Quaternion& q) {
    return {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z), static_cast<float>(q.w)};
}

Vec3 toVec3(const Point& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

bool sameStoredRotation(const Vec4& a, const Vec4& b) {
    const std::array<std::int16_t, 4> first = compressedRotation(a);
    std::array<std::int16_t, 4> second = compressedRotation(b);
    if (first == second) {
        return true;
    }
    for (std::int16_t& part : second) {
        part = static_cast<std::int16_t>(-part);
    }
    return first == second;
}

std::string trackName(const std::string& frameName) {
    return frameName.substr(0, std::min(frameName.find('\0'), longestTrackName));
}

class AnimationWriter {
public:
    AnimationWriter(const MotionRig& rig, const DffModel& model, const RigMotion& motion)
        : rig_(rig),
          model_(model),
          poser_(rig, motion),
          order_(parentsFirstOrder(model)),
          boneOfFrame_(model.frames.size(), -1),
          worlds_(model.frames.size()),
          keys_(rig.bones.size()),
          turned_(rig.bones.size(), false),
          moved_(rig.bones.size(), false),
          gameToMmd_(gameToMmdRotation()),
          mmdToGame_(glm::transpose(gameToMmd_)) {
        for (std::size_t bone = 0; bone < rig.bones.size(); ++bone) {
            boneOfFrame_[rig.bones[bone].frame] = static_cast<std::int32_t>(bone);
        }
    }

    IfpAnimation write(std::string name, std::uint32_t lastFrame, const std::optional<KeyTolerance>& reduction) {
        for (auto& keys : keys_) {
            keys.reserve(std::size_t{lastFrame} + 1);
        }
        for (std::uint32_t frame = 0; frame <= lastFrame; ++frame) {
            poser_.poseAt(frame);
            const float time = static_cast<float>(frame) / mmdFramesPerSecond;
            for (std::size_t dffFrame : order_) {
                placeFrame(dffFrame, time);
            }
        }
        IfpAnimation animation;
        animation.name = std::move(name);
        for (std::size_t bone = 0; bone < rig_.bones.size(); ++bone) {
            const bool rootLike = rig_.bones[bone].parent < 0;
            if (!rootLike && !turned_[bone] && !moved_[bone]) {
                continue;
            }
            const DffFrame& frame = model_.frames[rig_.bones[bone].frame];
            IfpTrack track;
            track.name = trackName(frame.frameName);
            track.boneId = frame.boneId;
            track.hasTranslation = rootLike || moved_[bone];
            track.keys = reduction ? reduceKeys(keys_[bone], track.hasTranslation, *reduction) : std::move(keys_[bone]);
            animation.tracks.push_back(std::move(track));
        }
        return animation;
    }

private:
    const FramePose& parentWorld(std::size_t frame) const {
        static const FramePose origin;
        const std::int32_t parent = model_.frames[frame].parentIndex;
        return parent >= 0 && static_cast<std::size_t>(parent) < worlds_.size() ? worlds_[static_cast<std::size_t>(parent)]
                                                                                 : origin;
    }

    void placeFrame(std::size_t frame, float time) {
        const FramePose& above = parentWorld(frame);
        const DffFrame& dffFrame = model_.frames[frame];
        const std::int32_t boneNumber = boneOfFrame_[frame];
        if (boneNumber < 0) {
            worlds_[frame].rotation = above.rotation * columnForm(dffFrame.rotation);
            worlds_[frame].position = above.position + above.rotation * toPoint(dffFrame.translation);
            return;
        }
        const auto bone = static_cast<std::size_t>(boneNumber);
        const RigBone& rigBone = rig_.bones[bone];
        const MmdBonePose& pose = poser_.bones()[bone];
        // Against the parent's world as the file will hold it, so that rounding
        // does not add up down a chain.
        const Rotation world = mmdToGame_ * glm::mat3_cast(pose.world) * rigBone.axes;
        const Rotation aboveInverse = glm::transpose(above.rotation);
        const Vec4 rotation = keyRotation(glm::quat_cast(aboveInverse * world), bone);

        Point translation = toPoint(dffFrame.translation);
        if (rigBone.parent < 0) {
            const Point game = mmdToGameAxes((pose.position - Point(0, 10, 0)) / 10.0);
            translation = aboveInverse * (game - above.position);
        } else {
            moved_[bone] = moved_[bone] || glm::length(pose.offset) > smallestMove;
            translation += rig_.bones[static_cast<std::size_t>(rigBone.parent)].axesInverse * pose.offset / 10.0;
        }
        worlds_[frame].rotation = above.rotation * glm::mat3_cast(unitQuaternion(storedRotation(rotation)));
        worlds_[frame].position = above.position + above.rotation * translation;
        turned_[bone] = turned_[bone] || !sameStoredRotation(rotation, restRotation(dffFrame));
        keys_[bone].push_back({rotation, toVec3(translation), time});
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

    static Vec4 restRotation(const DffFrame& frame) {
        return toVec4(glm::normalize(glm::quat_cast(columnForm(frame.rotation))));
    }

    const MotionRig& rig_;
    const DffModel& model_;
    MmdPoser poser_;
    std::vector<std::size_t> order_;
    std::vector<std::int32_t> boneOfFrame_;
    std::vector<FramePose> worlds_;
    std::vector<std::vector<IfpKey>> keys_;
    std::vector<bool> turned_;
    std::vector<bool> moved_;
    Rotation gameToMmd_;
    Rotation mmdToGame_;
};

}  // namespace

IfpAnimation buildAnimation(const MotionRig& rig, const DffModel& model, const VmdFile& motion, std::string name,
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

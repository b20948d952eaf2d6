#pragma once

// The pose the game gives a ped's frames at a moment of an animation.

#include "dff/DffModel.h"
#include "ifp/IfpAnimation.h"
#include "motion/PoseMath.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace zorvek {

struct FramePose {
    Rotation rotation{1.0};
    Point position{0.0};
};

// Items (frames, bones) ordered so that every parent comes before its
// children; a parent outside 0 ... count - 1 makes a root. Throws
// UserMessageError "フレームの親子関係が循環しています" for parents that form a loop.
std::vector<std::size_t> parentsFirstOrder(std::size_t count, const std::function<std::int32_t(std::size_t)>& parentOf);
std::vector<std::size_t> parentsFirstOrder(const DffModel& model);

// Which track moves which frame of the model, and the order in which the
// frames' world poses can be computed (every parent before its children).
class AnimationBinding {
public:
    // Tracks find their frame by bone id, or by name when the id is -1; a
    // track for a frame the model lacks is left out, as the game does.
    // Throws UserMessageError for frames whose parents form a loop.
    AnimationBinding(const DffModel& model, const IfpAnimation& animation);

    const IfpTrack* trackOf(std::size_t frame) const { return tracks_[frame]; }
    const std::vector<std::size_t>& parentsFirst() const { return order_; }

private:
    std::vector<const IfpTrack*> tracks_;
    std::vector<std::size_t> order_;
};

// Local poses of every frame at a time: the animation's where a track moves
// the frame, else the frame's own. Each track's keys are looked up from the
// last place, so times are asked in increasing order.
class GamePoseSampler {
public:
    GamePoseSampler(const DffModel& model, const AnimationBinding& binding);

    const std::vector<FramePose>& localsAt(float time);
    const std::vector<FramePose>& locals() const { return locals_; }

private:
    const DffModel& model_;
    const AnimationBinding& binding_;
    std::vector<FramePose> rest_;
    std::vector<FramePose> locals_;
    std::vector<std::size_t> nextKey_;
};

// World poses from local ones. A frame without a parent stands at the game's
// origin, where the ped is placed, unless a track moves it.
void worldPoses(const DffModel& model, const AnimationBinding& binding, const std::vector<FramePose>& locals,
                std::vector<FramePose>& worlds);

// A track's pose at a time, between the keys around it (times from the first
// key on; the first key holds before it and the last after it). At a time two
// keys share, the later one counts: the jump has happened.
FramePose sampleTrack(const IfpTrack& track, float time, std::size_t& nextKey);

}  // namespace zorvek

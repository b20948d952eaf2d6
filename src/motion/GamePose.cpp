#include "motion/GamePose.h"

#include "base/TextBlanks.h"
#include "base/UserMessageError.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace zorvek {

namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::vector<const IfpTrack*> bindTracks(const DffModel& model, const IfpAnimation& animation) {
    std::unordered_map<std::int32_t, std::size_t> frameById;
    for (std::size_t i = model.frames.size(); i-- > 0;) {
        if (model.frames[i].boneId != -1) {
            frameById[model.frames[i].boneId] = i;  // the first frame with an id wins
        }
    }
    std::vector<const IfpTrack*> tracks(model.frames.size(), nullptr);
    for (const IfpTrack& track : animation.tracks) {
        std::optional<std::size_t> frame;
        if (track.boneId != -1) {
            if (const auto it = frameById.find(track.boneId); it != frameById.end()) {
                frame = it->second;
            }
        } else {
            const std::string_view name = trimBlanks(track.name);
            for (std::size_t i = 0; i < model.frames.size() && !frame; ++i) {
                if (sameNameIgnoringCase(trimBlanks(model.frames[i].frameName), name)) {
                    frame = i;
                }
            }
        }
        // An empty track moves nothing; of two tracks for one frame the first counts.
        if (frame && !track.keys.empty() && tracks[*frame] == nullptr) {
            tracks[*frame] = &track;
        }
    }
    return tracks;
}

FramePose framePose(const DffFrame& frame) {
    return {columnForm(frame.rotation), toPoint(frame.translation)};
}

}  // namespace

std::vector<std::size_t> parentsFirstOrder(std::size_t count,
                                           const std::function<std::int32_t(std::size_t)>& parentOf) {
    enum class State { Unvisited, Visiting, Done };
    std::vector<State> state(count, State::Unvisited);
    std::vector<std::size_t> order;
    order.reserve(count);
    std::vector<std::size_t> chain;
    for (std::size_t start = 0; start < count; ++start) {
        // Walk up to a placed item or a root, then place the chain top down.
        std::size_t item = start;
        while (state[item] == State::Unvisited) {
            state[item] = State::Visiting;
            chain.push_back(item);
            const std::int32_t parent = parentOf(item);
            if (parent < 0 || static_cast<std::size_t>(parent) >= count) {
                break;
            }
            item = static_cast<std::size_t>(parent);
            if (state[item] == State::Visiting) {
                throw UserMessageError("フレームの親子関係が循環しています");
            }
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            state[*it] = State::Done;
            order.push_back(*it);
        }
        chain.clear();
    }
    return order;
}

std::vector<std::size_t> parentsFirstOrder(const DffModel& model) {
    return parentsFirstOrder(model.frames.size(), [&](std::size_t frame) { return model.frames[frame].parentIndex; });
}

AnimationBinding::AnimationBinding(const DffModel& model, const IfpAnimation& animation)
    : tracks_(bindTracks(model, animation)), order_(parentsFirstOrder(model)) {}

GamePoseSampler::GamePoseSampler(const DffModel& model, const AnimationBinding& binding)
    : model_(model), binding_(binding), nextKey_(model.frames.size(), 0) {
    rest_.reserve(model.frames.size());
    for (const DffFrame& frame : model.frames) {
        rest_.push_back(framePose(frame));
    }
    locals_ = rest_;
}

const std::vector<FramePose>& GamePoseSampler::localsAt(float time) {
    for (std::size_t frame = 0; frame < locals_.size(); ++frame) {
        if (const IfpTrack* track = binding_.trackOf(frame)) {
            const FramePose keyed = sampleTrack(*track, time, nextKey_[frame]);
            locals_[frame].rotation = keyed.rotation;
            // A keyed translation replaces the frame's own offset.
            locals_[frame].position = track->hasTranslation ? keyed.position : rest_[frame].position;
        }
    }
    return locals_;
}

FramePose sampleTrack(const IfpTrack& track, float time, std::size_t& nextKey) {
    const std::vector<IfpKey>& keys = track.keys;
    std::size_t next = std::min(nextKey, keys.size());
    if (next > 0 && keys[next - 1].time > time) {
        next = 0;  // asked for an earlier time: search from the start
    }
    while (next < keys.size() && keys[next].time <= time) {
        ++next;
    }
    nextKey = next;
    if (next == 0 || next == keys.size()) {
        const IfpKey& held = keys[next == 0 ? 0 : keys.size() - 1];
        return {glm::mat3_cast(unitQuaternion(held.rotation)), toPoint(held.translation)};
    }
    const IfpKey& from = keys[next - 1];
    const IfpKey& to = keys[next];
    const double u = (static_cast<double>(time) - from.time) / (static_cast<double>(to.time) - from.time);
    const Quaternion rotation = slerpShortArc(unitQuaternion(from.rotation), unitQuaternion(to.rotation), u);
    const Point translation = toPoint(from.translation) + (toPoint(to.translation) - toPoint(from.translation)) * u;
    return {glm::mat3_cast(rotation), translation};
}

void worldPoses(const DffModel& model, const AnimationBinding& binding, const std::vector<FramePose>& locals,
                std::vector<FramePose>& worlds) {
    worlds.resize(locals.size());
    for (std::size_t frame : binding.parentsFirst()) {
        const std::int32_t parent = model.frames[frame].parentIndex;
        if (parent < 0 || static_cast<std::size_t>(parent) >= model.frames.size()) {
            // The game puts its placement of the ped in place of the top frame's own matrix.
            worlds[frame] = binding.trackOf(frame) != nullptr ? locals[frame] : FramePose{};
            continue;
        }
        const FramePose& above = worlds[static_cast<std::size_t>(parent)];
        worlds[frame].rotation = above.rotation * locals[frame].rotation;
        worlds[frame].position = above.position + above.rotation * locals[frame].position;
    }
}

}  // namespace zorvek

#include "skeleton/BoneFrames.h"

#include "base/UserMessageError.h"

#include <limits>

namespace zorvek {

void checkBoneNumbersWithin(const DffModel& model, std::size_t boneCount) {
    for (const DffFrame& frame : model.frames) {
        if (frame.boneNumber < -1 ||
            (frame.boneNumber >= 0 && static_cast<std::size_t>(frame.boneNumber) >= boneCount)) {
            throw UserMessageError("スキンにないボーン番号があります");
        }
    }
}

std::vector<std::size_t> findBoneFrames(const DffModel& model, std::size_t boneCount) {
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> boneFrames(boneCount, none);
    for (std::size_t i = 0; i < model.frames.size(); ++i) {
        const std::int32_t number = model.frames[i].boneNumber;
        if (number >= 0 && static_cast<std::size_t>(number) < boneCount && boneFrames[number] == none) {
            boneFrames[number] = i;
        }
    }
    for (std::size_t frame : boneFrames) {
        if (frame == none) {
            throw UserMessageError("ボーン番号に欠落があります");
        }
    }
    return boneFrames;
}

void checkParentFrame(const DffModel& model, std::size_t frame, bool allowNoParent) {
    const std::int32_t parent = model.frames[frame].parentIndex;
    const bool named = parent >= 0 && static_cast<std::size_t>(parent) < model.frames.size();
    if (!named && !(allowNoParent && parent == -1)) {
        throw UserMessageError("親フレームのないボーンがあります");
    }
}

const BoneTableEntry* findBoneRow(const BoneTable& bones, std::int32_t boneId) {
    // The table's ids are unsigned 32-bit: a frame's -5 is the row written "-5" (4294967291).
    return bones.find(static_cast<std::uint32_t>(boneId));
}

}  // namespace zorvek

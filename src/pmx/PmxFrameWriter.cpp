#include "pmx/PmxFrameWriter.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace zorvek {

namespace {

constexpr std::uint8_t boneElement = 0;

// Bones firstBone up to endBone, as bone elements.
struct DisplayFrame {
    std::u16string_view name;
    std::u16string_view englishName;
    bool special;
    std::int32_t firstBone;
    std::int32_t endBone;
};

std::vector<DisplayFrame> displayFrames(const BonePlan& plan) {
    const std::int32_t skinBones = plan.skinBoneCount();
    const std::int32_t ikBones = plan.ikBoneCount();
    std::vector<DisplayFrame> frames{{u"Root", u"Root", true, 0, 1}, {u"表情", u"Exp", true, 0, 0}};
    if (ikBones > 0) {
        frames.push_back({u"ＩＫ", u"IK", false, skinBones, skinBones + ikBones});
    }
    frames.push_back({u"ボーン", u"Bone", false, 1, skinBones});
    return frames;
}

void writeFrame(PmxBuffer& buffer, const DisplayFrame& frame) {
    buffer.writeWideText(frame.name);
    buffer.writeWideText(frame.englishName);
    buffer.appendU8(frame.special ? 1 : 0);
    buffer.appendI32(frame.endBone - frame.firstBone);
    for (std::int32_t bone = frame.firstBone; bone < frame.endBone; ++bone) {
        buffer.appendU8(boneElement);
        buffer.appendBoneIndex(bone);
    }
}

}  // namespace

void writeDisplayFrames(PmxBuffer& buffer, const BonePlan& plan) {
    const std::vector<DisplayFrame> frames = displayFrames(plan);
    buffer.appendI32(static_cast<std::int32_t>(frames.size()));
    for (const DisplayFrame& frame : frames) {
        writeFrame(buffer, frame);
    }
}

std::size_t displayFrameSectionSize(const BonePlan& plan) {
    std::size_t size = 4;
    for (const DisplayFrame& frame : displayFrames(plan)) {
        // Names, the special flag and the element count, then one element type and bone index per bone.
        size += PmxBuffer::textSize(frame.name.size()) + PmxBuffer::textSize(frame.englishName.size()) + 1 + 4;
        if (frame.endBone > frame.firstBone) {
            size += static_cast<std::size_t>(frame.endBone - frame.firstBone) *
                    (1 + static_cast<std::size_t>(plan.boneIndexSize));
        }
    }
    return size;
}

}  // namespace zorvek

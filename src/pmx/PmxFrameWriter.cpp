#include "pmx/PmxFrameWriter.h"

#include <cstdint>
#include <string_view>

namespace zorvek {

namespace {

constexpr std::uint8_t boneElement = 0;

void writeFrame(PmxBuffer& buffer, std::u16string_view name, std::u16string_view englishName, bool special,
                std::int32_t firstBone, std::int32_t endBone) {
    buffer.writeWideText(name);
    buffer.writeWideText(englishName);
    buffer.appendU8(special ? 1 : 0);
    buffer.appendI32(endBone - firstBone);
    for (std::int32_t bone = firstBone; bone < endBone; ++bone) {
        buffer.appendU8(boneElement);
        buffer.appendBoneIndex(bone);
    }
}

}  // namespace

void writeDisplayFrames(PmxBuffer& buffer, const BonePlan& plan) {
    const std::int32_t skinBones = plan.skinBoneCount();
    const std::int32_t ikBones = plan.ikBoneCount();
    buffer.appendI32(ikBones == 0 ? 3 : 4);
    writeFrame(buffer, u"Root", u"Root", true, 0, 1);
    writeFrame(buffer, u"表情", u"Exp", true, 0, 0);
    if (ikBones > 0) {
        writeFrame(buffer, u"ＩＫ", u"IK", false, skinBones, skinBones + ikBones);
    }
    writeFrame(buffer, u"ボーン", u"Bone", false, 1, skinBones);
}

}  // namespace zorvek

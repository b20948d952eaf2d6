#include "pmx/PmxBoneWriter.h"

#include "base/TextEncoding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

namespace {

enum BoneFlag : std::uint16_t {
    TailIsBone = 0x0001,
    CanRotate = 0x0002,
    CanMove = 0x0004,
    Visible = 0x0008,
    CanOperate = 0x0010,
    IsIk = 0x0020,
    LocalAxes = 0x0800,
};

constexpr std::uint16_t skinBoneFlags = CanRotate | Visible | CanOperate | LocalAxes;
constexpr std::uint16_t ikBoneFlags = TailIsBone | CanRotate | CanMove | Visible | CanOperate | IsIk;
constexpr std::uint16_t tipBoneFlags = TailIsBone | CanRotate | CanOperate;
constexpr float positionScale = pmxUnitsPerDffUnit;
constexpr float shortestTip = 1.0f;

struct TipBone {
    std::u16string name;
    std::u16string englishName;
    std::int32_t parent = -1;
    Vec3 position;
};

Vec3 times(Vec3 v, float factor) {
    return {v.x * factor, v.y * factor, v.z * factor};
}

Vec3 plus(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vec3 minus(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

// An unknown bone's tip carries the bare frame name.
std::u16string skinTipName(const DffModel& model, ConversionMode mode, const SkinBonePlan& bone) {
    const DffFrame& frame = model.frames[bone.frame];
    if (bone.row == nullptr) {
        return widenBytes(frame.frameName);
    }
    if (mode == ConversionMode::AxesAndBoneInfo) {
        return bone.row->infoName + u"Nub";
    }
    return bone.row->mmdName + u"先";
}

std::u16string skinTipEnglishName(const DffFrame& frame) {
    return widenBytes(frame.frameName) + u"Nub";
}

std::u16string ikTipName(const IkTableEntry& row) {
    return row.ikName + u"先";
}

// Name, position, parent and transform level 0, shared by every bone record.
void writeBoneHead(PmxBuffer& buffer, std::u16string_view name, std::u16string_view englishName, Vec3 position,
                   std::int32_t parent, std::uint16_t flags) {
    buffer.writeWideText(name);
    buffer.writeWideText(englishName);
    buffer.appendVec3(position);
    buffer.appendBoneIndex(parent);
    buffer.appendI32(0);
    buffer.appendU16(flags);
}

// The bytes writeBoneHead writes.
std::size_t boneHeadSize(std::size_t nameUnits, std::size_t englishNameUnits, std::size_t boneIndexSize) {
    return PmxBuffer::textSize(nameUnits) + PmxBuffer::textSize(englishNameUnits) + 12 + boneIndexSize + 4 + 2;
}

void writeTipBone(PmxBuffer& buffer, const TipBone& tip) {
    writeBoneHead(buffer, tip.name, tip.englishName, tip.position, tip.parent, tipBoneFlags);
    buffer.appendBoneIndex(-1);
}

class BoneSectionWriter {
public:
    BoneSectionWriter(PmxBuffer& buffer, const DffModel& model, ConversionMode mode, const BonePlan& plan,
                      const IkTable& iks)
        : buffer_(buffer), model_(model), mode_(mode), plan_(plan), iks_(iks), nextTip_(plan.firstSkinTip()) {}

    void write() {
        buffer_.appendI32(plan_.boneCount());
        for (std::size_t bone = 0; bone < plan_.skinBones.size(); ++bone) {
            writeSkinBone(bone);
        }
        for (const IkBonePlan& ik : plan_.ikBones) {
            writeIkBone(ik);
        }
        for (const TipBone& tip : tips_) {
            writeTipBone(buffer_, tip);
        }
        for (const TipBone& tip : ikTips_) {
            writeTipBone(buffer_, tip);
        }
    }

private:
    std::int32_t parentBone(const DffFrame& frame) const {
        return frame.parentIndex == -1 ? -1 : model_.frames[static_cast<std::size_t>(frame.parentIndex)].boneNumber;
    }

    // The child's offset projected on the bone's X axis, at least one unit.
    float tipLength(const SkinBonePlan& bone, const Matrix44& matrix) const {
        if (!bone.tailChild) {
            return shortestTip;
        }
        const auto child = static_cast<std::size_t>(model_.frames[*bone.tailChild].boneNumber);
        const Vec3 d = minus(model_.boneMatrices[child].row3(3), matrix.row3(3));
        const Vec3 x = matrix.row3(0);
        const float length = positionScale * ((d.y * x.y + d.x * x.x) + d.z * x.z);
        return length < shortestTip ? shortestTip : length;
    }

    Vec3 tipPosition(std::size_t bone, const SkinBonePlan& plan, const Matrix44& matrix) const {
        if (bone == 0) {
            return {0, 9, 0};
        }
        return plus(times(matrix.row3(3), positionScale), times(matrix.row3(0), tipLength(plan, matrix)));
    }

    void writeSkinTail(std::size_t bone, const SkinBonePlan& plan, const Matrix44& matrix) {
        if (plan.hasTip) {
            const DffFrame& frame = model_.frames[plan.frame];
            tips_.push_back({skinTipName(model_, mode_, plan), skinTipEnglishName(frame),
                             static_cast<std::int32_t>(bone), tipPosition(bone, plan, matrix)});
            buffer_.appendBoneIndex(nextTip_++);
        } else if (plan.tailChild) {
            buffer_.appendBoneIndex(model_.frames[*plan.tailChild].boneNumber);
        } else {
            buffer_.appendVec3(bone == 0 ? Vec3{0, -1, 0} : matrix.row3(0));
        }
    }

    void writeSkinBone(std::size_t bone) {
        const SkinBonePlan& plan = plan_.skinBones[bone];
        const DffFrame& frame = model_.frames[plan.frame];
        const Matrix44& matrix = model_.boneMatrices[bone];
        std::uint16_t flags = skinBoneFlags;
        flags |= bone == 0 ? CanMove : 0;
        flags |= plan.hasTip || plan.tailChild ? TailIsBone : 0;
        const Vec3 position = skinBonePosition(model_, bone);
        writeBoneHead(buffer_, skinBoneName(model_, mode_, plan), widenBytes(frame.frameName), position,
                      parentBone(frame), flags);
        writeSkinTail(bone, plan, matrix);
        buffer_.appendVec3(bone == 0 ? Vec3{1, 0, 0} : matrix.row3(0));
        buffer_.appendVec3(bone == 0 ? Vec3{0, 0, 1} : matrix.row3(2));
    }

    void writeLink(std::size_t frame, const IkLink& link) {
        buffer_.appendBoneIndex(model_.frames[frame].boneNumber);
        const bool limited = hasLimits(link);
        buffer_.appendU8(limited ? 1 : 0);
        if (limited) {
            buffer_.appendVec3(link.lowerLimit);
            buffer_.appendVec3(link.upperLimit);
        }
    }

    void writeIkBone(const IkBonePlan& ik) {
        const IkTableEntry& row = iks_[ik.row];
        const std::int32_t target = model_.frames[ik.targetFrame].boneNumber;
        const Vec3 position = ikBonePosition(model_, ik);
        const std::int32_t parent = row.parentIk == -1 ? -1 : plan_.ikBoneIndex[static_cast<std::size_t>(row.parentIk)];
        const std::int32_t self = plan_.ikBoneIndex[ik.row];
        writeBoneHead(buffer_, row.ikName, row.ikName, position, parent, ikBoneFlags);
        // IK tips are written after every tip of a skin bone.
        ikTips_.push_back({ikTipName(row), ikTipName(row), self, plus(position, row.offset)});
        buffer_.appendBoneIndex(plan_.firstIkTip() + static_cast<std::int32_t>(ikTips_.size()) - 1);
        buffer_.appendBoneIndex(target);
        buffer_.appendU32(row.loopCount);
        buffer_.appendFloat(row.limitAngle);
        buffer_.appendI32(static_cast<std::int32_t>(row.links.size()));
        for (std::size_t i = 0; i < row.links.size(); ++i) {
            writeLink(ik.linkFrames[i], row.links[i]);
        }
    }

    PmxBuffer& buffer_;
    const DffModel& model_;
    ConversionMode mode_;
    const BonePlan& plan_;
    const IkTable& iks_;
    std::int32_t nextTip_;
    std::vector<TipBone> tips_;
    std::vector<TipBone> ikTips_;
};

}  // namespace

void writeBones(PmxBuffer& buffer, const DffModel& model, ConversionMode mode, const BonePlan& plan,
                const IkTable& iks) {
    BoneSectionWriter(buffer, model, mode, plan, iks).write();
}

std::size_t boneSectionSize(const DffModel& model, ConversionMode mode, const BonePlan& plan, const IkTable& iks) {
    const auto index = static_cast<std::size_t>(plan.boneIndexSize);
    std::size_t size = 4;
    for (const SkinBonePlan& bone : plan.skinBones) {
        const DffFrame& frame = model.frames[bone.frame];
        const std::size_t tail = bone.hasTip || bone.tailChild ? index : 12;
        size += boneHeadSize(skinBoneName(model, mode, bone).size(), frame.frameName.size(), index) + tail + 12 + 12;
        if (bone.hasTip) {
            size +=
                boneHeadSize(skinTipName(model, mode, bone).size(), skinTipEnglishName(frame).size(), index) + index;
        }
    }
    for (const IkBonePlan& ik : plan.ikBones) {
        const IkTableEntry& row = iks[ik.row];
        // Tail, target, loop count, angle limit and link count, then the links.
        size += boneHeadSize(row.ikName.size(), row.ikName.size(), index) + index + index + 4 + 4 + 4;
        for (const IkLink& link : row.links) {
            size += index + 1 + (hasLimits(link) ? 12 + 12 : 0);
        }
        const std::size_t tipName = ikTipName(row).size();
        size += boneHeadSize(tipName, tipName, index) + index;
    }
    return size;
}

}  // namespace zorvek

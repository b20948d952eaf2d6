#include "convert/GameBoneLayout.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "skeleton/BoneFrames.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zorvek {

namespace {

// One skin bone: PMX index = bone number.
struct SkinBonePlan {
    std::size_t frame = 0;                 // the first frame with this bone number
    std::optional<std::size_t> tailChild;  // the child frame with the smallest bone id
    const BoneTableEntry* row = nullptr;   // names and direction; none in mode None or for unknown ids
    bool hasTip = false;
};

// One IK bone made from a used IkTable row.
struct IkBonePlan {
    std::size_t row = 0;
    std::size_t targetFrame = 0;
    std::vector<std::size_t> linkFrames;
};

// Every bone index of the PMX, fixed before any bone is written so that
// tails, parents and display frames can name bones written later.
struct BonePlan {
    std::vector<SkinBonePlan> skinBones;    // bones 0 ... N - 1
    std::vector<IkBonePlan> ikBones;        // bones N ... N + K - 1, in row order
    std::vector<std::int32_t> ikBoneIndex;  // per IkTable row; -1 when the row is not used
    std::size_t skinTipCount = 0;           // tips of skin bones follow the IK bones, IK tips come last
    std::vector<std::string> warnings;      // in the order they are to be reported

    std::int32_t skinBoneCount() const { return static_cast<std::int32_t>(skinBones.size()); }
    std::int32_t ikBoneCount() const { return static_cast<std::int32_t>(ikBones.size()); }
    std::int32_t firstSkinTip() const { return skinBoneCount() + ikBoneCount(); }
    std::int32_t firstIkTip() const { return firstSkinTip() + static_cast<std::int32_t>(skinTipCount); }
    std::int32_t boneCount() const { return firstIkTip() + ikBoneCount(); }
};

// The most bones a PMX of two-byte bone indices can address (0 to 32767).
constexpr std::int32_t twoByteBoneLimit = std::numeric_limits<std::int16_t>::max() + 1;

std::int32_t countSkinBones(const DffModel& model, const PreparedSkeleton& skeleton) {
    checkBoneNumbersWithin(model, skeleton.boneMatrices.size());
    std::int32_t highest = -1;
    for (const DffFrame& frame : model.frames) {
        highest = std::max(highest, frame.boneNumber);
    }
    if (highest < 0) {
        throw UserMessageError("ファイルにボーンが含まれていません");
    }
    return highest + 1;
}

// For each frame, its child with the smallest bone id (the first among equals).
std::vector<std::optional<std::size_t>> findTailChildren(const DffModel& model) {
    std::vector<std::optional<std::size_t>> tails(model.frames.size());
    for (std::size_t child = 0; child < model.frames.size(); ++child) {
        const std::int32_t parent = model.frames[child].parentIndex;
        if (parent < 0 || static_cast<std::size_t>(parent) >= model.frames.size()) {
            continue;
        }
        std::optional<std::size_t>& best = tails[static_cast<std::size_t>(parent)];
        if (!best || model.frames[child].boneId < model.frames[*best].boneId) {
            best = child;
        }
    }
    return tails;
}

class IkPlanner {
public:
    IkPlanner(const DffModel& model, const IkTable& iks, BonePlan& plan) : model_(model), iks_(iks), plan_(plan) {
        for (std::size_t i = 0; i < model.frames.size(); ++i) {
            firstFrameById_.try_emplace(model.frames[i].boneId, i);
        }
    }

    void planRows() {
        plan_.ikBoneIndex.assign(iks_.size(), -1);
        for (std::size_t row = 0; row < iks_.size(); ++row) {
            if (!parentUsable(iks_[row])) {
                continue;
            }
            if (std::optional<IkBonePlan> ik = resolveFrames(row)) {
                plan_.ikBoneIndex[row] = plan_.skinBoneCount() + plan_.ikBoneCount();
                plan_.ikBones.push_back(std::move(*ik));
            }
        }
    }

private:
    bool parentUsable(const IkTableEntry& entry) {
        if (entry.parentIk == -1) {
            return true;
        }
        if (entry.parentIk < 0 || static_cast<std::size_t>(entry.parentIk) >= iks_.size()) {
            throw UserMessageError("親IKの番号が範囲外です");
        }
        if (plan_.ikBoneIndex[static_cast<std::size_t>(entry.parentIk)] == -1) {
            plan_.warnings.push_back("親IKを出力できないので子IKも無視されます");
            return false;
        }
        return true;
    }

    // Equal as 32-bit values: the table's unsigned id meets the frame's signed one.
    std::optional<std::size_t> findFrame(std::uint32_t boneId) const {
        const auto it = firstFrameById_.find(static_cast<std::int32_t>(boneId));
        return it == firstFrameById_.end() ? std::nullopt : std::optional(it->second);
    }

    // Links first, then the target; the row is dropped at the first id that no frame has.
    std::optional<IkBonePlan> resolveFrames(std::size_t row) {
        const IkTableEntry& entry = iks_[row];
        std::vector<std::uint32_t> ids;
        for (const IkLink& link : entry.links) {
            ids.push_back(link.boneId);
        }
        ids.push_back(entry.targetBoneId);
        std::vector<std::size_t> frames;
        for (std::uint32_t id : ids) {
            const std::optional<std::size_t> frame = findFrame(id);
            if (!frame) {
                plan_.warnings.push_back("IKの接続ボーンが見つかりませんでした (" + boneIdText(id) + ")");
                return std::nullopt;
            }
            frames.push_back(*frame);
        }
        for (std::size_t i = 0; i < frames.size(); ++i) {
            if (model_.frames[frames[i]].boneNumber < 0) {
                throw UserMessageError("IKの接続ボーンがボーンではありません (" + boneIdText(ids[i]) + ")");
            }
        }
        const std::size_t target = frames.back();
        frames.pop_back();
        return IkBonePlan{row, target, std::move(frames)};
    }

    const DffModel& model_;
    const IkTable& iks_;
    BonePlan& plan_;
    std::unordered_map<std::int32_t, std::size_t> firstFrameById_;
};

SkinBonePlan planSkinBone(const DffModel& model, ConversionMode mode, const BoneTable& bones, std::size_t frame,
                          std::optional<std::size_t> tail, std::vector<std::string>& warnings) {
    SkinBonePlan bone{frame, tail, nullptr, false};
    const DffFrame& dffFrame = model.frames[frame];
    if (mode != ConversionMode::None) {
        bone.row = findBoneRow(bones, dffFrame.boneId);
        if (bone.row == nullptr) {
            warnings.push_back("不明なボーンがありました: " + dffFrame.frameName + " (" + boneIdText(dffFrame.boneId) +
                               ")");
        }
    }
    bone.hasTip = mode == ConversionMode::AxesAndBoneInfo || (mode == ConversionMode::NamesAndAxes && !tail);
    // The tip length measures the way to the child bone, which a plain frame does not have.
    if (mode == ConversionMode::AxesAndBoneInfo && tail && model.frames[*tail].boneNumber < 0) {
        throw UserMessageError("ボーンでない子フレームがあります");
    }
    return bone;
}

BonePlan planBones(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BoneTable& bones,
                   const IkTable& iks) {
    const std::int32_t skinBoneCount = countSkinBones(model, skeleton);
    const std::vector<std::size_t> boneFrames = findBoneFrames(model, static_cast<std::size_t>(skinBoneCount));
    for (std::size_t frame : boneFrames) {
        checkParentFrame(model, frame, true);
    }

    BonePlan plan;
    plan.skinBones.resize(boneFrames.size());
    if (mode == ConversionMode::NamesAndAxes) {
        IkPlanner(model, iks, plan).planRows();
    }
    const std::vector<std::optional<std::size_t>> tails = findTailChildren(model);
    for (std::size_t bone = 0; bone < boneFrames.size(); ++bone) {
        const std::size_t frame = boneFrames[bone];
        plan.skinBones[bone] = planSkinBone(model, mode, bones, frame, tails[frame], plan.warnings);
        plan.skinTipCount += plan.skinBones[bone].hasTip ? 1 : 0;
    }
    if (plan.boneCount() > twoByteBoneLimit) {
        throw UserMessageError("ボーンの数が多すぎます");
    }
    return plan;
}

constexpr std::uint16_t skinBoneFlags = PmxCanRotate | PmxVisible | PmxCanOperate | PmxLocalAxes;
constexpr std::uint16_t ikBoneFlags = PmxTailIsBone | PmxCanRotate | PmxCanMove | PmxVisible | PmxCanOperate | PmxIsIk;
constexpr std::uint16_t tipBoneFlags = PmxTailIsBone | PmxCanRotate | PmxCanOperate;
constexpr float shortestTip = 1.0f;

std::u16string skinBoneName(const DffModel& model, ConversionMode mode, const SkinBonePlan& bone) {
    const DffFrame& frame = model.frames[bone.frame];
    if (bone.row == nullptr) {
        return widenBytes(frame.frameName);
    }
    if (mode == ConversionMode::AxesAndBoneInfo) {
        return bone.row->infoName + u"@" + widenBytes(boneIdText(frame.boneId));
    }
    return bone.row->mmdName;
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

PmxRigBone tipBone(std::u16string name, std::u16string englishName, std::int32_t parent, Vec3 position) {
    PmxRigBone tip;
    tip.role = RigBoneRole::Tip;
    tip.bone.name = std::move(name);
    tip.bone.englishName = std::move(englishName);
    tip.bone.parent = parent;
    tip.bone.position = position;
    tip.bone.flags = tipBoneFlags;
    return tip;
}

class RigBuilder {
public:
    RigBuilder(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BonePlan& plan,
               const IkTable& iks)
        : model_(model), skeleton_(skeleton), mode_(mode), plan_(plan), iks_(iks), nextTip_(plan.firstSkinTip()) {}

    PmxRig build() {
        PmxRig rig;
        for (std::size_t bone = 0; bone < plan_.skinBones.size(); ++bone) {
            rig.bones.push_back(skinBone(bone));
            rig.skinBoneIndex.push_back(static_cast<std::int32_t>(bone));
        }
        for (const IkBonePlan& ik : plan_.ikBones) {
            rig.bones.push_back(ikBone(ik));
        }
        for (PmxRigBone& tip : tips_) {
            rig.bones.push_back(std::move(tip));
        }
        for (PmxRigBone& tip : ikTips_) {
            rig.bones.push_back(std::move(tip));
        }
        rig.displayFrames = displayFrames();
        rig.warnings = plan_.warnings;
        return rig;
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
        const Vec3 d = skeleton_.boneMatrices[child].row3(3) - matrix.row3(3);
        const Vec3 x = matrix.row3(0);
        const float length = pmxUnitsPerGameUnit * ((d.y * x.y + d.x * x.x) + d.z * x.z);
        return length < shortestTip ? shortestTip : length;
    }

    Vec3 tipPosition(std::size_t bone, const SkinBonePlan& plan, const Matrix44& matrix) const {
        if (bone == 0) {
            return pmxRestOrigin - Vec3{0, 1, 0};
        }
        return matrix.row3(3) * pmxUnitsPerGameUnit + matrix.row3(0) * tipLength(plan, matrix);
    }

    // Bone 0 stands where the model's origin is placed.
    Vec3 skinBonePosition(std::size_t bone) const {
        return bone == 0 ? pmxRestOrigin : skeleton_.boneMatrices[bone].row3(3) * pmxUnitsPerGameUnit;
    }

    PmxRigBone skinBone(std::size_t bone) {
        const SkinBonePlan& plan = plan_.skinBones[bone];
        const DffFrame& frame = model_.frames[plan.frame];
        const Matrix44& matrix = skeleton_.boneMatrices[bone];
        PmxRigBone rigBone;
        rigBone.role = RigBoneRole::Frame;
        rigBone.frame = plan.frame;
        rigBone.restAxes = {matrix.row3(0), matrix.row3(1), matrix.row3(2)};
        PmxBone& b = rigBone.bone;
        b.name = skinBoneName(model_, mode_, plan);
        b.englishName = widenBytes(frame.frameName);
        b.position = skinBonePosition(bone);
        b.parent = parentBone(frame);
        rigBone.parentIsGameParent = b.parent >= 0;
        b.flags = skinBoneFlags;
        b.flags |= bone == 0 ? PmxCanMove : 0;
        b.flags |= plan.hasTip || plan.tailChild ? PmxTailIsBone : 0;
        if (plan.hasTip) {
            tips_.push_back(tipBone(skinTipName(model_, mode_, plan), widenBytes(frame.frameName) + u"Nub",
                                    static_cast<std::int32_t>(bone), tipPosition(bone, plan, matrix)));
            b.tailBone = nextTip_++;
        } else if (plan.tailChild) {
            b.tailBone = model_.frames[*plan.tailChild].boneNumber;
        } else {
            b.tailOffset = bone == 0 ? Vec3{0, -1, 0} : matrix.row3(0);
        }
        b.localX = bone == 0 ? Vec3{1, 0, 0} : matrix.row3(0);
        b.localZ = bone == 0 ? Vec3{0, 0, 1} : matrix.row3(2);
        return rigBone;
    }

    PmxRigBone ikBone(const IkBonePlan& ik) {
        const IkTableEntry& row = iks_[ik.row];
        const auto target = static_cast<std::size_t>(model_.frames[ik.targetFrame].boneNumber);
        PmxRigBone rigBone;
        rigBone.role = RigBoneRole::Ik;
        PmxBone& b = rigBone.bone;
        b.name = row.ikName;
        b.englishName = row.ikName;
        b.position = skeleton_.boneMatrices[target].row3(3) * pmxUnitsPerGameUnit;
        b.parent = row.parentIk == -1 ? -1 : plan_.ikBoneIndex[static_cast<std::size_t>(row.parentIk)];
        b.flags = ikBoneFlags;
        // IK tips are written after every tip of a skin bone.
        const std::u16string tipName = row.ikName + u"先";
        ikTips_.push_back(tipBone(tipName, tipName, plan_.ikBoneIndex[ik.row], b.position + row.offset));
        b.tailBone = plan_.firstIkTip() + static_cast<std::int32_t>(ikTips_.size()) - 1;
        b.ik.target = static_cast<std::int32_t>(target);
        b.ik.loopCount = static_cast<std::int32_t>(row.loopCount);
        b.ik.limitAngle = row.limitAngle;
        for (std::size_t i = 0; i < row.links.size(); ++i) {
            const IkLink& link = row.links[i];
            b.ik.links.push_back(
                {model_.frames[ik.linkFrames[i]].boneNumber, hasLimits(link), link.lowerLimit, link.upperLimit});
        }
        return rigBone;
    }

    static PmxDisplayFrame displayFrame(std::u16string name, std::u16string englishName, bool special,
                                        std::int32_t firstBone, std::int32_t endBone) {
        PmxDisplayFrame frame{std::move(name), std::move(englishName), special, {}};
        for (std::int32_t bone = firstBone; bone < endBone; ++bone) {
            frame.elements.push_back({false, bone});
        }
        return frame;
    }

    std::vector<PmxDisplayFrame> displayFrames() const {
        const std::int32_t skinBones = plan_.skinBoneCount();
        const std::int32_t ikBones = plan_.ikBoneCount();
        std::vector<PmxDisplayFrame> frames;
        frames.push_back(displayFrame(u"Root", u"Root", true, 0, 1));
        frames.push_back(displayFrame(u"表情", u"Exp", true, 0, 0));
        if (ikBones > 0) {
            frames.push_back(displayFrame(u"ＩＫ", u"IK", false, skinBones, skinBones + ikBones));
        }
        frames.push_back(displayFrame(u"ボーン", u"Bone", false, 1, skinBones));
        return frames;
    }

    const DffModel& model_;
    const PreparedSkeleton& skeleton_;
    ConversionMode mode_;
    const BonePlan& plan_;
    const IkTable& iks_;
    std::int32_t nextTip_;
    std::vector<PmxRigBone> tips_;
    std::vector<PmxRigBone> ikTips_;
};

}  // namespace

std::string boneIdText(std::int64_t boneId) {
    return boost::lexical_cast<std::string>(boneId);
}

PmxRig layoutGameHierarchy(const DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode,
                           const BoneTable& bones, const IkTable& iks) {
    const BonePlan plan = planBones(model, skeleton, mode, bones, iks);
    return RigBuilder(model, skeleton, mode, plan, iks).build();
}

}  // namespace zorvek

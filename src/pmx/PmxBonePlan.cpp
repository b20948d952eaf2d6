#include "pmx/PmxBonePlan.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "skeleton/BoneFrames.h"

#include <boost/lexical_cast.hpp>

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace zorvek {

namespace {

// How many bones a signed index of one or two bytes can address (0 to 127, 0 to 32767).
constexpr std::int32_t oneByteBoneLimit = 128;
constexpr std::int32_t twoByteBoneLimit = std::numeric_limits<std::int16_t>::max() + 1;

std::int32_t countSkinBones(const DffModel& model) {
    checkBoneNumbersWithin(model, model.boneMatrices.size());
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

}  // namespace

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

Vec3 skinBonePosition(const DffModel& model, std::size_t bone) {
    // Bone 0 stands where the model's origin is placed: one unit (ten PMX units) up.
    return bone == 0 ? Vec3{0, 10, 0} : model.boneMatrices[bone].row3(3) * pmxUnitsPerDffUnit;
}

Vec3 ikBonePosition(const DffModel& model, const IkBonePlan& ik) {
    const auto target = static_cast<std::size_t>(model.frames[ik.targetFrame].boneNumber);
    return model.boneMatrices[target].row3(3) * pmxUnitsPerDffUnit;
}

std::string boneIdText(std::int64_t boneId) {
    return boost::lexical_cast<std::string>(boneId);
}

BonePlan planBones(const DffModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks) {
    const std::int32_t skinBoneCount = countSkinBones(model);
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
    plan.boneIndexSize = plan.boneCount() > oneByteBoneLimit ? 2 : 1;
    return plan;
}

}  // namespace zorvek

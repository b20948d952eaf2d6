#pragma once

#include "dff/DffModel.h"
#include "skeleton/ConversionMode.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvek {

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

// Every bone index of the file, fixed before any bone is written so that
// tails, parents and display frames can name bones written later.
struct BonePlan {
    std::vector<SkinBonePlan> skinBones;    // bones 0 ... N - 1
    std::vector<IkBonePlan> ikBones;        // bones N ... N + K - 1, in row order
    std::vector<std::int32_t> ikBoneIndex;  // per IkTable row; -1 when the row is not used
    std::size_t skinTipCount = 0;           // tips of skin bones follow the IK bones, IK tips come last
    std::vector<std::string> warnings;      // in the order they are to be reported
    int boneIndexSize = 1;

    std::int32_t skinBoneCount() const { return static_cast<std::int32_t>(skinBones.size()); }
    std::int32_t ikBoneCount() const { return static_cast<std::int32_t>(ikBones.size()); }
    std::int32_t firstSkinTip() const { return skinBoneCount() + ikBoneCount(); }
    std::int32_t firstIkTip() const { return firstSkinTip() + static_cast<std::int32_t>(skinTipCount); }
    std::int32_t boneCount() const { return firstIkTip() + ikBoneCount(); }
};

// Plans the bone section of a prepared model. Refuses what cannot be written
// (bone numbers without a bone matrix or with a gap, broken parents, IK rows
// naming frames that are not bones, too many bones) before anything is reported.
BonePlan planBones(const DffModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks);

// PMX positions are the DFF's lengths times ten.
inline constexpr float pmxUnitsPerDffUnit = 10.0f;

// A skin bone's name in the mode: the frame name, the table's information
// name with the id, or its MMD name.
std::u16string skinBoneName(const DffModel& model, ConversionMode mode, const SkinBonePlan& bone);

// Where a prepared model's bones stand in the PMX.
Vec3 skinBonePosition(const DffModel& model, std::size_t bone);
Vec3 ikBonePosition(const DffModel& model, const IkBonePlan& ik);

// Decimal digits of a bone id, as bone names and messages show it.
std::string boneIdText(std::int64_t boneId);

}  // namespace zorvek

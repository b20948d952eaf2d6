#pragma once

// Which bone of an MMD model each of the game's 32 ped bones follows: by the
// standard MMD names (those the standard mode writes, with the semi-standard
// variants), or by a table of the user's own for models named otherwise.

#include "pmx/PmxModel.h"
#include "skeleton/PedSkeleton.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {

// Rows of a user's bone table: an MMD bone name and the game bone id it stands for.
using GameBoneNames = std::vector<std::pair<std::u16string, std::int32_t>>;

// A bone table file: UTF-16LE, or UTF-8 with its byte-order mark; one row a
// line, the MMD name and the game bone id separated by a tab, '#' comments.
GameBoneNames parseGameBoneNames(std::string_view fileBytes, std::string_view fileLabel);
GameBoneNames loadGameBoneNames(const std::filesystem::path& file);

struct GameBoneMatch {
    // For each node, the PMX bone it follows, or -1 where the model has none
    // (Root always; bones placed from their neighbours).
    std::array<std::int32_t, pedNodeCount> pmxBone{};
    // For each PMX bone, the node its vertices go to: its own, that of the
    // bone it takes its rotation from (付与 ×1, the D bones), the finger
    // bones for the fingers, else that of its nearest ancestor, else Pelvis.
    std::vector<std::int32_t> weightNode;
};

// The standard MMD name of a node's bone, for messages.
std::u16string_view standardBoneName(std::int32_t node);

// Refuses a model without 下半身, 上半身, 首, 頭 and both arms' and legs' main
// bones: "標準ボーンが見つかりません: 左ひじ".
GameBoneMatch findGameBones(const PmxModel& model, const GameBoneNames& userNames);

}  // namespace zorvek

#pragma once

// An MMD model into a ped the game loads in place of its own and animates
// with its own animations: the 32 bones of the game's skeleton found among
// the model's, bind frames that follow the game's axes, the mesh in the
// game's units and axes with its feet where the game stands a ped, and each
// vertex's weights given to the game bones.

#include "base/Warnings.h"
#include "convert/GameBoneFinder.h"
#include "dff/PedDff.h"
#include "pmx/PmxModel.h"

#include <optional>
#include <string>
#include <vector>

namespace zorvek {

struct PmxToDffSettings {
    std::optional<float> height;  // metres from the lowest to the highest vertex; else one PMX unit is 0.1 m
    GameBoneNames boneNames;      // the user's own names, before the standard ones
};

// `textureNames` holds the game name of each of the model's textures (see
// gameTextureNames). Warns once for each kind of fallback: bones placed from
// their neighbours, weights merged to four, bones the game lacks whose
// vertices went to another.
PedDff pmxToDff(const PmxModel& model, const std::vector<std::string>& textureNames, const PmxToDffSettings& settings,
                const WarningSink& warn);

}  // namespace zorvek

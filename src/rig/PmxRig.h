#pragma once

// The bones of a converted PMX and what each of them stands for in the
// game: made once by a bone layout, then read by the PMX conversion (which
// writes the bones as they are) and by the motions (which pose them).

#include "base/Math.h"
#include "pmx/PmxModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zorvek {

// PMX lengths are the game's times ten.
inline constexpr float pmxUnitsPerGameUnit = 10.0f;
// Where the game's origin stands in the PMX: one game unit up, so that the
// model's root bone is above the floor MMD shows.
inline constexpr Vec3 pmxRestOrigin{0, pmxUnitsPerGameUnit, 0};

enum class RigBoneRole {
    Frame,    // follows a DFF frame: posed from the game's frame, and skins vertices
    Control,  // moves the bones below it in MMD; no frame of the game has it
    Ik,       // an IK bone that places a chain of frame bones
    Tip,      // shows where a bone points; nothing follows it
};

struct PmxRigBone {
    PmxBone bone;  // as the PMX has it; parents, tails and IK links are PMX indices
    RigBoneRole role = RigBoneRole::Control;
    std::optional<std::size_t> frame;  // the DFF frame, for a Frame bone
    // A Frame bone's rest orientation in the PMX (rows: the frame's X, Y and
    // Z axes in MMD's world), which the PMX's own rest pose does not show.
    std::array<Vec3, 3> restAxes{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    // Whether the PMX parent is the bone of the frame's parent in the game,
    // so that the game's local rotation is the MMD bone's, in other axes.
    bool parentIsGameParent = false;
    // Where a Frame bone stands from its frame's place at rest, in MMD's
    // axes: a bone that follows its frame rigidly from elsewhere (the
    // standard skeleton's グルーブ, which the game's root follows).
    Vec3 frameOffset{0, 0, 0};
    // The bone whose keys a motion made from the game gives this bone's
    // pose instead: a control bone on the same place above it, which moves
    // nothing else (センター above グルーブ), as MMD users key it.
    std::optional<std::size_t> keysOn;
};

// Vertices weighted to one bone, their weight shared out along the way from
// `from` to `to` (PMX rest places) between the bones of `stops`: a vertex at
// fraction f of the way gets the two stops around f, in proportion.
struct WeightSpread {
    std::int32_t bone = -1;
    Vec3 from;
    Vec3 to;
    std::vector<std::pair<float, std::int32_t>> stops;  // fraction 0 to 1 and bone, in increasing fraction
};

struct PmxRig {
    std::vector<PmxRigBone> bones;  // in PMX order
    std::vector<PmxDisplayFrame> displayFrames;
    std::vector<PmxMorph> morphs;
    std::vector<WeightSpread> weightSpreads;
    // Per skin bone number of the DFF, the PMX bone its vertices are weighted to.
    std::vector<std::int32_t> skinBoneIndex;
    // In the order they are to be reported, once the model is accepted.
    std::vector<std::string> warnings;
};

}  // namespace zorvek

#pragma once

#include "base/Math.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

enum class IfpFormat {
    Anp3,  // San Andreas
    Anpk,  // GTA III and Vice City
};

// One keyframe in the game's own terms: the rotation as the game uses it
// (ANPK's stored x, y and z already negated), an absolute local translation
// where the track has them, and an absolute time in seconds.
struct IfpKey {
    Vec4 rotation;  // x, y, z, w; not normalised
    Vec3 translation;
    float time = 0;
    friend bool operator==(const IfpKey&, const IfpKey&) = default;
};

// The keys of one frame of the model, found by bone id, or by name when the id is -1.
struct IfpTrack {
    std::string name;          // up to the first NUL, surrounding blanks kept
    std::int32_t boneId = -1;  // HAnim id, as the DFF's frames carry it
    bool hasTranslation = false;
    // Times non-decreasing; two keys may share one. Keys before 0 shape the
    // motion only up to the first key at or after 0: the game plays from 0.
    std::vector<IfpKey> keys;
    friend bool operator==(const IfpTrack&, const IfpTrack&) = default;
};

struct IfpAnimation {
    std::string name;
    std::vector<IfpTrack> tracks;
    // Why the animation cannot be converted, as a broken-file message naming
    // its part ("ファイルが壊れています (ANP3\walk\Bip01\キー)"); empty
    // when it can. A fault inside one animation leaves the file's others
    // readable; its keys read before the fault are kept, for listing.
    std::string failure = {};

    // The time of the last key of any track, 0 for an animation without keys
    // at or after 0.
    float duration() const;
    friend bool operator==(const IfpAnimation&, const IfpAnimation&) = default;
};

struct IfpFile {
    IfpFormat format = IfpFormat::Anp3;
    std::string name;
    std::vector<IfpAnimation> animations;
    friend bool operator==(const IfpFile&, const IfpFile&) = default;
};

// The first animation of that name, compared without regard to ASCII case
// and without the blanks around either name; nullptr when there is none or
// the name is blank.
// A name's bytes carry no encoding: each is shown as the character of its
// value, in UTF-8, wherever the name reaches the user.
std::string shownAnimationName(std::string_view name);

const IfpAnimation* findAnimation(const IfpFile& file, std::string_view name);

}  // namespace zorvek

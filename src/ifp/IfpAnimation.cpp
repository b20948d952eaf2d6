#include "ifp/IfpAnimation.h"

#include "base/TextBlanks.h"
#include "base/TextEncoding.h"

#include <algorithm>

namespace zorvek {

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

}  // namespace

float IfpAnimation::duration() const {
    float last = 0;
    for (const IfpTrack& track : tracks) {
        // Times never decrease within a track, so its last key is its latest.
        if (!track.keys.empty()) {
            last = std::max(last, track.keys.back().time);
        }
    }
    return last;
}

std::string shownAnimationName(std::string_view name) {
    return utf16ToUtf8(widenBytes(name));
}

const IfpAnimation* findAnimation(const IfpFile& file, std::string_view name) {
    const std::string_view wanted = trimBlanks(name);
    // A blank answer names nothing, not an animation whose name is blank.
    if (wanted.empty()) {
        return nullptr;
    }
    for (const IfpAnimation& animation : file.animations) {
        // Typed as stored, or as shown: UTF-8 of the name's bytes taken as characters.
        const std::string_view stored = trimBlanks(animation.name);
        if (equalIgnoringAsciiCase(stored, wanted) || equalIgnoringAsciiCase(shownAnimationName(stored), wanted)) {
            return &animation;
        }
    }
    return nullptr;
}

}  // namespace zorvek

#pragma once

#include "base/LargeArrays.h"
#include "ifp/IfpAnimation.h"

#include <cstdint>
#include <span>

namespace zorvek {

// Writes a San Andreas animation file (ANP3) laid out as the game's own:
// each animation's frame data size counts its keys alone and its flags are 1;
// tracks with translations get compressed rotation-and-translation keys
// (frame type 4), the others compressed rotation keys (type 3). The file's
// format field is not looked at: a file read from ANPK is written as ANP3.
//
// Rotations are normalised, each quaternion keeping the sign it has, and
// stored in 1/4096; translations in 1/1024, times in ticks of 1/60 s (a time
// between ticks goes to the nearest). Every value is rounded to the nearest,
// halves away from zero. Throws UserMessageError for what the format cannot
// hold: a name longer than 23 bytes or holding a NUL, a key later than 32767
// ticks (546 s), a translation outside ±32 m. Throws std::invalid_argument for
// keys no IfpAnimation holds: times that are not finite, negative or
// decreasing, a rotation of length zero or not finite, a translation not finite.
ByteBlock writeAnp3(const IfpFile& file);

// The ANP3 file `existing` with the animation written into it, as modders
// collect their animations in one file: it takes the place of the first
// animation of the same name (found as findAnimation finds it) when `replace`
// is set, and comes after the last one otherwise. Every other animation is
// copied byte for byte, in its order, and so is the file's header apart from
// its size and animation count; what follows the last animation is dropped.
// Throws UserMessageError "同じ名前のアニメーションが既にあります: <name>" when
// the name is taken and `replace` is not set, the reader's errors for a file
// that is not IFP or is broken, a refusal for an ANPK file, and writeAnp3's
// errors for the animation.
ByteBlock addAnimationToAnp3(std::span<const std::uint8_t> existing, const IfpAnimation& animation, bool replace);

}  // namespace zorvek

#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "vmd/VmdMotion.h"

#include <cstddef>

namespace zorvek {

// The bytes of a "Vocaloid Motion Data 0002" file: the bone keys track by
// track, no morph, camera, light or self-shadow keys, then the show/IK keys.
// Every key moves linearly to the next. Names are Shift-JIS; a bone name
// longer than its 15 bytes is cut at a character and reported once per track,
// model and IK names are cut silently.
ByteBlock writeVmd(const VmdMotion& motion, const WarningSink& warn);

// The size of that file. UserMessageError when the motion holds more keys
// than the file's 32-bit counts can announce.
std::size_t vmdFileSize(const VmdMotion& motion);

}  // namespace zorvek

#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "vmd/VmdMotion.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zorvek {

// The bytes of a "Vocaloid Motion Data 0002" file: the bone keys track by
// track, with each key's own curves, no morph, camera, light or self-shadow
// keys, then the show/IK frames. A name longer than its field is cut before
// the character that does not fit whole (the name functions below cut and
// report them first).
ByteBlock writeVmd(const VmdMotion& motion);

// The size of that file. UserMessageError when the motion holds more keys
// than the file's 32-bit counts can announce.
std::size_t vmdFileSize(const VmdMotion& motion);

// Names for the motion's fields from text, in Shift-JIS (see base/ShiftJis.h)
// and cut at a character to the field's width: a bone name longer than its
// 15 bytes is reported, model, morph and IK names are cut silently.
std::string vmdBoneName(std::u16string_view name, const WarningSink& warn);
std::string vmdModelName(std::u16string_view name);
std::string vmdMorphName(std::u16string_view name);
std::string vmdIkName(std::u16string_view name);

}  // namespace zorvek

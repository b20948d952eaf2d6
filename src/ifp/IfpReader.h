#pragma once

#include "ifp/IfpAnimation.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// Reads a GTA animation file: San Andreas's ANP3 or GTA III's and Vice City's
// ANPK. Throws UserMessageError "IFPファイルではありません" for a file that
// starts with neither, and "ファイルが壊れています (<part>)" for one whose
// counts, sizes or frame types do not hold, where the part names
// the format, animation, object and chunk, as in "ANP3\walk_civi\Bip01\キー".
// Keys whose times or values do not hold fail only their animation (its
// `failure`): the others can still be converted.
IfpFile readIfp(std::span<const std::uint8_t> bytes);

// The same for a file on disk; throws FileAccessError "ファイルを開けませんでした"
// when it cannot be read.
IfpFile readIfpFile(const std::filesystem::path& path);

}  // namespace zorvek

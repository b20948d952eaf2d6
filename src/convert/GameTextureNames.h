#pragma once

// The names a converted model's textures go by in the game: a DFF material
// and its TXD texture meet by name, in 32-byte fields of ASCII, found
// without regard to case.

#include "base/Warnings.h"

#include <string>
#include <vector>

namespace zorvek {

inline constexpr std::size_t gameTextureNameLimit = 31;

// One name for each of the model's texture paths: the file's name without
// its folders and extension, letters, digits, '_' and '-' kept and anything
// else made '_', at most 31 bytes, unique without regard to case (a number
// is added where two meet). A name with nothing of ASCII left becomes
// "tex" and its number; such renames are reported once, with their count.
std::vector<std::string> gameTextureNames(const std::vector<std::u16string>& texturePaths, const WarningSink& warn);

}  // namespace zorvek

#pragma once

#include "vmd/VmdMotion.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// Reads an MMD motion: "Vocaloid Motion Data 0002" (20-byte model name) or
// the older "Vocaloid Motion Data file" (10 bytes). Bone keys and show/IK
// frames are kept; morph, camera, light and self-shadow keys are checked and
// skipped. Old files may end where a section's count would start: that
// section and all later ones are empty. Bytes after the show/IK frames are
// ignored. Throws UserMessageError "VMDファイルではありません" for a file that
// starts with neither header, and "ファイルが壊れています (<part>)" for one
// whose counts do not fit its bytes, where the part names the section, as in
// "VMD\ボーンキー" or "VMD\表示・IK".
VmdMotion readVmd(std::span<const std::uint8_t> bytes);

// The same for a file on disk; throws FileAccessError "ファイルを開けませんでした"
// when it cannot be read.
VmdMotion readVmdFile(const std::filesystem::path& path);

}  // namespace zorvek

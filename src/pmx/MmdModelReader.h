#pragma once

#include "pmx/PmxModel.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// An MMD model of either format, chosen by its first bytes: PMX (readPmx) or
// PMD (readPmd). Throws their errors, and UserMessageError
// "PMXファイルでもPMDファイルでもありません" for a file that starts as neither.
PmxModel readMmdModel(std::span<const std::uint8_t> bytes);

// The same for a file on disk; throws FileAccessError "ファイルを開けませんでした"
// when it cannot be read.
PmxModel readMmdModelFile(const std::filesystem::path& path);

}  // namespace zorvek

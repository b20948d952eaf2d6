#pragma once

#include "common/Warnings.h"
#include "pmx/DffModel.h"
#include "pmx/PmxWriter.h"

#include <filesystem>
#include <string_view>

namespace zorvek {

// Reads the DFF file's first clump and numbers its textures; the menu and the
// command line share it so that both convert alike.
DffModel loadDffModel(const std::filesystem::path& source, const WarningSink& warn);

// The model names come from the source file name; the extension as typed.
PmxTexts pmxTextsFor(const std::filesystem::path& source, std::string_view textureExtension);

}  // namespace zorvek

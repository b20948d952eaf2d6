#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "jobs/JobReport.h"
#include "pmx/PmxModel.h"
#include "txd/TexturePacking.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {

struct PackedDictionary {
    ByteBlock bytes;
    std::size_t count = 0;  // textures in it
};

// The TXD of a model converted to a DFF: every texture its materials' colour
// slot names, once each, under the name the DFF gives it (`names`, one for
// each of the model's textures), in the order of the model's texture list.
// Sphere maps (the sphere slot, .spa and .sph files) and toon textures are
// MMD's shading, not the model's colour: left out. An image outside the
// model's folder, missing or unreadable is a warning; its material keeps its
// name and the game draws it untextured.
PackedDictionary packModelTextures(const std::filesystem::path& modelFolder, const PmxModel& model,
                                   const std::vector<std::string>& names, const TexturePackSettings& settings,
                                   const WarningSink& warn);

struct PackImagesJob {
    std::vector<std::filesystem::path> images;
    std::filesystem::path output;
    TexturePackSettings settings;
    bool replaceExisting = false;
};

// Image files into one TXD, each a texture named after its file as
// pmx2dff names them (gameTextureNames). An image that cannot be read fails
// the job before anything is written; an existing TXD is replaced only when
// the job says so.
void packImageFiles(const PackImagesJob& job, const JobReport& report);

}  // namespace zorvek

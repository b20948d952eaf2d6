#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "convert/PmxToDff.h"
#include "jobs/JobReport.h"
#include "txd/TexturePacking.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// The whole conversion of PMX (or PMD) bytes to DFF bytes, as the fuzzer runs it.
ByteBlock convertPmxBytes(std::span<const std::uint8_t> pmx, const PmxToDffSettings& settings, const WarningSink& warn);

struct PmxToDffJob {
    std::filesystem::path input;
    std::filesystem::path output;
    PmxToDffSettings settings;
    TexturePackSettings textures;
    bool replaceExisting = false;  // the DFF and its TXD alike
};

// Where a converted model's texture dictionary goes: beside the DFF, with its
// name and the extension .txd, as the game pairs them.
std::filesystem::path textureDictionaryBeside(const std::filesystem::path& dff);

// One model to one ped DFF and its TXD (textureDictionaryBeside), never
// asking: neither output may be the input, and an existing one is replaced
// only when the job says so; both are refused before anything is written.
void convertPmxFile(const PmxToDffJob& job, const JobReport& report);

}  // namespace zorvek

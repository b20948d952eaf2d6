#pragma once

#include "base/FileIo.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "jobs/ConversionTables.h"
#include "jobs/DffConversion.h"
#include "jobs/JobReport.h"
#include "jobs/TextureExport.h"
#include "skeleton/ConversionMode.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvek {

struct ConvertSettings {
    ConversionMode mode = ConversionMode::NamesAndAxes;
    std::string textureExtension = ".png";
};

// The whole conversion of DFF bytes to PMX bytes, as the fuzzer runs it.
ByteBlock convertDffBytes(std::span<const std::uint8_t> dff, const ConvertSettings& settings,
                          const ConversionTables& tables, const WarningSink& warn);

struct ConvertDffJob {
    std::filesystem::path input;
    std::filesystem::path output;
    ConvertSettings settings;
    bool replaceExisting = false;  // the PMX and the texture images alike
    bool writeTextures = true;
    std::optional<std::filesystem::path> dictionary;  // else the TXD beside the DFF, if any
};

// One file to another, never asking: the output may not be the input, and an
// existing output is replaced only when the job says so. The textures follow
// the PMX into its folder; `written` keeps a batch's models from replacing
// each other's images.
void convertDffFile(const ConvertDffJob& job, const ConversionTables& tables, const JobReport& report,
                    WrittenImages* written = nullptr);

// Writes a model's texture images as the command line does, with its progress
// lines: existing files are kept (with a warning that carries the report's
// replace hint) unless they may be replaced.
void writePlannedTextures(const TexturePlan& plan, bool replaceExisting, const JobReport& report,
                          WrittenImages* written);

// Refuses an output path that names the input file; before any question, so
// that no answer can lose the input.
void refuseOutputOntoInput(const std::filesystem::path& input, const std::filesystem::path& output);

// Throws ExistingOutputError for an existing output unless it may be replaced.
void refuseExistingOutput(const std::filesystem::path& output, bool replaceExisting);

}  // namespace zorvek

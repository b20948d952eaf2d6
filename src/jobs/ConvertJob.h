#pragma once

#include "base/FileIo.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "jobs/ConversionTables.h"
#include "jobs/JobReport.h"
#include "jobs/TextureExport.h"
#include "pmx/PmxWriter.h"
#include "skeleton/ConversionMode.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvek {

// One DFF to PMX conversion in its steps: read, prepare the skeleton for a
// mode, build the PMX bytes. The menu asks its questions between the steps;
// the command line and the fuzzer run them in a row.
class DffConversion {
public:
    // Reads the first clump of a DFF file (or of its bytes) and numbers its
    // textures; the model name comes from the file name.
    static DffConversion fromFile(const std::filesystem::path& source, const WarningSink& warn);
    static DffConversion fromBytes(std::span<const std::uint8_t> dff, std::u16string modelName,
                                   const WarningSink& warn);

    void prepare(ConversionMode mode, const ConversionTables& tables);
    // Throws UserMessageError for a model that cannot be written, before any
    // byte is written. `renamedTextures`: textures written under other names.
    ByteBlock buildPmx(std::string_view textureExtension, const ConversionTables& tables, const WarningSink& warn,
                       const std::map<std::string, std::u16string>& renamedTextures = {}) const;

    // The model's textures from its texture dictionary, to be written beside
    // the PMX: none when no dictionary is found. Every problem with them is a
    // warning of the plan, never an error: the PMX stands without them.
    std::optional<TexturePlan> planTextures(const std::filesystem::path& pmx, std::string_view textureExtension,
                                            const std::optional<std::filesystem::path>& dictionary,
                                            const WrittenImages* written) const;

    const DffModel& model() const { return model_; }
    const std::u16string& modelName() const { return modelName_; }
    ConversionMode mode() const { return mode_; }
    bool prepared() const { return prepared_; }

private:
    DffConversion(DffModel model, std::u16string modelName, std::filesystem::path source);

    DffModel model_;
    std::u16string modelName_;
    std::filesystem::path source_;
    ConversionMode mode_ = ConversionMode::None;
    bool prepared_ = false;
};

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

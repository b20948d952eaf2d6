#pragma once

#include "base/FileIo.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "jobs/ConversionTables.h"
#include "jobs/TextureExport.h"
#include "skeleton/ConversionMode.h"
#include "skeleton/Skeleton.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zorvek {

class PreparedConversion;

// A DFF read for conversion: the first clump of the file, its textures
// numbered. The menu asks its questions between this step and the next.
class DffConversion {
public:
    // The model name comes from the file name.
    static DffConversion fromFile(const std::filesystem::path& source, const WarningSink& warn);
    static DffConversion fromBytes(std::span<const std::uint8_t> dff, std::u16string modelName,
                                   const WarningSink& warn);

    // The skeleton prepared for a mode; the model moves into the result.
    // Throws UserMessageError for a skeleton that cannot be prepared.
    PreparedConversion prepare(ConversionMode mode, const ConversionTables& tables) &&;

    const DffModel& model() const { return model_; }
    const std::u16string& modelName() const { return modelName_; }

private:
    DffConversion(DffModel model, std::u16string modelName, std::filesystem::path source);

    DffModel model_;
    std::u16string modelName_;
    std::filesystem::path source_;
};

// A model with its skeleton prepared for a mode: what the PMX and the
// motions for it are made from.
class PreparedConversion {
public:
    // The PMX bytes. The vertex arrays move into the PMX, so this is the last
    // use of the conversion (plan the textures first). Throws
    // UserMessageError for a model that cannot be written, before any byte
    // is written. `renamedTextures`: textures written under other names.
    ByteBlock buildPmx(std::string_view textureExtension, const ConversionTables& tables, const WarningSink& warn,
                       const std::map<std::string, std::u16string>& renamedTextures = {}) &&;

    // The model's textures from its texture dictionary, to be written beside
    // the PMX: none when no dictionary is found. Every problem with them is a
    // warning of the plan, never an error: the PMX stands without them.
    std::optional<TexturePlan> planTextures(const std::filesystem::path& pmx, std::string_view textureExtension,
                                            const std::optional<std::filesystem::path>& dictionary,
                                            const WrittenImages* written) const;

    const DffModel& model() const { return model_; }
    const PreparedSkeleton& skeleton() const { return skeleton_; }
    const std::u16string& modelName() const { return modelName_; }
    ConversionMode mode() const { return mode_; }

private:
    friend class DffConversion;
    PreparedConversion(DffModel model, std::u16string modelName, std::filesystem::path source, ConversionMode mode,
                       PreparedSkeleton skeleton);

    DffModel model_;
    std::u16string modelName_;
    std::filesystem::path source_;
    ConversionMode mode_;
    PreparedSkeleton skeleton_;
};

}  // namespace zorvek

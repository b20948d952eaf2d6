#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "pmx/PmxBonePlan.h"
#include "skeleton/ConversionMode.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <cstddef>
#include <map>
#include <string>

namespace zorvek {

struct PmxTexts {
    std::u16string modelName;         // the source file name, extension included
    std::u16string textureExtension;  // appended to every texture name as typed
    // Texture name -> the name the texture section gives it instead, where
    // the image was written under another name (extension not included).
    std::map<std::string, std::u16string> renamedTextures;
};

// A texture's entry in the texture section: its name, or the name it was
// written under instead, then the extension as typed.
std::u16string pmxTextureName(const std::string& textureName, const PmxTexts& texts);

// The whole PMX 2.0 file, built in memory from a prepared model. Throws
// UserMessageError for a model that cannot be written, before any byte
// reaches a file; warnings go to the sink.
ByteBlock buildPmx(const DffModel& model, ConversionMode mode, const BoneTable& bones, const IkTable& iks,
                   const PmxTexts& texts, const WarningSink& warn);

// The exact byte length of that file, for a model that planBones and
// checkGeometry accepted with that plan.
std::size_t pmxFileSize(const DffModel& model, ConversionMode mode, const BonePlan& plan, const IkTable& iks,
                        const PmxTexts& texts);

}  // namespace zorvek

#pragma once

// A DFF model as a PMX on a bone layout: the vertices re-posed onto the
// converted bones, one material per mesh split, the bones as the rig has them.

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "dff/DffModel.h"
#include "pmx/PmxModel.h"
#include "rig/PmxRig.h"
#include "skeleton/ConversionMode.h"
#include "skeleton/Skeleton.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

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

// The PMX of a model that checkGeometry accepted, on the rig made for it.
// The model's vertex and face arrays move into the PMX (a model of a million
// vertices is not copied); its frames, textures and materials stay.
PmxModel dffToPmx(DffModel& model, const PreparedSkeleton& skeleton, const PmxRig& rig, const PmxTexts& texts);

// The whole PMX file of a prepared model in the mode's bone layout. Throws
// UserMessageError for a model that cannot be written, before any warning
// is reported; the vertex arrays move out of the model as in dffToPmx.
ByteBlock buildPmx(DffModel& model, const PreparedSkeleton& skeleton, ConversionMode mode, const BoneTable& bones,
                   const IkTable& iks, const PmxTexts& texts, const WarningSink& warn);

}  // namespace zorvek

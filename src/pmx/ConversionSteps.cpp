#include "pmx/ConversionSteps.h"

#include "common/FileIo.h"
#include "common/TextEncoding.h"
#include "pmx/DffModelReader.h"
#include "rw/SectionInput.h"

namespace zorvek {

DffModel loadDffModel(const std::filesystem::path& source, const WarningSink& warn) {
    DffModel model;
    {
        // The file's bytes are let go once the model holds what it needs.
        const Bytes bytes = readWholeFile(source);
        SectionInput input(bytes);
        readDffModel(input, model, warn);
    }
    numberTextures(model);
    return model;
}

PmxTexts pmxTextsFor(const std::filesystem::path& source, std::string_view textureExtension) {
    return PmxTexts{pathToUtf16(source.filename()), utf8ToUtf16(textureExtension)};
}

}  // namespace zorvek

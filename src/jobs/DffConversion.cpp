#include "jobs/DffConversion.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "convert/DffToPmx.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"

#include <utility>
#include <vector>

namespace zorvek {

namespace fs = std::filesystem;

DffConversion::DffConversion(DffModel model, std::u16string modelName, fs::path source)
    : model_(std::move(model)), modelName_(std::move(modelName)), source_(std::move(source)) {}

DffConversion DffConversion::fromBytes(std::span<const std::uint8_t> dff, std::u16string modelName,
                                       const WarningSink& warn) {
    DffModel model;
    {
        SectionInput input(dff);
        readDffModel(input, model, warn);
    }
    numberTextures(model);
    return DffConversion(std::move(model), std::move(modelName), fs::path());
}

DffConversion DffConversion::fromFile(const fs::path& source, const WarningSink& warn) {
    // The file's bytes are let go once the model holds what it needs, and
    // their memory serves the PMX next. Read rather than mapped: filling the
    // page table of a mapping page by page costs more than the copy.
    const ByteBlock bytes = readLargeFile(source);
    DffConversion conversion = fromBytes(bytes.span(), pathToUtf16(source.filename()), warn);
    conversion.source_ = source;
    return conversion;
}

PreparedConversion DffConversion::prepare(ConversionMode mode, const ConversionTables& tables) && {
    PreparedSkeleton skeleton = prepareSkeleton(model_, mode, tables.bones);
    return PreparedConversion(std::move(model_), std::move(modelName_), std::move(source_), mode, std::move(skeleton));
}

PreparedConversion::PreparedConversion(DffModel model, std::u16string modelName, fs::path source, ConversionMode mode,
                                       PreparedSkeleton skeleton)
    : model_(std::move(model)),
      modelName_(std::move(modelName)),
      source_(std::move(source)),
      mode_(mode),
      skeleton_(std::move(skeleton)) {}

ByteBlock PreparedConversion::buildPmx(std::string_view textureExtension, const ConversionTables& tables,
                                       const WarningSink& warn,
                                       const std::map<std::string, std::u16string>& renamedTextures) && {
    PmxTexts texts{modelName_, utf8ToUtf16(textureExtension), renamedTextures};
    // The PMX names the file a texture's image is written to, or would be,
    // whether or not this run writes it.
    std::vector<std::string> renames;
    for (const auto& entry : model_.textureIndices) {
        const std::u16string name = widenBytes(entry.first);
        const std::u16string stem = textureFileStem(name);
        if (stem != name) {
            const auto given = texts.renamedTextures.try_emplace(entry.first, stem).first;
            renames.push_back(renamedTextureWarning(name, given->second));
        }
    }
    ByteBlock pmx = zorvek::buildPmx(model_, skeleton_, mode_, tables.bones, tables.iks, texts, warn);
    // After the model is accepted, as every warning of the conversion.
    for (const std::string& rename : renames) {
        warn(rename);
    }
    return pmx;
}

std::optional<TexturePlan> PreparedConversion::planTextures(const fs::path& pmx, std::string_view textureExtension,
                                                            const std::optional<fs::path>& dictionary,
                                                            const WrittenImages* written) const {
    const std::optional<fs::path> txd = dictionary ? dictionary : findTextureDictionaryFor(source_);
    if (!txd) {
        return std::nullopt;
    }
    TexturePlan plan;
    const std::optional<ImageFormat> format = textureImageFormat(textureExtension, plan.warnings);
    if (!format) {
        plan.formatWritable = false;
        return plan;
    }
    try {
        const Bytes bytes = readWholeFile(*txd);
        std::vector<std::string> readWarnings;
        // Only the textures the model uses are decoded: a ped's TXD often holds more.
        const TextureDictionary textures = decodeModelTextures(
            model_,
            readStoredTextureDictionary(bytes, [&](const std::string& message) { readWarnings.push_back(message); }));
        fs::path stem = source_.filename();
        stem.replace_extension();
        plan = planModelTextures(model_, textures, *format, textureExtension, pmx.parent_path(), pathToUtf16(stem),
                                 written);
        plan.warnings.insert(plan.warnings.begin(), readWarnings.begin(), readWarnings.end());
    } catch (const UserMessageError& error) {
        plan = TexturePlan{};
        plan.warnings.push_back("テクスチャを読み込めませんでした: " + pathToUtf8(*txd) + " (" + error.what() + ")");
    }
    return plan;
}

}  // namespace zorvek

#include "jobs/ConvertJob.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "jobs/Failures.h"
#include "rw/SectionInput.h"
#include "skeleton/Skeleton.h"

#include <utility>

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

void DffConversion::prepare(ConversionMode mode, const ConversionTables& tables) {
    prepareSkeleton(model_, mode, tables.bones);
    mode_ = mode;
    prepared_ = true;
}

ByteBlock DffConversion::buildPmx(std::string_view textureExtension, const ConversionTables& tables,
                                  const WarningSink& warn,
                                  const std::map<std::string, std::u16string>& renamedTextures) const {
    if (!prepared_) {
        throw std::logic_error("the skeleton is prepared before the PMX is built");
    }
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
    ByteBlock pmx = zorvek::buildPmx(model_, mode_, tables.bones, tables.iks, texts, warn);
    // After the model is accepted, as every warning of the conversion.
    for (const std::string& rename : renames) {
        warn(rename);
    }
    return pmx;
}

std::optional<TexturePlan> DffConversion::planTextures(const fs::path& pmx, std::string_view textureExtension,
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

ByteBlock convertDffBytes(std::span<const std::uint8_t> dff, const ConvertSettings& settings,
                          const ConversionTables& tables, const WarningSink& warn) {
    DffConversion conversion = DffConversion::fromBytes(dff, u"model.dff", warn);
    conversion.prepare(settings.mode, tables);
    return conversion.buildPmx(settings.textureExtension, tables, warn);
}

void refuseOutputOntoInput(const fs::path& input, const fs::path& output) {
    if (isSameFile(input, output)) {
        throw UserMessageError("入力と出力に同じファイルが指定されています");
    }
}

void refuseExistingOutput(const fs::path& output, bool replaceExisting) {
    std::error_code error;
    if (!replaceExisting && fs::exists(output, error)) {
        throw ExistingOutputError(output);
    }
}

void convertDffFile(const ConvertDffJob& job, const ConversionTables& tables, const JobReport& report,
                    WrittenImages* written) {
    refuseOutputOntoInput(job.input, job.output);
    report.progress("読み込んでいます...");
    DffConversion conversion = DffConversion::fromFile(job.input, report.warn);
    report.progress("読み込みが完了しました");
    conversion.prepare(job.settings.mode, tables);
    refuseExistingOutput(job.output, job.replaceExisting);
    // Decided before the PMX is built, so that the PMX names the images as written.
    const std::optional<TexturePlan> textures =
        job.writeTextures ? conversion.planTextures(job.output, job.settings.textureExtension, job.dictionary, written)
                          : std::nullopt;
    report.progress("出力しています...");
    const ByteBlock pmx = conversion.buildPmx(job.settings.textureExtension, tables, report.warn,
                                              textures ? textures->renamed : std::map<std::string, std::u16string>{});
    writeFileAtomically(job.output, pmx);
    report.progress(pathToUtf8(job.output));
    report.progress("出力が完了しました");
    if (textures) {
        writePlannedTextures(*textures, job.replaceExisting, report, written);
    }
}

void writePlannedTextures(const TexturePlan& plan, bool replaceExisting, const JobReport& report,
                          WrittenImages* written) {
    if (plan.formatWritable) {
        report.progress("テクスチャを出力しています...");
    }
    for (const std::string& warning : plan.warnings) {
        report.warn(warning);
    }
    if (!plan.formatWritable) {
        return;
    }
    const WrittenTextures result = writeTextureImages(plan, replaceExisting, report.warn, written);
    for (const fs::path& kept : result.kept) {
        report.warn("テクスチャの画像が既にあります" + report.replaceHint + ": " + pathToUtf8(kept));
    }
    report.progress("テクスチャを出力しました (" + std::to_string(result.count) + ")");
}

}  // namespace zorvek

#include "jobs/ConvertJob.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "dff/DffModelReader.h"
#include "rw/SectionInput.h"
#include "skeleton/Skeleton.h"

#include <utility>

namespace zorvek {

namespace fs = std::filesystem;

DffConversion::DffConversion(DffModel model, std::u16string modelName)
    : model_(std::move(model)), modelName_(std::move(modelName)) {}

DffConversion DffConversion::fromBytes(std::span<const std::uint8_t> dff, std::u16string modelName,
                                       const WarningSink& warn) {
    DffModel model;
    {
        SectionInput input(dff);
        readDffModel(input, model, warn);
    }
    numberTextures(model);
    return DffConversion(std::move(model), std::move(modelName));
}

DffConversion DffConversion::fromFile(const fs::path& source, const WarningSink& warn) {
    // The file's bytes are let go once the model holds what it needs, and
    // their memory serves the PMX next. Read rather than mapped: filling the
    // page table of a mapping page by page costs more than the copy.
    const ByteBlock bytes = readLargeFile(source);
    return fromBytes(bytes.span(), pathToUtf16(source.filename()), warn);
}

void DffConversion::prepare(ConversionMode mode, const ConversionTables& tables) {
    prepareSkeleton(model_, mode, tables.bones);
    mode_ = mode;
    prepared_ = true;
}

ByteBlock DffConversion::buildPmx(std::string_view textureExtension, const ConversionTables& tables,
                                  const WarningSink& warn) const {
    if (!prepared_) {
        throw std::logic_error("the skeleton is prepared before the PMX is built");
    }
    const PmxTexts texts{modelName_, utf8ToUtf16(textureExtension)};
    return zorvek::buildPmx(model_, mode_, tables.bones, tables.iks, texts, warn);
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
        throw UserMessageError("出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                               pathToUtf8(output));
    }
}

void convertDffFile(const ConvertDffJob& job, const ConversionTables& tables, const JobReport& report) {
    refuseOutputOntoInput(job.input, job.output);
    report.progress("読み込んでいます...");
    DffConversion conversion = DffConversion::fromFile(job.input, report.warn);
    report.progress("読み込みが完了しました");
    conversion.prepare(job.settings.mode, tables);
    refuseExistingOutput(job.output, job.replaceExisting);
    report.progress("出力しています...");
    const ByteBlock pmx = conversion.buildPmx(job.settings.textureExtension, tables, report.warn);
    writeFileAtomically(job.output, pmx);
    report.progress(pathToUtf8(job.output));
    report.progress("出力が完了しました");
}

}  // namespace zorvek

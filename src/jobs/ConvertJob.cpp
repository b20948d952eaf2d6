#include "jobs/ConvertJob.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "jobs/Failures.h"

#include <utility>

namespace zorvek {

namespace fs = std::filesystem;

ByteBlock convertDffBytes(std::span<const std::uint8_t> dff, const ConvertSettings& settings,
                          const ConversionTables& tables, const WarningSink& warn) {
    return DffConversion::fromBytes(dff, u"model.dff", warn)
        .prepare(settings.mode, tables)
        .buildPmx(settings.textureExtension, tables, warn);
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
    DffConversion read = DffConversion::fromFile(job.input, report.warn);
    report.progress("読み込みが完了しました");
    PreparedConversion conversion = std::move(read).prepare(job.settings.mode, tables);
    refuseExistingOutput(job.output, job.replaceExisting);
    // Decided before the PMX is built, so that the PMX names the images as written.
    const std::optional<TexturePlan> textures =
        job.writeTextures ? conversion.planTextures(job.output, job.settings.textureExtension, job.dictionary, written)
                          : std::nullopt;
    report.progress("出力しています...");
    const ByteBlock pmx = std::move(conversion)
                              .buildPmx(job.settings.textureExtension, tables, report.warn,
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

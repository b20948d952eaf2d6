#include "jobs/PmxToDffJob.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "convert/GameTextureNames.h"
#include "dff/PedDffWriter.h"
#include "jobs/ConvertJob.h"
#include "jobs/TextureDictionaryJob.h"
#include "pmx/MmdModelReader.h"

namespace zorvek {

ByteBlock convertPmxBytes(std::span<const std::uint8_t> pmx, const PmxToDffSettings& settings,
                          const WarningSink& warn) {
    const PmxModel model = readMmdModel(pmx);
    const std::vector<std::string> textureNames = gameTextureNames(model.textures, warn);
    return writePedDff(pmxToDff(model, textureNames, settings, warn));
}

std::filesystem::path textureDictionaryBeside(const std::filesystem::path& dff) {
    std::filesystem::path txd = dff;
    txd.replace_extension(".txd");
    return txd;
}

void convertPmxFile(const PmxToDffJob& job, const JobReport& report) {
    const std::filesystem::path txd = textureDictionaryBeside(job.output);
    refuseOutputOntoInput(job.input, job.output);
    refuseOutputOntoInput(job.input, txd);
    report.progress("読み込んでいます...");
    const ByteBlock bytes = readLargeFile(job.input);
    const PmxModel model = readMmdModel(bytes.span());
    report.progress("読み込みが完了しました");
    refuseExistingOutput(job.output, job.replaceExisting);
    refuseExistingOutput(txd, job.replaceExisting);
    report.progress("出力しています...");
    const std::vector<std::string> textureNames = gameTextureNames(model.textures, report.warn);
    const ByteBlock dff = writePedDff(pmxToDff(model, textureNames, job.settings, report.warn));
    writeFileAtomically(job.output, dff);
    report.progress(pathToUtf8(job.output));
    report.progress("出力が完了しました");
    report.progress("テクスチャを出力しています...");
    const PackedDictionary packed =
        packModelTextures(job.input.parent_path(), model, textureNames, job.textures, report.warn);
    writeFileAtomically(txd, packed.bytes.span());
    report.progress("テクスチャを出力しました (" + std::to_string(packed.count) + ")");
}

}  // namespace zorvek

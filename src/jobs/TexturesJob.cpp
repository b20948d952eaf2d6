#include "jobs/TexturesJob.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "jobs/ConvertJob.h"
#include "txd/TextureDictionary.h"

namespace zorvek {

std::string_view imageExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::Png: return ".png";
    case ImageFormat::Bmp: return ".bmp";
    case ImageFormat::Tga: return ".tga";
    }
    return ".png";
}

void unpackTextureDictionary(const UnpackTexturesJob& job, const JobReport& report, WrittenImages* written) {
    report.progress("読み込んでいます...");
    const Bytes bytes = readWholeFile(job.dictionary);
    const TextureDictionary dictionary = readTextureDictionary(bytes, report.warn);
    report.progress("読み込みが完了しました");
    std::filesystem::path name = job.dictionary.filename();
    name.replace_extension();
    const TexturePlan plan = planDictionaryTextures(dictionary, job.format, imageExtension(job.format), job.folder,
                                                    pathToUtf16(name), written);
    writePlannedTextures(plan, job.replaceExisting, report, written);
}

}  // namespace zorvek

#include "cli/TexturesCommand.h"

#include "base/TextEncoding.h"
#include "cli/CliJobs.h"
#include "image/ImageFormat.h"
#include "jobs/TexturesJob.h"

#include <filesystem>

namespace zorvek {

namespace fs = std::filesystem;

void defineTextures(CLI::App& app, TexturesOptions& options) {
    CLI::App* textures = app.add_subcommand("textures", "Write every texture of TXD files as images");
    textures->add_option("inputs", options.inputs, "TXD files to unpack")->required();
    textures->add_option("-d,--output-dir", options.outputFolder,
                         "Folder to write the images into (made if missing); default: beside each TXD");
    textures->add_option("--format", options.format, "png, bmp or tga. Default png")
        ->check(CLI::IsMember({"png", "bmp", "tga"}, CLI::ignore_case));
    textures->add_flag("-f,--force", options.replaceExisting, "Replace existing images");
    textures->footer("Example: zorvek textures models/*.txd -d images --format png");
}

int runTextures(CliReporter& report, const TexturesOptions& options) {
    if (!options.outputFolder.empty() && !runJob(report, [&] { makeOutputFolder(options.outputFolder); })) {
        return 1;
    }
    // The format was checked by the parser; the typed name is an extension without its dot.
    const ImageFormat format = imageFormatForExtension("." + options.format).value_or(ImageFormat::Png);
    WrittenImages written;
    return runBatch(report, options.inputs, [&](const fs::path& input) {
        const fs::path folder = options.outputFolder.empty() ? input.parent_path() : utf8ToPath(options.outputFolder);
        const UnpackTexturesJob job{
            .dictionary = input, .folder = folder, .format = format, .replaceExisting = options.replaceExisting};
        unpackTextureDictionary(job, reportTo(report), &written);
    });
}

}  // namespace zorvek

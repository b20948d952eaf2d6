#include "cli/TxdCommand.h"

#include "base/TextEncoding.h"
#include "cli/CliJobs.h"
#include "jobs/TextureDictionaryJob.h"

namespace zorvek {

void defineTextureOptions(CLI::App& command, TextureOptions& options) {
    command
        .add_option("--texture-format", options.format,
                    "dxt (DXT1, or DXT5 for images with transparency) or 8888 (uncompressed).\n"
                    "Default dxt")
        ->check(CLI::IsMember({"dxt", "8888"}, CLI::ignore_case));
    command.add_flag("--mipmaps", options.mipmaps, "Store every mip level down to 1x1 (the game's peds carry one)");
    command
        .add_option("--max-texture", options.maxTexture,
                    "Largest side of a texture in pixels, at most 2048; a number that is not a\n"
                    "power of two is rounded down to one. Default 2048")
        ->check(CLI::Range(1, static_cast<int>(largestTextureSide)));
}

TexturePackSettings texturePackSettings(const TextureOptions& options) {
    // The parser checked the format; "8888" is the one that is not DXT.
    return {.format = options.format == "8888" ? TextureFormat::Bgra : TextureFormat::Dxt,
            .mipmaps = options.mipmaps,
            .maxSide = options.maxTexture,
            .largestDictionary = largestTextureDictionary};
}

void defineTxd(CLI::App& app, TxdOptions& options) {
    CLI::App* command =
        app.add_subcommand("txd", "Pack images (PNG, BMP, TGA, JPG, DDS) into a TXD texture dictionary");
    command->add_option("images", options.images, "Images to pack, each a texture named after its file")->required();
    command->add_option("-o,--output", options.output, "TXD file to write")->required();
    defineTextureOptions(*command, options.textures);
    command->add_flag("-f,--force", options.replaceExisting, "Replace an existing TXD");
    command->footer("Example: zorvek txd body.png hair.png -o hero.txd");
}

int runTxd(CliReporter& report, const TxdOptions& options) {
    PackImagesJob job;
    for (const std::string& image : options.images) {
        job.images.push_back(utf8ToPath(image));
    }
    job.output = utf8ToPath(options.output);
    job.settings = texturePackSettings(options.textures);
    job.replaceExisting = options.replaceExisting;
    return runJob(report, [&] { packImageFiles(job, reportTo(report)); }) ? 0 : 1;
}

}  // namespace zorvek

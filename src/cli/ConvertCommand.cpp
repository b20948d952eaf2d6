#include "cli/ConvertCommand.h"

#include "base/TextEncoding.h"
#include "cli/CliJobs.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/TextureExport.h"

#include <optional>

namespace zorvek {

namespace fs = std::filesystem;

int runConvert(CliReporter& report, const ConvertOptions& options, const fs::path& defaultTables) {
    if (!options.outputFolder.empty() && !runJob(report, [&] { makeOutputFolder(options.outputFolder); })) {
        return 1;
    }
    ConversionTables tables;
    const fs::path folder = options.tablesFolder.empty() ? defaultTables : utf8ToPath(options.tablesFolder);
    if (!runJob(report, [&] { tables = loadConversionTables(folder); })) {
        return 1;
    }
    ClaimedOutputs claimed;
    WrittenImages written;
    return runBatch(report, options.inputs, [&](const fs::path& input) {
        const ConvertDffJob job{
            .input = input,
            .output = outputFor(input, options.output, options.outputFolder, ".pmx"),
            .settings = {.mode = conversionModeNamed(options.mode), .textureExtension = options.textureExtension},
            .replaceExisting = options.replaceExisting,
            .writeTextures = !options.noTextures,
            .dictionary =
                options.dictionary.empty() ? std::nullopt : std::optional<fs::path>(utf8ToPath(options.dictionary)),
        };
        claimed.claim(job.output, pathToUtf8(job.input));
        convertDffFile(job, tables, reportTo(report), &written);
    });
}

void defineConvert(CLI::App& app, ConvertOptions& options) {
    CLI::App* convert = app.add_subcommand("convert", "Convert DFF models to PMX 2.0");
    convert->add_option("inputs", options.inputs, "DFF files to convert")->required();
    CLI::Option* output = convert->add_option("-o,--output", options.output, "PMX file to write (one input only)");
    convert->add_option("-d,--output-dir", options.outputFolder, "Folder to write each PMX into (made if missing)")
        ->excludes(output);
    addModeOption(*convert, options.mode);
    convert->add_option("--texture-ext", options.textureExtension,
                        "Appended to texture names; also the format of the images written from\n"
                        "the TXD (.png, .bmp or .tga). Default .png");
    CLI::Option* noTextures =
        convert->add_flag("--no-textures", options.noTextures,
                          "Write no texture images (by default the textures that the model uses are\n"
                          "written from the TXD of the same name beside each DFF into the PMX's folder)");
    convert->add_option("--txd", options.dictionary, "The texture dictionary to read instead of the one beside the DFF")
        ->excludes(noTextures);
    convert->add_option("--tables", options.tablesFolder, "Folder holding bones.dat and iks.dat")
        ->check(existingFolder());
    convert->add_flag("-f,--force", options.replaceExisting, "Replace existing output files and texture images");
    convert->footer("Example: zorvek convert samples/*.dff -d out --texture-ext .png");
}

void checkConvertOptions(ConvertOptions& options) {
    if (!options.output.empty() && options.inputs.size() > 1) {
        throw CLI::ValidationError("-o/--output takes one input only; use -d for several");
    }
}

}  // namespace zorvek

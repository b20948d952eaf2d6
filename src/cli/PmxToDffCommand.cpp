#include "cli/PmxToDffCommand.h"

#include "base/TextEncoding.h"
#include "cli/CliJobs.h"
#include "jobs/PmxToDffJob.h"

#include <cmath>

namespace zorvek {

namespace fs = std::filesystem;

int runPmxToDff(CliReporter& report, const PmxToDffOptions& options) {
    if (!options.outputFolder.empty() && !runJob(report, [&] { makeOutputFolder(options.outputFolder); })) {
        return 1;
    }
    PmxToDffSettings settings{.height = options.height, .boneNames = {}};
    if (!options.boneTable.empty() &&
        !runJob(report, [&] { settings.boneNames = loadGameBoneNames(utf8ToPath(options.boneTable)); })) {
        return 1;
    }
    ClaimedOutputs claimed;
    return runBatch(report, options.inputs, [&](const fs::path& input) {
        const PmxToDffJob job{
            .input = input,
            .output = outputFor(input, options.output, options.outputFolder, ".dff"),
            .settings = settings,
            .textures = texturePackSettings(options.textures),
            .replaceExisting = options.replaceExisting,
        };
        claimed.claim(job.output, pathToUtf8(job.input));
        claimed.claim(textureDictionaryBeside(job.output), pathToUtf8(job.input));
        convertPmxFile(job, reportTo(report));
    });
}

void definePmxToDff(CLI::App& app, PmxToDffOptions& options) {
    CLI::App* command = app.add_subcommand("pmx2dff",
                                           "Convert PMX (or PMD) models to GTA San Andreas ped DFFs, each with its\n"
                                           "TXD of the model's textures beside it");
    command->add_option("inputs", options.inputs, "PMX or PMD files to convert")->required();
    CLI::Option* output = command->add_option("-o,--output", options.output, "DFF file to write (one input only)");
    command->add_option("-d,--output-dir", options.outputFolder, "Folder to write each DFF into (made if missing)")
        ->excludes(output);
    command->add_option("--height", options.height,
                        "Scale the model to this standing height in metres (by default one PMX\n"
                        "unit is 0.1 m)");
    command->add_option("--bones", options.boneTable,
                        "A table of the model's own bone names: an MMD bone name and a game bone\n"
                        "id per line, tab-separated (UTF-16LE, or UTF-8 with a byte-order mark)");
    defineTextureOptions(*command, options.textures);
    command->add_flag("-f,--force", options.replaceExisting, "Replace existing DFF and TXD files");
    command->footer("Example: zorvek pmx2dff miku.pmx -o hero.dff --height 1.7");
}

void checkPmxToDffOptions(const PmxToDffOptions& options) {
    if (!options.output.empty() && options.inputs.size() > 1) {
        throw CLI::ValidationError("-o/--output takes one input only; use -d for several");
    }
    if (options.height && !(std::isfinite(*options.height) && *options.height > 0.1f && *options.height < 100.0f)) {
        throw CLI::ValidationError("--height takes metres, more than 0.1 and less than 100");
    }
}

}  // namespace zorvek

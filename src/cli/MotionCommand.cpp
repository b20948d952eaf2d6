#include "cli/MotionCommand.h"

#include "base/TextEncoding.h"
#include "cli/CliJobs.h"
#include "ifp/IfpReader.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionBatch.h"
#include "jobs/MotionJob.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

void listAnimations(CliReporter& report, const IfpFile& file) {
    for (const IfpAnimation& animation : file.animations) {
        char line[64];
        std::snprintf(line, sizeof line, "%8.3f s %4zu bones  ", static_cast<double>(animation.duration()),
                      animation.tracks.size());
        // The name last: any byte may be in it.
        report.progress(line + shownAnimationName(animation.name));
    }
    // Listed all the same: the list is where a user looks for what the file holds.
    for (const IfpAnimation& animation : file.animations) {
        if (!animation.failure.empty()) {
            report.warning(animation.failure);
        }
    }
}

}  // namespace

int runIfpToVmd(CliReporter& report, const MotionOptions& options, const fs::path& defaultTables) {
    const fs::path input = utf8ToPath(options.input);
    std::optional<IfpFile> file;
    const JobReport jobReport = withEachWarningOnce(reportTo(report));
    if (!runJob(report, [&] {
            jobReport.progress("読み込んでいます...");
            file = readIfpFile(input);
            jobReport.progress("読み込みが完了しました");
        })) {
        return 1;
    }
    if (options.list) {
        listAnimations(report, *file);
        return 0;
    }
    AnimationSelection selected;
    ConversionTables tables;
    const fs::path tablesFolder = options.tablesFolder.empty() ? defaultTables : utf8ToPath(options.tablesFolder);
    const fs::path modelPath = utf8ToPath(options.model);
    std::optional<PreparedConversion> model;
    std::optional<MotionTarget> target;
    const bool ready = runJob(report, [&] {
        selected = selectAnimations(*file, options.animations);
        if (!options.outputFolder.empty()) {
            makeOutputFolder(options.outputFolder);
        }
        tables = loadConversionTables(tablesFolder);
        jobReport.progress("読み込んでいます...");
        DffConversion read = DffConversion::fromFile(modelPath, jobReport.warn);
        jobReport.progress("読み込みが完了しました");
        model.emplace(std::move(read).prepare(conversionModeNamed(options.mode), tables));
        target.emplace(*model, tables);
    });
    if (!ready) {
        return 1;
    }
    const MotionBatch batch{
        .selection = std::move(selected),
        .folder = options.outputFolder.empty() ? input.parent_path() : utf8ToPath(options.outputFolder),
        .output = options.output.empty() ? std::nullopt : std::optional<fs::path>(utf8ToPath(options.output)),
        .inputs = {input, modelPath},
    };
    const BatchCounts counts = writeMotionFiles(
        *target, *file, batch,
        [&](std::size_t) { return options.replaceExisting ? ExistingOutputs::Replace : ExistingOutputs::Refuse; },
        jobReport, failuresTo(report));
    if (batch.selection.animations.size() + batch.selection.hidden.size() > 1) {
        report.progress(batchSummary(counts));
    }
    if (counts.failed > 0) {
        return 1;
    }
    jobReport.progress("出力が完了しました");
    return 0;
}

void defineIfpToVmd(CLI::App& app, MotionOptions& options) {
    CLI::App* command = app.add_subcommand("ifp2vmd", "Convert GTA animations (IFP) to MMD motions (VMD) for a model");
    command->add_option("input", options.input, "IFP file to read")->required();
    CLI::Option* list =
        command->add_flag("--list", options.list, "Print each animation's name, duration and bone count, and stop");
    command->add_option("--model", options.model, "The DFF the PMX was converted from: the motion is made for that PMX")
        ->excludes(list);
    addModeOption(*command, options.mode);
    command->add_option("--anim", options.animations, "Animations to convert (names ignore case); default all")
        ->excludes(list);
    CLI::Option* output =
        command->add_option("-o,--output", options.output, "VMD file to write (one --anim only)")->excludes(list);
    command
        ->add_option("-d,--output-dir", options.outputFolder,
                     "Folder to write each <animation>.vmd into (made if missing);\n"
                     "default the IFP's folder")
        ->excludes(output)
        ->excludes(list);
    command->add_option("--tables", options.tablesFolder, "Folder holding bones.dat and iks.dat")
        ->check(existingFolder());
    command->add_flag("-f,--force", options.replaceExisting, "Replace existing VMD files");
    command->footer("Example: zorvek ifp2vmd ped.ifp --model hero.dff --anim walk_civi run_civi -d motions");
}

void checkIfpToVmdOptions(const MotionOptions& options) {
    if (!options.list && options.model.empty()) {
        throw CLI::ValidationError("--model is required: the DFF the PMX was converted from");
    }
    if (!options.output.empty() && options.animations.size() != 1) {
        throw CLI::ValidationError("-o/--output takes one --anim only; use -d for several");
    }
}

}  // namespace zorvek

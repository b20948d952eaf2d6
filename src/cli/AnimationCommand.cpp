#include "cli/AnimationCommand.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "cli/CliJobs.h"
#include "jobs/AnimationJob.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "vmd/VmdReader.h"

#include <optional>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

// The name given, else the one the VMD's file name gives.
std::string animationName(const AnimationOptions& options, const fs::path& input) {
    if (!options.name.empty()) {
        checkAnimationName(options.name);
        return options.name;
    }
    if (const std::optional<std::string> name = animationNameOf(input)) {
        return *name;
    }
    throw UserMessageError("VMDのファイル名をアニメーション名にできません (" + std::string(animationNameRule) +
                           ")。--name で指定してください: " + pathToUtf8(input.filename()));
}

fs::path animationPath(const AnimationOptions& options, const fs::path& input) {
    if (!options.into.empty()) {
        return utf8ToPath(options.into);
    }
    if (!options.output.empty()) {
        return utf8ToPath(options.output);
    }
    return fs::path(input).replace_extension(".ifp");
}

}  // namespace

int runVmdToIfp(CliReporter& report, const AnimationOptions& options, const fs::path& defaultTables) {
    const fs::path input = utf8ToPath(options.input);
    const fs::path modelPath = utf8ToPath(options.model);
    const JobReport jobReport = reportTo(report);
    const bool done = runJob(report, [&] {
        const AnimationFileJob job{.name = animationName(options, input),
                                   .allKeys = options.allKeys,
                                   .path = animationPath(options, input),
                                   .inputs = {input, modelPath},
                                   .into = !options.into.empty(),
                                   .replaceExisting = options.replaceExisting};
        const ConversionTables tables =
            loadConversionTables(options.tablesFolder.empty() ? defaultTables : utf8ToPath(options.tablesFolder));
        jobReport.progress("読み込んでいます...");
        const VmdMotion motion = readVmdFile(input);
        DffConversion read = DffConversion::fromFile(modelPath, jobReport.warn);
        jobReport.progress("読み込みが完了しました");
        const PreparedConversion model = std::move(read).prepare(conversionModeNamed(options.mode), tables);
        const MotionTarget target(model, tables);
        jobReport.progress("出力しています...");
        writeAnimationFile(target, motion, job, jobReport);
        jobReport.progress("出力が完了しました");
    });
    return done ? 0 : 1;
}

void defineVmdToIfp(CLI::App& app, AnimationOptions& options) {
    CLI::App* command =
        app.add_subcommand("vmd2ifp", "Convert an MMD motion (VMD) to a GTA animation (IFP) for a model");
    command->add_option("input", options.input, "VMD file to read")->required();
    command->add_option("--model", options.model, "The DFF the PMX was converted from: the motion plays on that PMX")
        ->required();
    addModeOption(*command, options.mode);
    command->add_option("--name", options.name,
                        "Animation name (ASCII, at most 23 characters); default the VMD's file name");
    CLI::Option* output =
        command->add_option("-o,--output", options.output, "IFP file to write; default <VMD name>.ifp beside the VMD");
    command
        ->add_option("--into", options.into,
                     "Existing IFP to add the animation to (its other animations are kept);\n"
                     "with --force an animation of the same name is replaced")
        ->check(CLI::ExistingFile)
        ->excludes(output);
    command->add_flag("--all-keys", options.allKeys,
                      "Keep a key at every frame (default: drop keys the game's interpolation\n"
                      "gives back within 0.05 degrees and 0.5 mm)");
    command->add_option("--tables", options.tablesFolder, "Folder holding bones.dat and iks.dat")
        ->check(existingFolder());
    command->add_flag("-f,--force", options.replaceExisting,
                      "Replace an existing IFP file (or, with --into, animation)");
    command->footer("Example: zorvek vmd2ifp dance.vmd --model hero.dff --into custom.ifp");
}

}  // namespace zorvek

#include "cli/CommandLine.h"

#include "base/Version.h"
#include "cli/AnimationCommand.h"
#include "cli/CliReporter.h"
#include "cli/ConvertCommand.h"
#include "cli/MotionCommand.h"
#include "cli/PmxToDffCommand.h"
#include "cli/RescaleCommand.h"
#include "cli/TexturesCommand.h"
#include "cli/TxdCommand.h"

#include <CLI/CLI.hpp>

#include <string>

namespace zorvek {

int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                   const std::filesystem::path& tablesFolder) {
    CLI::App app(
        "ZORVEK: GTA San Andreas DFF character models to MikuMikuDance PMX 2.0 and back,\n"
        "and their IFP animations to VMD motions and back.\n"
        "Without arguments it starts the interactive menu.",
        "zorvek");
    app.footer(
        "Examples:\n"
        "  zorvek convert hero.dff                       writes hero.pmx beside it\n"
        "  zorvek convert models/*.dff -d out --tables /usr/share/zorvek\n"
        "  zorvek rescale hero.dff hero_big.dff 1.5\n"
        "  zorvek textures hero.txd -d images --format png\n"
        "  zorvek txd body.png hair.dds -o hero.txd\n"
        "  zorvek ifp2vmd ped.ifp --model hero.dff --anim walk_civi\n"
        "  zorvek vmd2ifp dance.vmd --model hero.dff -o dance.ifp\n"
        "  zorvek pmx2dff miku.pmx -o hero.dff\n"
        "Exit status: 0 all jobs succeeded, 1 a job failed, 2 usage error.");
    app.set_version_flag("-V,--version", std::string("ZORVEK ") + ZORVEK_VERSION);
    app.require_subcommand(1, 1);
    ConvertOptions convertOptions;
    RescaleOptions rescaleOptions;
    TexturesOptions texturesOptions;
    MotionOptions motionOptions;
    AnimationOptions animationOptions;
    PmxToDffOptions pmxToDffOptions;
    TxdOptions txdOptions;
    defineConvert(app, convertOptions);
    defineRescale(app, rescaleOptions);
    defineTextures(app, texturesOptions);
    defineIfpToVmd(app, motionOptions);
    defineVmdToIfp(app, animationOptions);
    definePmxToDff(app, pmxToDffOptions);
    defineTxd(app, txdOptions);
    try {
        app.parse(argc, argv);
        checkConvertOptions(convertOptions);
        if (app.got_subcommand("ifp2vmd")) {
            checkIfpToVmdOptions(motionOptions);
        }
        if (app.got_subcommand("pmx2dff")) {
            checkPmxToDffOptions(pmxToDffOptions);
        }
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), out);
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), out);
        return 0;
    } catch (const CLI::CallForVersion&) {
        std::fputs((app.version() + "\n").c_str(), out);
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(err, "zorvek: %s\n\n%s", error.what(), app.help("", CLI::AppFormatMode::Normal).c_str());
        return 2;
    }
    CliReporter report(out, err);
    if (app.got_subcommand("convert")) {
        return runConvert(report, convertOptions, tablesFolder);
    }
    if (app.got_subcommand("ifp2vmd")) {
        return runIfpToVmd(report, motionOptions, tablesFolder);
    }
    if (app.got_subcommand("vmd2ifp")) {
        return runVmdToIfp(report, animationOptions, tablesFolder);
    }
    if (app.got_subcommand("pmx2dff")) {
        return runPmxToDff(report, pmxToDffOptions);
    }
    if (app.got_subcommand("txd")) {
        return runTxd(report, txdOptions);
    }
    if (app.got_subcommand("textures")) {
        return runTextures(report, texturesOptions);
    }
    return runRescale(report, rescaleOptions);
}

}  // namespace zorvek

#include "app/CommandLine.h"

#include "app/CliReporter.h"
#include "app/TablesLocation.h"
#include "common/CommandGuard.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/TextEncoding.h"
#include "common/UserMessageError.h"
#include "pmx/ConversionSteps.h"
#include "pmx/Skeleton.h"
#include "rescale/DffRescaler.h"
#include "rescale/RescaleCommand.h"
#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#ifndef ZORVEK_VERSION
#define ZORVEK_VERSION "0.10.0"
#endif

namespace zorvek {

namespace fs = std::filesystem;

namespace {

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string outputFolder;
    std::string mode = "mmd";
    std::string textureExtension = ".png";
    std::string tablesFolder;
    bool force = false;
};

struct RescaleOptions {
    std::string input;
    std::string output;
    std::string factor;
    bool force = false;
};

const std::map<std::string, ConversionMode> modeNames{
    {"none", ConversionMode::None},          {"1", ConversionMode::None},
    {"info", ConversionMode::AxesAndBoneInfo}, {"2", ConversionMode::AxesAndBoneInfo},
    {"mmd", ConversionMode::NamesAndAxes},   {"3", ConversionMode::NamesAndAxes},
};

// Runs one job; its errors are reported and counted, never thrown past it.
bool runJob(CliReporter& report, const std::function<void()>& job) {
    try {
        job();
        return true;
    } catch (const UserMessageError& error) {
        report.error(error.what());
    } catch (const std::exception& error) {
        report.error(describeUnexpectedError(error));
    }
    return false;
}

// Nothing asks before replacing a file here, so only --force may.
void refuseExisting(const fs::path& target, bool force) {
    std::error_code error;
    if (!force && fs::exists(target, error)) {
        throw UserMessageError("出力ファイルが既に存在します (上書きするには --force を指定してください): " +
                               pathToUtf8(target));
    }
}

void makeOutputFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(utf8ToPath(folder), error);
    if (error || !fs::is_directory(utf8ToPath(folder), error)) {
        throw UserMessageError("出力フォルダを作成できませんでした: " + folder);
    }
}

fs::path convertTarget(const ConvertOptions& options, const fs::path& input) {
    if (!options.output.empty()) {
        return utf8ToPath(options.output);
    }
    fs::path name = input.filename();
    name.replace_extension(".pmx");
    if (!options.outputFolder.empty()) {
        return utf8ToPath(options.outputFolder) / name;
    }
    return input.parent_path() / name;
}

struct Tables {
    BoneTable bones;
    IkTable iks;
};

void convertOne(CliReporter& report, const ConvertOptions& options, const Tables& tables, const fs::path& input) {
    const WarningSink warn = [&report](const std::string& message) { report.warning(message); };
    const fs::path target = convertTarget(options, input);
    report.progress("読み込んでいます...");
    DffModel model = loadDffModel(input, warn);
    report.progress("読み込みが完了しました");
    const ConversionMode mode = modeNames.at(options.mode);
    prepareSkeleton(model, mode, tables.bones);
    refuseExisting(target, options.force);
    report.progress("出力しています...");
    const Bytes pmx = buildPmx(model, mode, tables.bones, tables.iks,
                               pmxTextsFor(input, options.textureExtension), warn);
    writeFileAtomically(target, pmx);
    report.progress(pathToUtf8(target));
    report.progress("出力が完了しました");
}

int runConvert(CliReporter& report, const ConvertOptions& options) {
    if (!options.outputFolder.empty() && !runJob(report, [&] { makeOutputFolder(options.outputFolder); })) {
        return 1;
    }
    Tables tables;
    const fs::path folder = options.tablesFolder.empty() ? findTablesFolder() : utf8ToPath(options.tablesFolder);
    if (!runJob(report, [&] {
            tables.bones = loadBoneTable(folder);
            tables.iks = loadIkTable(folder);
        })) {
        return 1;
    }
    const std::size_t total = options.inputs.size();
    std::size_t succeeded = 0;
    for (std::size_t i = 0; i < total; ++i) {
        const fs::path input = utf8ToPath(options.inputs[i]);
        if (total > 1) {
            report.progress("[" + std::to_string(i + 1) + "/" + std::to_string(total) + "] " +
                            pathToUtf8(input.filename()));
        }
        succeeded += runJob(report, [&] { convertOne(report, options, tables, input); }) ? 1 : 0;
    }
    if (total > 1) {
        report.progress("成功 " + std::to_string(succeeded) + " 件、失敗 " + std::to_string(total - succeeded) + " 件");
    }
    return succeeded == total ? 0 : 1;
}

int runRescale(CliReporter& report, const RescaleOptions& options) {
    const bool succeeded = runJob(report, [&] {
        const fs::path input = utf8ToPath(options.input);
        const fs::path target = utf8ToPath(options.output);
        const std::optional<float> factor = parseScaleFactor(options.factor);
        if (!factor) {
            throw UserMessageError("倍率には数値を入力してください");
        }
        if (isSameFile(input, target)) {
            throw UserMessageError("入力と出力に同じファイルが指定されています");
        }
        refuseExisting(target, options.force);
        report.progress("読み込んでいます...");
        MappedFile bytes(input);
        report.progress("出力しています...");
        const WarningSink warn = [&report](const std::string& message) { report.warning(message); };
        const std::vector<ByteRange> changed = rescaleDff(bytes.bytes(), *factor, warn);
        report.progress("読み込みが完了しました");
        writePatchedCopyAtomically(target, input, bytes.bytes(), changed);
        report.progress("出力が完了しました");
    });
    return succeeded ? 0 : 1;
}

// CLI::ExistingDirectory reads the name in the system's code page on Windows;
// the arguments are UTF-8 on every platform.
CLI::Validator existingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            std::error_code error;
            return fs::is_directory(utf8ToPath(name), error) ? std::string() : "Directory does not exist: " + name;
        },
        "DIR");
}

void defineConvert(CLI::App& app, ConvertOptions& options) {
    CLI::App* convert = app.add_subcommand("convert", "Convert DFF models to PMX 2.0");
    convert->add_option("inputs", options.inputs, "DFF files to convert")->required();
    CLI::Option* output = convert->add_option("-o,--output", options.output, "PMX file to write (one input only)");
    convert->add_option("-d,--output-dir", options.outputFolder, "Folder to write each PMX into (made if missing)")
        ->excludes(output);
    convert
        ->add_option("--mode", options.mode,
                     "Bone names and axes: none (frame names), info (name@id, axes turned),\n"
                     "mmd (MMD names, axes turned, leg IK); or 1, 2, 3 as in the menu. Default mmd")
        ->check(CLI::IsMember({"none", "info", "mmd", "1", "2", "3"}, CLI::ignore_case));
    convert->add_option("--texture-ext", options.textureExtension, "Appended to texture names; default .png");
    convert->add_option("--tables", options.tablesFolder, "Folder holding bones.dat and iks.dat")
        ->check(existingFolder());
    convert->add_flag("-f,--force", options.force, "Replace existing output files");
    convert->footer("Example: zorvek convert samples/*.dff -d out --mode mmd --texture-ext .png");
}

void defineRescale(CLI::App& app, RescaleOptions& options) {
    CLI::App* rescale = app.add_subcommand("rescale", "Write a rescaled copy of a DFF file");
    rescale->add_option("input", options.input, "DFF file to read")->required();
    rescale->add_option("output", options.output, "DFF file to write")->required();
    rescale->add_option("factor", options.factor, "Scale factor, a decimal number")->required();
    rescale->add_flag("-f,--force", options.force, "Replace an existing output file");
    rescale->footer("Example: zorvek rescale hero.dff hero_big.dff 1.5");
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    CLI::App app("ZORVEK: GTA San Andreas DFF character models to MikuMikuDance PMX 2.0.\n"
                 "Without arguments it starts the interactive menu.",
                 "zorvek");
    app.footer("Examples:\n"
               "  zorvek convert hero.dff                       writes hero.pmx beside it\n"
               "  zorvek convert models/*.dff -d out --mode mmd --tables /usr/share/zorvek\n"
               "  zorvek rescale hero.dff hero_big.dff 1.5\n"
               "Exit status: 0 all jobs succeeded, 1 a job failed, 2 usage error.");
    app.set_version_flag("-V,--version", std::string("ZORVEK ") + ZORVEK_VERSION);
    app.require_subcommand(1, 1);
    ConvertOptions convertOptions;
    RescaleOptions rescaleOptions;
    defineConvert(app, convertOptions);
    defineRescale(app, rescaleOptions);
    try {
        app.parse(argc, argv);
        for (char& c : convertOptions.mode) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (!convertOptions.output.empty() && convertOptions.inputs.size() > 1) {
            throw CLI::ValidationError("-o/--output takes one input only; use -d for several");
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
        return runConvert(report, convertOptions);
    }
    return runRescale(report, rescaleOptions);
}

}  // namespace zorvek

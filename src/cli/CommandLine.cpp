#include "cli/CommandLine.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "base/Version.h"
#include "cli/CliReporter.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/RescaleJob.h"
#include "ui/CommandGuard.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>


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
    } catch (const FileAccessError& error) {
        // A batch runs many files: the message names the one it is about.
        report.error(std::string(error.what()) + ": " + pathToUtf8(error.path()));
    } catch (const UserMessageError& error) {
        report.error(error.what());
    } catch (const std::exception& error) {
        report.error(describeUnexpectedError(error));
    }
    return false;
}

JobReport reportTo(CliReporter& report) {
    return JobReport{[&report](std::string_view line) { report.progress(line); },
                     [&report](const std::string& message) { report.warning(message); }};
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

// The outputs a batch has claimed so far: a second input that maps to the
// same output (a/x.dff and b/x.dff into one folder) would replace the first's.
class ClaimedOutputs {
public:
    void claim(const fs::path& output, const fs::path& input) {
        const fs::path key = keyOf(output);
        const auto found = claimed_.find(key);
        if (found != claimed_.end()) {
            throw UserMessageError("出力ファイルが他の入力と重なります: " + pathToUtf8(found->second) + ", " +
                                   pathToUtf8(input));
        }
        claimed_.emplace(key, input);
    }

private:
    static fs::path keyOf(const fs::path& output) {
        std::error_code error;
        const fs::path absolute = fs::absolute(output, error);
        return (error ? output : absolute).lexically_normal();
    }

    std::map<fs::path, fs::path> claimed_;
};

int runConvert(CliReporter& report, const ConvertOptions& options, const fs::path& defaultTables) {
    if (!options.outputFolder.empty() && !runJob(report, [&] { makeOutputFolder(options.outputFolder); })) {
        return 1;
    }
    ConversionTables tables;
    const fs::path folder = options.tablesFolder.empty() ? defaultTables : utf8ToPath(options.tablesFolder);
    if (!runJob(report, [&] { tables = loadConversionTables(folder); })) {
        return 1;
    }
    const std::size_t total = options.inputs.size();
    std::size_t succeeded = 0;
    ClaimedOutputs claimed;
    for (std::size_t i = 0; i < total; ++i) {
        const fs::path input = utf8ToPath(options.inputs[i]);
        if (total > 1) {
            report.progress("[" + std::to_string(i + 1) + "/" + std::to_string(total) + "] " +
                            pathToUtf8(input.filename()));
        }
        const ConvertDffJob job{input, convertTarget(options, input),
                                ConvertSettings{modeNames.at(options.mode), options.textureExtension}, options.force};
        succeeded += runJob(report, [&] {
                         claimed.claim(job.output, job.input);
                         convertDffFile(job, tables, reportTo(report));
                     })
                         ? 1
                         : 0;
    }
    if (total > 1) {
        report.progress("成功 " + std::to_string(succeeded) + " 件、失敗 " + std::to_string(total - succeeded) + " 件");
    }
    return succeeded == total ? 0 : 1;
}

int runRescale(CliReporter& report, const RescaleOptions& options) {
    const bool succeeded = runJob(report, [&] {
        const std::optional<float> factor = parseScaleFactor(options.factor);
        if (!factor) {
            throw UserMessageError("倍率には数値を入力してください");
        }
        const RescaleDffJob job{utf8ToPath(options.input), utf8ToPath(options.output), *factor, options.force};
        rescaleDffFile(job, reportTo(report));
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

int runCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                   const std::filesystem::path& tablesFolder) {
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
        return runConvert(report, convertOptions, tablesFolder);
    }
    return runRescale(report, rescaleOptions);
}

}  // namespace zorvek

#include "cli/CliJobs.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "jobs/Failures.h"

#include <cctype>
#include <map>
#include <system_error>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

const std::map<std::string, ConversionMode> modeNames{
    {"none", ConversionMode::None},
    {"1", ConversionMode::None},
    {"info", ConversionMode::AxesAndBoneInfo},
    {"2", ConversionMode::AxesAndBoneInfo},
    {"mmd", ConversionMode::NamesAndAxes},
    {"3", ConversionMode::NamesAndAxes},
    {"standard", ConversionMode::Standard},
    {"4", ConversionMode::Standard},
};

}  // namespace

void addModeOption(CLI::App& command, std::string& mode) {
    command
        .add_option("--mode", mode,
                    "Bone names and axes: none (frame names), info (name@id, axes turned),\n"
                    "mmd (MMD names, axes turned, leg IK), standard (MMD's standard skeleton);\n"
                    "or 1, 2, 3, 4 as in the menu. Default standard")
        ->check(CLI::IsMember({"none", "info", "mmd", "standard", "1", "2", "3", "4"}, CLI::ignore_case));
}

ConversionMode conversionModeNamed(const std::string& mode) {
    std::string lower = mode;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return modeNames.at(lower);
}

FailureSink failuresTo(CliReporter& report) {
    return [&report](const std::exception& error) {
        report.error(describeFailure(error, {.nameFile = true, .replaceHint = forceHint}));
    };
}

bool runJob(CliReporter& report, const std::function<void()>& job) {
    return runBatchItem(job, failuresTo(report));
}

int runBatch(CliReporter& report, const std::vector<std::string>& inputs,
             const std::function<void(const fs::path& input)>& job) {
    std::vector<fs::path> paths;
    for (const std::string& input : inputs) {
        paths.push_back(utf8ToPath(input));
    }
    const BatchCounts counts = runFileBatch(paths, job, reportTo(report), failuresTo(report));
    if (paths.size() > 1) {
        report.progress(batchSummary(counts));
    }
    return counts.failed == 0 ? 0 : 1;
}

JobReport reportTo(CliReporter& report) {
    return JobReport{.progress = [&report](std::string_view line) { report.progress(line); },
                     .warn = [&report](const std::string& message) { report.warning(message); },
                     .replaceHint = std::string(forceHint)};
}

std::filesystem::path outputFor(const std::filesystem::path& input, const std::string& output,
                                const std::string& outputFolder, std::string_view extension) {
    if (!output.empty()) {
        return utf8ToPath(output);
    }
    std::filesystem::path name = input.filename();
    name.replace_extension(std::filesystem::path(extension));
    if (!outputFolder.empty()) {
        return utf8ToPath(outputFolder) / name;
    }
    return input.parent_path() / name;
}

void makeOutputFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(utf8ToPath(folder), error);
    if (error || !fs::is_directory(utf8ToPath(folder), error)) {
        throw UserMessageError("出力フォルダを作成できませんでした: " + folder);
    }
}

CLI::Validator existingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            std::error_code error;
            return fs::is_directory(utf8ToPath(name), error) ? std::string() : "Directory does not exist: " + name;
        },
        "DIR");
}

}  // namespace zorvek

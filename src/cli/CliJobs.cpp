#include "cli/CliJobs.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "ui/CommandGuard.h"

#include <cctype>
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
};

}  // namespace

void addModeOption(CLI::App& command, std::string& mode) {
    command
        .add_option("--mode", mode,
                    "Bone names and axes: none (frame names), info (name@id, axes turned),\n"
                    "mmd (MMD names, axes turned, leg IK); or 1, 2, 3 as in the menu. Default mmd")
        ->check(CLI::IsMember({"none", "info", "mmd", "1", "2", "3"}, CLI::ignore_case));
}

ConversionMode conversionModeNamed(const std::string& mode) {
    std::string lower = mode;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return modeNames.at(lower);
}

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

std::string batchSummary(std::size_t succeeded, std::size_t failed, std::size_t skipped) {
    std::string summary = "成功 " + std::to_string(succeeded) + " 件、失敗 " + std::to_string(failed) + " 件";
    if (skipped > 0) {
        summary += "、スキップ " + std::to_string(skipped) + " 件";
    }
    return summary;
}

int runBatch(CliReporter& report, const std::vector<std::string>& inputs,
             const std::function<void(const fs::path& input)>& job) {
    const std::size_t total = inputs.size();
    std::size_t succeeded = 0;
    for (std::size_t i = 0; i < total; ++i) {
        const fs::path input = utf8ToPath(inputs[i]);
        if (total > 1) {
            report.progress("[" + std::to_string(i + 1) + "/" + std::to_string(total) + "] " +
                            pathToUtf8(input.filename()));
        }
        succeeded += runJob(report, [&] { job(input); }) ? 1 : 0;
    }
    if (total > 1) {
        report.progress(batchSummary(succeeded, total - succeeded, 0));
    }
    return succeeded == total ? 0 : 1;
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

CLI::Validator existingFolder() {
    return CLI::Validator(
        [](std::string& name) {
            std::error_code error;
            return fs::is_directory(utf8ToPath(name), error) ? std::string() : "Directory does not exist: " + name;
        },
        "DIR");
}

void ClaimedOutputs::claim(const fs::path& output, const fs::path& input) {
    std::error_code error;
    const fs::path absolute = fs::absolute(output, error);
    const fs::path key = (error ? output : absolute).lexically_normal();
    const auto found = claimed_.find(key);
    if (found != claimed_.end()) {
        throw UserMessageError("出力ファイルが他の入力と重なります: " + pathToUtf8(found->second) + ", " +
                               pathToUtf8(input));
    }
    claimed_.emplace(key, input);
}

}  // namespace zorvek

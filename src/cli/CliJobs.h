#pragma once

#include "cli/CliReporter.h"
#include "jobs/JobReport.h"
#include "skeleton/ConversionMode.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zorvek {

// --mode: none, info or mmd (any case), or 1, 2, 3 as in the menu.
void addModeOption(CLI::App& command, std::string& mode);
ConversionMode conversionModeNamed(const std::string& mode);

// Runs one job; its errors are reported and counted, never thrown past it.
bool runJob(CliReporter& report, const std::function<void()>& job);

// "成功 N 件、失敗 M 件", then "、スキップ K 件" where the batch left some out.
std::string batchSummary(std::size_t succeeded, std::size_t failed, std::size_t skipped);

// One job per input, in order: "[i/N] name" before each and the count of
// successes and failures at the end when there are several; the others still
// run when one fails. The exit status: 0 when every job succeeded, else 1.
int runBatch(CliReporter& report, const std::vector<std::string>& inputs,
             const std::function<void(const std::filesystem::path& input)>& job);

// A job's progress lines to standard output, its warnings to standard error.
JobReport reportTo(CliReporter& report);

// Makes the -d folder with its parents; "出力フォルダを作成できませんでした" otherwise.
void makeOutputFolder(const std::string& folder);

// An existing folder named in UTF-8, on every platform (CLI::ExistingDirectory
// reads the name in the system's code page on Windows).
CLI::Validator existingFolder();

// The outputs a batch has claimed so far: a second input that maps to the
// same output (a/x.dff and b/x.dff into one folder) would replace the first's.
class ClaimedOutputs {
public:
    // Throws UserMessageError naming both inputs when the output is claimed already.
    void claim(const std::filesystem::path& output, const std::filesystem::path& input);

private:
    std::map<std::filesystem::path, std::filesystem::path> claimed_;
};

}  // namespace zorvek

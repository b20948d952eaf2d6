#pragma once

#include "cli/CliReporter.h"
#include "jobs/Batch.h"
#include "jobs/JobReport.h"
#include "skeleton/ConversionMode.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

// --mode: none, info, mmd or standard (any case), or 1, 2, 3, 4 as in the menu.
void addModeOption(CLI::App& command, std::string& mode);
ConversionMode conversionModeNamed(const std::string& mode);

// How the command line lets existing outputs be replaced, in the messages about them.
inline constexpr std::string_view forceHint = " (上書きするには --force を指定してください)";

// Each failure as an "エラー: " line: a file error names its file, since one
// run may touch many.
FailureSink failuresTo(CliReporter& report);

// Runs one job; its errors are reported and counted, never thrown past it.
bool runJob(CliReporter& report, const std::function<void()>& job);

// One job per input, in order: "[i/N] name" before each and the count of
// successes and failures at the end when there are several; the others still
// run when one fails. The exit status: 0 when every job succeeded, else 1.
int runBatch(CliReporter& report, const std::vector<std::string>& inputs,
             const std::function<void(const std::filesystem::path& input)>& job);

// A job's progress lines to standard output, its warnings to standard error.
JobReport reportTo(CliReporter& report);

// Where a batch job writes for one input: -o's file, else the input's name
// with the output's extension in -d's folder, else beside the input.
std::filesystem::path outputFor(const std::filesystem::path& input, const std::string& output,
                                const std::string& outputFolder, std::string_view extension);

// Makes the -d folder with its parents; "出力フォルダを作成できませんでした" otherwise.
void makeOutputFolder(const std::string& folder);

// An existing folder named in UTF-8, on every platform (CLI::ExistingDirectory
// reads the name in the system's code page on Windows).
CLI::Validator existingFolder();

}  // namespace zorvek

#pragma once

#include "cli/CliReporter.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {

struct MotionOptions {
    std::string input;
    std::string model;
    std::string mode = "standard";
    std::vector<std::string> animations;
    std::string output;
    std::string outputFolder;
    std::string tablesFolder;
    bool list = false;
    bool replaceExisting = false;
};

void defineIfpToVmd(CLI::App& app, MotionOptions& options);
// Checks what the parser cannot; throws CLI::ValidationError.
void checkIfpToVmdOptions(const MotionOptions& options);
int runIfpToVmd(CliReporter& report, const MotionOptions& options, const std::filesystem::path& defaultTables);

}  // namespace zorvek

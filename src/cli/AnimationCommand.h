#pragma once

#include "cli/CliReporter.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>

namespace zorvek {

struct AnimationOptions {
    std::string input;
    std::string model;
    std::string mode = "standard";
    std::string name;
    std::string output;
    std::string into;
    std::string tablesFolder;
    bool allKeys = false;
    bool replaceExisting = false;
};

void defineVmdToIfp(CLI::App& app, AnimationOptions& options);
int runVmdToIfp(CliReporter& report, const AnimationOptions& options, const std::filesystem::path& defaultTables);

}  // namespace zorvek

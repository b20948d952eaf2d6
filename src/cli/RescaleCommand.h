#pragma once

#include "cli/CliReporter.h"

#include <CLI/CLI.hpp>

#include <string>

namespace zorvek {

struct RescaleOptions {
    std::string input;
    std::string output;
    std::string factor;
    bool replaceExisting = false;
};

void defineRescale(CLI::App& app, RescaleOptions& options);
int runRescale(CliReporter& report, const RescaleOptions& options);

}  // namespace zorvek

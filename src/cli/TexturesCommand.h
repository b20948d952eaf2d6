#pragma once

#include "cli/CliReporter.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace zorvek {

struct TexturesOptions {
    std::vector<std::string> inputs;
    std::string outputFolder;
    std::string format = "png";
    bool replaceExisting = false;
};

void defineTextures(CLI::App& app, TexturesOptions& options);
int runTextures(CliReporter& report, const TexturesOptions& options);

}  // namespace zorvek

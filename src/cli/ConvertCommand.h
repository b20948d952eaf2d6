#pragma once

#include "cli/CliReporter.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek {

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string outputFolder;
    std::string mode = "standard";
    std::string textureExtension = ".png";
    std::string tablesFolder;
    std::string dictionary;
    bool noTextures = false;
    bool replaceExisting = false;
};

void defineConvert(CLI::App& app, ConvertOptions& options);
// Checks what the parser cannot; throws CLI::ValidationError.
void checkConvertOptions(ConvertOptions& options);
int runConvert(CliReporter& report, const ConvertOptions& options, const std::filesystem::path& defaultTables);

}  // namespace zorvek

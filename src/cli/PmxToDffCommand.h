#pragma once

#include "cli/CliReporter.h"
#include "cli/TxdCommand.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace zorvek {

struct PmxToDffOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::string outputFolder;
    std::optional<float> height;
    std::string boneTable;
    TextureOptions textures;
    bool replaceExisting = false;
};

void definePmxToDff(CLI::App& app, PmxToDffOptions& options);
// Checks what the parser cannot; throws CLI::ValidationError.
void checkPmxToDffOptions(const PmxToDffOptions& options);
int runPmxToDff(CliReporter& report, const PmxToDffOptions& options);

}  // namespace zorvek

#pragma once

#include "cli/CliReporter.h"
#include "txd/TexturePacking.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace zorvek {

// How textures are stored, as `txd` and `pmx2dff` take it.
struct TextureOptions {
    std::string format = "dxt";
    bool mipmaps = false;
    std::uint32_t maxTexture = largestTextureSide;
};

void defineTextureOptions(CLI::App& command, TextureOptions& options);
TexturePackSettings texturePackSettings(const TextureOptions& options);

struct TxdOptions {
    std::vector<std::string> images;
    std::string output;
    TextureOptions textures;
    bool replaceExisting = false;
};

void defineTxd(CLI::App& app, TxdOptions& options);
int runTxd(CliReporter& report, const TxdOptions& options);

}  // namespace zorvek

#pragma once

// The bundled sample: a small skinned San Andreas-style ped built from code
// (skeleton, mesh, skin) and written with the test DFF builder, with its
// textures in a texture dictionary (TXD) of the same name; an animation file
// (IFP) and an MMD motion (VMD) for it go with it.

#include "base/FileIo.h"
#include "support/dff/DffBuilder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zorvek::sample {

inline constexpr const char* sampleModelFileName = "zorvek_sample.dff";
inline constexpr const char* sampleTextureDictionaryFileName = "zorvek_sample.txd";

struct SampleFile {
    std::string name;
    Bytes bytes;
};

test::SkinnedModel buildSampleModel();
// The DFF first, then the TXD, the IFP and the VMD.
std::vector<SampleFile> buildSampleFiles();
// Creates the folder when needed; returns the paths written.
std::vector<std::filesystem::path> writeSampleFiles(const std::filesystem::path& folder);

}  // namespace zorvek::sample

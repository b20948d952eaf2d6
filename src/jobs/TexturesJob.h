#pragma once

#include "image/ImageFormat.h"
#include "jobs/JobReport.h"
#include "jobs/TextureExport.h"

#include <filesystem>

namespace zorvek {

struct UnpackTexturesJob {
    std::filesystem::path dictionary;
    std::filesystem::path folder;  // where the images go
    ImageFormat format = ImageFormat::Png;
    bool replaceExisting = false;
};

// Every texture of a TXD as an image file named after the texture. A
// dictionary that cannot be read fails the job; a texture that cannot be
// written is a warning. `written` keeps a batch's dictionaries from
// replacing each other's images.
void unpackTextureDictionary(const UnpackTexturesJob& job, const JobReport& report, WrittenImages* written);

// The typed extension of a format: ".png", ".bmp", ".tga".
std::string_view imageExtension(ImageFormat format);

}  // namespace zorvek

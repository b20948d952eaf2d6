#pragma once

#include "base/FileIo.h"
#include "image/Image.h"
#include "image/ImageFormat.h"

#include <filesystem>

namespace zorvek {

// The whole file in memory: RGBA where the image has alpha, RGB otherwise.
// The encoder is compiled into the program, so every platform writes the same
// bytes. Throws UserMessageError "画像が大きすぎます" for an image the formats'
// 32-bit sizes cannot describe, and std::invalid_argument when the pixel
// bytes do not match the dimensions (or either is zero).
Bytes encodeImage(const Image& image, ImageFormat format);

// Encodes and writes through writeFileAtomically, with its errors.
void writeImageFile(const std::filesystem::path& path, const Image& image, ImageFormat format);

}  // namespace zorvek

#pragma once

#include "base/LargeArrays.h"
#include "pmx/PmxModel.h"

#include <cstddef>

namespace zorvek {

// The exact byte length of the model's file.
std::size_t pmxFileSize(const PmxModel& model);

// The whole file, in one block of exactly that size. The model must be
// consistent with its header: indices within their widths, as many face
// indices as the materials count, per-vertex arrays covering every vertex
// (or empty where that stands for a default).
ByteBlock writePmx(const PmxModel& model);

}  // namespace zorvek

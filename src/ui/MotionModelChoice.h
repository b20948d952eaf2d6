#pragma once

#include "console/Console.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"

#include <filesystem>
#include <optional>

namespace zorvek {

// The model a motion is made for, as both motion dialogues ask for it: the
// DFF the PMX was converted from, read and prepared in the mode chosen.
struct MotionModel {
    std::filesystem::path path;
    PreparedConversion model;
};

// Nothing when the file prompt is cancelled.
std::optional<MotionModel> chooseMotionModel(Console& console, const ConversionTables& tables);

}  // namespace zorvek

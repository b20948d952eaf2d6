#pragma once

#include "base/MappedFile.h"
#include "jobs/JobReport.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace zorvek {

// The factor typed by the user: the first word, converted completely to a
// finite number; nothing otherwise.
std::optional<float> parseScaleFactor(std::string_view answer);

// Scales the mapped DFF and writes the copy: the walk's checks and warnings
// first, then the output, completely or not at all. The menu maps the input
// before its questions, so that an unreadable file is reported at once.
void rescaleMappedDff(MappedFile& input, const std::filesystem::path& source, const std::filesystem::path& target,
                      float factor, const JobReport& report);

struct RescaleDffJob {
    std::filesystem::path input;
    std::filesystem::path output;
    float factor = 1;
    bool replaceExisting = false;
};

// One file to another, never asking, as the command line runs it.
void rescaleDffFile(const RescaleDffJob& job, const JobReport& report);

}  // namespace zorvek

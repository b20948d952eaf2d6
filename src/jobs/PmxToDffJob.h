#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "convert/PmxToDff.h"
#include "jobs/JobReport.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zorvek {

// The whole conversion of PMX (or PMD) bytes to DFF bytes, as the fuzzer runs it.
ByteBlock convertPmxBytes(std::span<const std::uint8_t> pmx, const PmxToDffSettings& settings, const WarningSink& warn);

struct PmxToDffJob {
    std::filesystem::path input;
    std::filesystem::path output;
    PmxToDffSettings settings;
    bool replaceExisting = false;
};

// One model to one ped DFF, never asking: the output may not be the input,
// and an existing output is replaced only when the job says so.
void convertPmxFile(const PmxToDffJob& job, const JobReport& report);

}  // namespace zorvek

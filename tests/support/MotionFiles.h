#pragma once

// What the motion tests of the command line and the menu share: the VMD the
// jobs make of an animation for a model, and how many files a folder holds.

#include "base/FileIo.h"
#include "ifp/IfpReader.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"

#include <filesystem>
#include <iterator>
#include <string>

namespace zorvek::test {

inline Bytes expectedMotion(const std::filesystem::path& ifp, const std::filesystem::path& dff,
                            const ConversionTables& tables, std::size_t animation, ConversionMode mode) {
    PreparedConversion model = DffConversion::fromFile(dff, [](const std::string&) {}).prepare(mode, tables);
    const ByteBlock vmd =
        MotionTarget(model, tables).buildVmd(readIfpFile(ifp).animations.at(animation), [](const std::string&) {});
    return Bytes(vmd.begin(), vmd.end());
}

inline std::size_t filesIn(const std::filesystem::path& path) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path), std::filesystem::directory_iterator()));
}

}  // namespace zorvek::test

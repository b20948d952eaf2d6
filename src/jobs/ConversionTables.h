#pragma once

#include "tables/BoneTable.h"
#include "tables/IkTable.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace zorvek {

// The two tables every conversion reads, loaded once and then read-only.
struct ConversionTables {
    BoneTable bones;
    IkTable iks;
};

// bones.dat, then iks.dat, from the folder; `progress` hears what is being read.
ConversionTables loadConversionTables(const std::filesystem::path& folder,
                                      const std::function<void(std::string_view)>& progress = {});

}  // namespace zorvek

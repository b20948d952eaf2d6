#include "app/TablesLocation.h"

#include <system_error>

#ifndef ZORVEK_INSTALLED_DATA_DIR
#define ZORVEK_INSTALLED_DATA_DIR ""
#endif

namespace zorvek {

namespace fs = std::filesystem;

namespace {

bool holdsTables(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "bones.dat", error);
}

}  // namespace

fs::path findTablesFolder() {
    const fs::path current = ".";
    if (holdsTables(current)) {
        return current;
    }
    const fs::path installed = ZORVEK_INSTALLED_DATA_DIR;
    if (!installed.empty() && holdsTables(installed)) {
        return installed;
    }
    return current;
}

}  // namespace zorvek

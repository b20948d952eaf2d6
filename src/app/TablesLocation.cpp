#include "app/TablesLocation.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef ZORVEK_INSTALLED_DATA_DIR
#define ZORVEK_INSTALLED_DATA_DIR ""
#endif

namespace zorvek {

namespace fs = std::filesystem;

namespace {

bool holdsTables(const fs::path& folder) {
    std::error_code error;
    return !folder.empty() && fs::is_regular_file(folder / "bones.dat", error);
}

fs::path executableFolder() {
#ifdef _WIN32
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(length);
    return fs::path(buffer).parent_path();
#else
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
#endif
}

}  // namespace

fs::path findTablesFolder() {
    const fs::path executable = executableFolder();
    // The install prefix may differ from the configured one; beside the binary comes last.
    for (const fs::path& folder :
         {fs::path("."), fs::path(ZORVEK_INSTALLED_DATA_DIR),
          executable.empty() ? fs::path() : executable / ".." / "share" / "zorvek", executable}) {
        if (holdsTables(folder)) {
            return folder;
        }
    }
    return ".";
}

}  // namespace zorvek

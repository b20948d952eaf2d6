#pragma once

#include <filesystem>

namespace zorvek {

// Where bones.dat and iks.dat are read: the current folder, as users of the
// original expect; else the installed data folder (the configured one, or
// share/zorvek beside the binary's prefix), else the binary's own folder, as a
// release zip lays them out. The current folder when none holds them, so that
// the missing table is reported.
std::filesystem::path findTablesFolder();

}  // namespace zorvek

#pragma once

#include <filesystem>

namespace zorvek {

// Where bones.dat and iks.dat are read: the current folder, as users of the
// original expect; else the installed data folder, so an installed binary
// works from anywhere. The current folder when neither holds them, so that the
// missing table is reported.
std::filesystem::path findTablesFolder();

}  // namespace zorvek

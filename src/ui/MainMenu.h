#pragma once

#include "console/Console.h"

#include <filesystem>

namespace zorvek {

// The interactive program: title, banner, the two tables from the folder,
// then the main menu until the user leaves or input ends. The exit status.
int runInteractiveProgram(Console& console, const std::filesystem::path& tablesFolder);

}  // namespace zorvek

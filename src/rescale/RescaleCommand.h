#pragma once

#include "common/Console.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace zorvek {

// Menu entry 5: the DFF rescale dialogue. Prints its own errors.
void rescaleDffCommand(Console& console);

// The factor typed by the user: the first word, converted completely to a
// finite number; nothing otherwise.
std::optional<float> parseScaleFactor(std::string_view answer);

// True when both paths name the same file: equal text, or the same existing
// file under another spelling or through a link.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace zorvek

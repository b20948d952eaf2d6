#pragma once

#include "console/Console.h"

#include <string_view>

namespace zorvek {

// The console colours as a terminal's escape sequences (the bright variants).
constexpr std::string_view ansiColourSequence(Colour colour) {
    switch (colour) {
    case Colour::Heading: return "\x1b[96m";
    case Colour::Error: return "\x1b[91m";
    case Colour::Warning: return "\x1b[93m";
    case Colour::Input: return "\x1b[97m";
    }
    return "\x1b[0m";
}

// Back to the user's own colours.
inline constexpr std::string_view ansiUserColours = "\x1b[0m";

}  // namespace zorvek

#pragma once

#include "console/Console.h"

#include <optional>
#include <string>
#include <string_view>

namespace zorvek {

// The forms every command builds its dialogue from, so that all look alike.
void printColoured(Console& console, Colour colour, std::string_view text);
void printLine(Console& console, std::string_view text);
void printError(Console& console, std::string_view message);
void printWarning(Console& console, std::string_view message);
void printHeading(Console& console, std::string_view title);
void printCancelled(Console& console);
// A key that no menu entry takes.
void printInvalidChoice(Console& console);

// A menu key, echoed in ColourInput; nothing at the end of input.
std::optional<int> readChoiceKey(Console& console);
void waitAnyKey(Console& console);

// The first word of the first non-blank line; throws OperationCancelled at the end of input.
std::string readWord(Console& console);

// One line read for a number, in ColourInput; throws OperationCancelled at the end of input.
std::string readNumberLine(Console& console);

// A question that ends in "(y/n)> ", answered by a typed line in ColourInput:
// true for y, Y or yes, false for any other answer, nothing at the end of input.
std::optional<bool> askYesNo(Console& console, std::string_view question);

}  // namespace zorvek

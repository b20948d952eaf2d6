#pragma once

#include "base/Warnings.h"
#include "console/Console.h"
#include "jobs/JobReport.h"

#include <functional>

namespace zorvek {

// Runs one command to its end: its errors are printed with "エラー: " as
// describeFailure words them, a cancel with the cancel message, and nothing
// unwinds into the menu.
void guardCommand(Console& console, const std::function<void()>& command);

// Shows each warning as a "警告: " line as it arises.
WarningSink warningsTo(Console& console);

// A job's progress as plain lines and its warnings as "警告: " lines.
JobReport reportTo(Console& console);

}  // namespace zorvek

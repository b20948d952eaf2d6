#pragma once

#include "base/Warnings.h"

#include <functional>
#include <string_view>

namespace zorvek {

// Where a job's progress lines and warnings go: the console's forms in the
// menu, standard output and standard error on the command line.
struct JobReport {
    std::function<void(std::string_view line)> progress = [](std::string_view) {};
    WarningSink warn = [](const std::string&) {};
};

}  // namespace zorvek

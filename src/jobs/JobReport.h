#pragma once

#include "base/Warnings.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace zorvek {

// Where a job's progress lines and warnings go: the console's forms in the
// menu, standard output and standard error on the command line.
struct JobReport {
    std::function<void(std::string_view line)> progress = [](std::string_view) {};
    WarningSink warn = [](const std::string&) {};
    // How the user allows existing files to be replaced, said in the warning
    // for one that was kept: the command line names its flag.
    std::string replaceHint{};
};

// The same report, each distinct warning passed on once: a batch that meets the
// same problem in every file (a motion's long bone names) says so once.
inline JobReport withEachWarningOnce(JobReport report) {
    auto seen = std::make_shared<std::set<std::string>>();
    report.warn = [seen, warn = std::move(report.warn)](const std::string& message) {
        if (seen->insert(message).second) {
            warn(message);
        }
    };
    return report;
}

}  // namespace zorvek

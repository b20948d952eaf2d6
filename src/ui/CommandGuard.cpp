#include "ui/CommandGuard.h"

#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "jobs/Failures.h"

namespace zorvek {

void guardCommand(Console& console, const std::function<void()>& command) {
    try {
        command();
    } catch (const OperationCancelled&) {
        console.setDefaultColour();
        printCancelled(console);
    } catch (const std::exception& error) {
        printError(console, describeFailure(error));
    }
}

WarningSink warningsTo(Console& console) {
    return [&console](const std::string& message) { printWarning(console, message); };
}

JobReport reportTo(Console& console) {
    return JobReport{.progress = [&console](std::string_view line) { printLine(console, line); },
                     .warn = warningsTo(console)};
}

}  // namespace zorvek

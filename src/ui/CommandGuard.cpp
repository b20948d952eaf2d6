#include "ui/CommandGuard.h"

#include "base/UserMessageError.h"
#include "ui/ConsoleForms.h"

#include <new>

namespace zorvek {

std::string describeUnexpectedError(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return "メモリが足りません";
    }
    return std::string("予期しないエラーが発生しました (") + error.what() + ")";
}

void guardCommand(Console& console, const std::function<void()>& command) {
    try {
        command();
    } catch (const OperationCancelled&) {
        console.setDefaultColour();
        printCancelled(console);
    } catch (const UserMessageError& error) {
        printError(console, error.what());
    } catch (const std::exception& error) {
        printError(console, describeUnexpectedError(error));
    }
}

WarningSink warningsTo(Console& console) {
    return [&console](const std::string& message) { printWarning(console, message); };
}

JobReport reportTo(Console& console) {
    return JobReport{[&console](std::string_view line) { printLine(console, line); }, warningsTo(console)};
}

}  // namespace zorvek

#include "ui/MotionModelChoice.h"

#include "console/ConsoleForms.h"
#include "ui/CommandGuard.h"
#include "ui/ConvertDialogue.h"
#include "ui/PathPrompts.h"

namespace zorvek {

std::optional<MotionModel> chooseMotionModel(Console& console, const ConversionTables& tables) {
    console.endLine();
    const std::optional<std::filesystem::path> path = chooseOpenPath(console, dffFilter, modelPathPrompt);
    if (!path) {
        return std::nullopt;
    }
    DffConversion read = DffConversion::fromFile(*path, warningsTo(console));
    printLine(console, "読み込みが完了しました");
    return MotionModel{*path, std::move(read).prepare(chooseConversionMode(console), tables)};
}

}  // namespace zorvek

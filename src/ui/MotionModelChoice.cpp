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
    MotionModel chosen{*path, DffConversion::fromFile(*path, warningsTo(console))};
    printLine(console, "読み込みが完了しました");
    chosen.model.prepare(chooseConversionMode(console), tables);
    return chosen;
}

}  // namespace zorvek

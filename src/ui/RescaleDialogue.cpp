#include "ui/RescaleDialogue.h"

#include "base/MappedFile.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "jobs/ConvertJob.h"
#include "jobs/RescaleJob.h"
#include "ui/CommandGuard.h"
#include "ui/PathPrompts.h"

#include <optional>
#include <string>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

float askScaleFactor(Console& console) {
    console.endLine();
    console.write("倍率を入力してください> ");
    console.setColour(Colour::Input);
    const std::optional<std::string> answer = console.readLine();
    console.setDefaultColour();
    if (!answer) {
        console.endLine();
    }
    const std::optional<float> factor = parseScaleFactor(answer.value_or(""));
    if (!factor) {
        throw UserMessageError("倍率には数値を入力してください");
    }
    return *factor;
}

}  // namespace

void rescaleDffCommand(Console& console) {
    guardCommand(console, [&] {
        printHeading(console, "DFFの倍率を変更します");
        const std::optional<fs::path> source = chooseOpenPath(console);
        if (!source) {
            return;
        }
        MappedFile input(*source);
        console.endLine();
        const std::optional<fs::path> target = chooseSavePath(console, dffFilter, "dff", *source);
        if (!target) {
            return;
        }
        printLine(console, "出力しています...");
        const float factor = askScaleFactor(console);
        rescaleMappedDff(input, *source, *target, factor, reportTo(console));
    });
}

}  // namespace zorvek

#include "ui/PmxToDffDialogue.h"

#include "base/FileIo.h"
#include "console/ConsoleForms.h"
#include "convert/GameTextureNames.h"
#include "convert/PmxToDff.h"
#include "dff/PedDffWriter.h"
#include "pmx/MmdModelReader.h"
#include "ui/CommandGuard.h"
#include "ui/PathPrompts.h"

#include <optional>

namespace zorvek {

namespace fs = std::filesystem;

void convertPmxToDff(Console& console) {
    guardCommand(console, [&] {
        printHeading(console, "PMXをDFFに変換します");
        const std::optional<fs::path> source = chooseOpenPath(console, pmxFilter);
        if (!source) {
            return;
        }
        const ByteBlock bytes = readLargeFile(*source);
        const PmxModel model = readMmdModel(bytes.span());
        printLine(console, "読み込みが完了しました");
        const std::optional<fs::path> target = chooseSavePath(console, dffFilter, "dff", *source);
        if (!target) {
            return;
        }
        printLine(console, "出力しています...");
        const WarningSink warn = warningsTo(console);
        const std::vector<std::string> textureNames = gameTextureNames(model.textures, warn);
        const ByteBlock dff = writePedDff(pmxToDff(model, textureNames, {}, warn));
        writeFileAtomically(*target, dff);
        printLine(console, "出力が完了しました");
    });
}

}  // namespace zorvek

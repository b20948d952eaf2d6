#include "ui/PmxToDffDialogue.h"

#include "base/FileIo.h"
#include "console/ConsoleForms.h"
#include "convert/GameTextureNames.h"
#include "convert/PmxToDff.h"
#include "dff/PedDffWriter.h"
#include "jobs/ConvertJob.h"
#include "jobs/PmxToDffJob.h"
#include "jobs/TextureDictionaryJob.h"
#include "pmx/MmdModelReader.h"
#include "ui/CommandGuard.h"
#include "ui/PathPrompts.h"

#include <optional>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

// The model's TXD beside the DFF; an existing one is replaced only when the
// user says so, as the DFF -> PMX dialogue asks for its images.
void writeDictionaryAsking(Console& console, const fs::path& source, const PmxModel& model,
                           const std::vector<std::string>& textureNames, const fs::path& dff) {
    printLine(console, "テクスチャを出力しています...");
    const fs::path txd = textureDictionaryBeside(dff);
    std::error_code error;
    if (fs::exists(txd, error)) {
        const std::optional<bool> answer = askYesNo(console, "テクスチャの辞書が既にあります。上書きしますか? (y/n)> ");
        if (!answer) {
            console.endLine();
        }
        if (!answer.value_or(false)) {
            printLine(console, "テクスチャを出力しました (0)");
            return;
        }
    }
    const PackedDictionary packed =
        packModelTextures(source.parent_path(), model, textureNames, {}, warningsTo(console));
    writeFileAtomically(txd, packed.bytes.span());
    printLine(console, "テクスチャを出力しました (" + std::to_string(packed.count) + ")");
}

}  // namespace

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
        refuseOutputOntoInput(*source, textureDictionaryBeside(*target));
        printLine(console, "出力しています...");
        const WarningSink warn = warningsTo(console);
        const std::vector<std::string> textureNames = gameTextureNames(model.textures, warn);
        const ByteBlock dff = writePedDff(pmxToDff(model, textureNames, {}, warn));
        writeFileAtomically(*target, dff);
        printLine(console, "出力が完了しました");
        writeDictionaryAsking(console, *source, model, textureNames, *target);
    });
}

}  // namespace zorvek

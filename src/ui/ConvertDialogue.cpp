#include "ui/ConvertDialogue.h"

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "jobs/ConvertJob.h"
#include "jobs/TextureExport.h"
#include "ui/CommandGuard.h"
#include "ui/PathPrompts.h"

#include <array>
#include <string_view>

namespace zorvek {

namespace {

struct ModeEntry {
    char key;
    std::string_view text;
    ConversionMode mode;
};

constexpr std::array<ModeEntry, 4> modeEntries{{
    {'1', ": 変換なし (非推奨)", ConversionMode::None},
    {'2', ": ボーン情報付与・軸変換 (GTAアニメーション編集に推奨)", ConversionMode::AxesAndBoneInfo},
    {'3', ": ボーン名・軸ともに変換 (MMDアニメーション適用に推奨)", ConversionMode::NamesAndAxes},
    {'4', ": MMD標準ボーン (MMDモーション・ダンスに推奨)", ConversionMode::Standard},
}};

std::string askTextureExtension(Console& console) {
    console.endLine();
    console.write("テクスチャの拡張子を入力してください (例: ");
    printColoured(console, Colour::Input, ".bmp");
    console.write(", ");
    printColoured(console, Colour::Input, ".png");
    console.write(")> ");
    console.setColour(Colour::Input);
    std::string extension = readWord(console);
    console.setDefaultColour();
    console.endLine();
    return extension;
}

// The model's images beside the PMX; existing ones are replaced only when the
// user says so, once for all of them.
void writeTexturesAsking(Console& console, const TexturePlan& plan) {
    if (plan.formatWritable) {
        printLine(console, "テクスチャを出力しています...");
    }
    for (const std::string& warning : plan.warnings) {
        printWarning(console, warning);
    }
    if (!plan.formatWritable) {
        return;
    }
    bool replaceExisting = true;
    if (!existingImages(plan).empty()) {
        const std::optional<bool> answer = askYesNo(console, "テクスチャの画像が既にあります。上書きしますか? (y/n)> ");
        if (!answer) {
            console.endLine();
        }
        replaceExisting = answer.value_or(false);
    }
    const WrittenTextures written = writeTextureImages(plan, replaceExisting, warningsTo(console), nullptr);
    printLine(console, "テクスチャを出力しました (" + std::to_string(written.count) + ")");
}

}  // namespace

ConversionMode chooseConversionMode(Console& console) {
    for (;;) {
        console.endLine();
        for (const ModeEntry& entry : modeEntries) {
            printColoured(console, Colour::Input, std::string_view(&entry.key, 1));
            printLine(console, entry.text);
        }
        console.write("ボーン名・軸変換の方法を選択してください> ");
        console.setColour(Colour::Input);
        const std::optional<int> key = readChoiceKey(console);
        console.setDefaultColour();
        if (!key) {
            throw OperationCancelled();
        }
        console.endLine();
        for (const ModeEntry& entry : modeEntries) {
            if (*key == entry.key) {
                return entry.mode;
            }
        }
        printInvalidChoice(console);
    }
}

void convertDffToPmx(Console& console, const ConversionTables& tables) {
    guardCommand(console, [&] {
        printHeading(console, "DFFをPMXに変換します");
        const std::optional<std::filesystem::path> source = chooseOpenPath(console);
        if (!source) {
            return;
        }
        DffConversion read = DffConversion::fromFile(*source, warningsTo(console));
        printLine(console, "読み込みが完了しました");
        PreparedConversion conversion = std::move(read).prepare(chooseConversionMode(console), tables);
        const std::string extension = askTextureExtension(console);
        const std::optional<std::filesystem::path> target = chooseSavePath(console, pmxFilter, "pmx", *source);
        if (!target) {
            return;
        }
        printLine(console, "出力しています...");
        // Planned first: building the PMX uses the model up.
        const std::optional<TexturePlan> textures = conversion.planTextures(*target, extension, {}, nullptr);
        const ByteBlock pmx = std::move(conversion).buildPmx(extension, tables, warningsTo(console));
        writeFileAtomically(*target, pmx);
        printLine(console, "出力が完了しました");
        if (textures) {
            writeTexturesAsking(console, *textures);
        }
    });
}

}  // namespace zorvek

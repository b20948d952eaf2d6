#include "ui/AnimationDialogue.h"

#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "ifp/IfpReader.h"
#include "jobs/AnimationJob.h"
#include "jobs/ConvertJob.h"
#include "ui/CommandGuard.h"
#include "ui/MotionModelChoice.h"
#include "ui/PathPrompts.h"
#include "vmd/VmdReader.h"

#include <optional>
#include <string>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

// The VMD's file name where an IFP can hold it; else typed, asked again until it can.
std::string chooseAnimationName(Console& console, const fs::path& vmdPath) {
    if (std::optional<std::string> name = animationNameOf(vmdPath)) {
        return *name;
    }
    printLine(console, "VMDのファイル名はアニメーション名にできません (" + std::string(animationNameRule) + ")");
    for (;;) {
        console.endLine();
        console.write("アニメーション名を入力してください> ");
        console.setColour(Colour::Input);
        const std::optional<std::string> typed = console.readLine();
        console.setDefaultColour();
        if (!typed) {
            throw OperationCancelled();
        }
        if (isIfpName(*typed)) {
            return *typed;
        }
        printLine(console, "アニメーション名にできません (" + std::string(animationNameRule) + "): " + *typed);
    }
}

// An existing San Andreas IFP, which the animation can join.
bool canTakeAnimations(const fs::path& path) {
    try {
        return readIfpFile(path).format == IfpFormat::Anp3;
    } catch (const UserMessageError&) {
        return false;
    }
}

// Where the animation goes in an existing file: added (true) or the file
// replaced (false); nothing when the user declines.
std::optional<bool> chooseAddition(Console& console, const fs::path& path, const std::string& name) {
    std::error_code error;
    if (!fs::exists(path, error) || !canTakeAnimations(path)) {
        return false;
    }
    const std::optional<bool> add =
        askYesNo(console, "このIFPファイルにアニメーションを追加しますか? (nでファイルを上書き) (y/n)> ");
    if (!add) {
        throw OperationCancelled();
    }
    if (*add && findAnimation(readIfpFile(path), name) != nullptr) {
        const std::optional<bool> replace =
            askYesNo(console, "同じ名前のアニメーションがあります。置き換えますか? (y/n)> ");
        if (!replace) {
            throw OperationCancelled();
        }
        if (!*replace) {
            printCancelled(console);
            return std::nullopt;
        }
    }
    return *add;
}

}  // namespace

void convertVmdToIfp(Console& console, const ConversionTables& tables) {
    guardCommand(console, [&] {
        printHeading(console, "VMDをIFPに変換します");
        const std::optional<fs::path> motionPath = chooseOpenPath(console, vmdFilter);
        if (!motionPath) {
            return;
        }
        const VmdMotion motion = readVmdFile(*motionPath);
        printLine(console, "読み込みが完了しました");
        const std::optional<MotionModel> chosen = chooseMotionModel(console, tables);
        if (!chosen) {
            return;
        }
        const fs::path& modelPath = chosen->path;
        const MotionTarget target(chosen->model, tables);
        const std::string name = chooseAnimationName(console, *motionPath);
        console.endLine();
        const std::optional<fs::path> path = chooseSavePath(console, ifpFilter, "ifp", *motionPath);
        if (!path) {
            return;
        }
        const std::optional<bool> into = chooseAddition(console, *path, name);
        if (!into) {
            return;
        }
        printLine(console, "出力しています...");
        // The prompts have asked about replacing; only the inputs are still refused.
        const AnimationFileJob job{
            .name = name, .path = *path, .inputs = {*motionPath, modelPath}, .into = *into, .replaceExisting = true};
        writeAnimationFile(target, motion, job, reportTo(console));
        printLine(console, "出力が完了しました");
    });
}

}  // namespace zorvek

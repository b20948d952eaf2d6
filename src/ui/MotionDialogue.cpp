#include "ui/MotionDialogue.h"

#include "base/TextBlanks.h"
#include "base/UserMessageError.h"
#include "console/ConsoleForms.h"
#include "ifp/IfpReader.h"
#include "jobs/Batch.h"
#include "jobs/Failures.h"
#include "jobs/MotionBatch.h"
#include "jobs/MotionJob.h"
#include "ui/CommandGuard.h"
#include "ui/MotionModelChoice.h"
#include "ui/PathPrompts.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view animationPrompt = "アニメーション名を入力してください (空欄ですべて)> ";

// One animation by name, or none for all of them; asks again for a name the file lacks.
const IfpAnimation* askAnimation(Console& console, const IfpFile& file, bool& all) {
    std::vector<std::string> names;
    for (const IfpAnimation& animation : file.animations) {
        names.push_back(shownAnimationName(animation.name));
    }
    for (;;) {
        console.endLine();
        console.write(animationPrompt);
        console.setColour(Colour::Input);
        const std::optional<std::string> typed = console.readLineCompleting(names);
        console.setDefaultColour();
        if (!typed) {
            throw OperationCancelled();
        }
        if (trimBlanks(*typed).empty()) {
            all = true;
            return nullptr;
        }
        if (const IfpAnimation* animation = findAnimation(file, *typed)) {
            return animation;
        }
        printLine(console, "アニメーションが見つかりません: " + std::string(trimBlanks(*typed)));
    }
}

void writeOne(Console& console, const MotionTarget& target, const IfpAnimation& animation,
              const std::vector<fs::path>& inputs) {
    // Said before a file is asked for that could never be written.
    if (!animation.failure.empty()) {
        throw UserMessageError(animation.failure);
    }
    // The save prompt offers the name of its source with the default extension:
    // "<animation>.vmd" beside the animation file. Should a file of that
    // source name exist, it is an animation file, which the prompt never replaces.
    fs::path offered = inputs.front().parent_path() / motionFileName(animation.name);
    offered.replace_extension(".ifp");
    const std::optional<fs::path> path = chooseSavePath(console, vmdFilter, "vmd", offered);
    if (!path) {
        return;
    }
    printLine(console, "出力しています...");
    // The prompt has asked about replacing; only the inputs are still refused.
    writeMotionFile(target, animation, {.path = *path, .inputs = inputs, .replaceExisting = true}, reportTo(console));
    printLine(console, "出力が完了しました");
}

// The menu asks once about all the files that exist already; the end of input cancels.
ExistingOutputs askReplaceExisting(Console& console, std::size_t existing) {
    if (existing == 0) {
        return ExistingOutputs::Keep;
    }
    const std::optional<bool> answer =
        askYesNo(console, "同じ名前のVMDファイルが" + std::to_string(existing) + "個あります。上書きしますか? (y/n)> ");
    if (!answer) {
        throw OperationCancelled();
    }
    return *answer ? ExistingOutputs::Replace : ExistingOutputs::Keep;
}

void printMotionFailure(Console& console, const std::exception& error) {
    if (const auto* claimed = dynamic_cast<const OutputClaimedError*>(&error)) {
        printError(console, "同じ名前のファイルに出力するアニメーションがあります: " + claimed->earlier() + ", " +
                                claimed->later());
        return;
    }
    // Only the files written are listed: the one that failed is named here.
    printError(console, describeFailure(error, {.nameFile = true}));
}

void writeAll(Console& console, const MotionTarget& target, const IfpFile& file, const std::vector<fs::path>& inputs) {
    const std::optional<fs::path> folder = chooseFolderPath(console);
    if (!folder) {
        return;
    }
    const MotionBatch batch{.selection = selectAnimations(file, {}), .folder = *folder, .inputs = inputs};
    writeMotionFiles(
        target, file, batch, [&console](std::size_t existing) { return askReplaceExisting(console, existing); },
        reportTo(console), [&console](const std::exception& error) { printMotionFailure(console, error); });
    printLine(console, "出力が完了しました");
}

}  // namespace

void convertIfpToVmd(Console& console, const ConversionTables& tables) {
    guardCommand(console, [&] {
        printHeading(console, "IFPをVMDに変換します");
        const std::optional<fs::path> animations = chooseOpenPath(console, ifpFilter);
        if (!animations) {
            return;
        }
        const IfpFile file = readIfpFile(*animations);
        printLine(console, "読み込みが完了しました");
        const std::optional<MotionModel> chosen = chooseMotionModel(console, tables);
        if (!chosen) {
            return;
        }
        const fs::path& modelPath = chosen->path;
        const MotionTarget target(chosen->model, tables);
        bool all = false;
        const IfpAnimation* animation = askAnimation(console, file, all);
        const std::vector<fs::path> inputs{*animations, modelPath};
        if (all) {
            writeAll(console, target, file, inputs);
        } else {
            writeOne(console, target, *animation, inputs);
        }
    });
}

}  // namespace zorvek

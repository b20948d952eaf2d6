#include "ui/MotionDialogue.h"

#include "base/FileIo.h"
#include "base/TextBlanks.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"
#include "jobs/ConvertJob.h"
#include "jobs/MotionJob.h"
#include "ui/CommandGuard.h"
#include "ui/ConsoleForms.h"
#include "ui/MotionModelChoice.h"
#include "ui/PathPrompts.h"

#include <string_view>
#include <utility>
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
    writeMotionFile(target, animation, {*path, inputs, true}, reportTo(console));
    printLine(console, "出力が完了しました");
}

void writeAll(Console& console, const MotionTarget& target, const IfpFile& file, const std::vector<fs::path>& inputs) {
    const std::optional<fs::path> folder = chooseFolderPath(console);
    if (!folder) {
        return;
    }
    const AnimationSelection selection = selectAnimations(file, {});
    std::vector<fs::path> paths;
    std::size_t existing = 0;
    for (const IfpAnimation* animation : selection.animations) {
        paths.push_back(*folder / motionFileName(animation->name));
        std::error_code error;
        existing += fs::exists(paths.back(), error) ? 1 : 0;
    }
    bool replace = false;
    if (existing > 0) {
        const std::optional<bool> answer = askYesNo(
            console, "同じ名前のVMDファイルが" + std::to_string(existing) + "個あります。上書きしますか? (y/n)> ");
        if (!answer) {
            throw OperationCancelled();
        }
        replace = *answer;
    }
    printLine(console, "出力しています...");
    const JobReport report = withEachWarningOnce(reportTo(console));
    if (!selection.hidden.empty()) {
        report.warn(hiddenAnimationsWarning(selection.hidden));
    }
    std::vector<std::pair<fs::path, const IfpAnimation*>> claimed;
    for (std::size_t i = 0; i < selection.animations.size(); ++i) {
        const IfpAnimation& animation = *selection.animations[i];
        try {
            // Two animations whose names differ only in characters a file
            // name cannot hold would land on one file: the first keeps it.
            for (const auto& [earlier, owner] : claimed) {
                if (isSameFile(earlier, paths[i]) || earlier == paths[i]) {
                    throw UserMessageError(
                        "同じ名前のファイルに出力するアニメーションがあります: " + numberedAnimationName(file, *owner) +
                        ", " + numberedAnimationName(file, animation));
                }
            }
            std::error_code error;
            if (!replace && fs::exists(paths[i], error)) {
                printWarning(console, "既にあるファイルは残しました: " + pathToUtf8(paths[i]));
                continue;
            }
            writeMotionFile(target, animation, {paths[i], inputs, true}, report);
            claimed.emplace_back(paths[i], &animation);
        } catch (const FileAccessError& error) {
            // Only the files written are listed: the one that failed is named here.
            printError(console, std::string(error.what()) + ": " + pathToUtf8(error.path()));
        } catch (const UserMessageError& error) {
            printError(console, error.what());
        } catch (const std::exception& error) {
            // One animation's fault is no reason to leave the others unwritten.
            printError(console, describeUnexpectedError(error));
        }
    }
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

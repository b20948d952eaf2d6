#include "jobs/MotionJob.h"

#include "base/FileIo.h"
#include "base/SafeFileName.h"
#include "base/TextBlanks.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "convert/BoneLayout.h"
#include "ifp/IfpReader.h"
#include "motion/AnimationBuilder.h"
#include "motion/MotionBuilder.h"
#include "vmd/VmdWriter.h"

#include <algorithm>

namespace zorvek {

namespace fs = std::filesystem;

MotionRig makeMotionRig(const PreparedConversion& model, const ConversionTables& tables) {
    return makeMotionRig(layoutBones(model.model(), model.skeleton(), model.mode(), tables.bones, tables.iks),
                         model.modelName());
}

MotionTarget::MotionTarget(const PreparedConversion& model, const ConversionTables& tables)
    : model_(model.model()), rig_(makeMotionRig(model, tables)) {}

ByteBlock MotionTarget::buildVmd(const IfpAnimation& animation, const WarningSink& warn) const {
    if (!animation.failure.empty()) {
        throw UserMessageError(animation.failure);
    }
    return writeVmd(buildMotion(rig_, model_, animation, warn));
}

IfpAnimation MotionTarget::buildAnimation(const VmdMotion& motion, std::string name, bool allKeys,
                                          const WarningSink& warn) const {
    const std::optional<KeyTolerance> reduction = allKeys ? std::nullopt : std::optional<KeyTolerance>(KeyTolerance{});
    return zorvek::buildAnimation(rig_, model_, motion, std::move(name), reduction, warn);
}

AnimationSelection selectAnimations(const IfpFile& file, const std::vector<std::string>& names) {
    AnimationSelection selection;
    if (names.empty()) {
        for (const IfpAnimation& animation : file.animations) {
            const IfpAnimation* found = findAnimation(file, animation.name);
            // A blank name finds nothing, so it hides nothing either.
            (found != nullptr && found != &animation ? selection.hidden : selection.animations).push_back(&animation);
        }
        return selection;
    }
    for (const std::string& name : names) {
        const IfpAnimation* animation = findAnimation(file, name);
        if (animation == nullptr) {
            throw UserMessageError("アニメーションが見つかりません: " + std::string(trimBlanks(name)));
        }
        if (std::find(selection.animations.begin(), selection.animations.end(), animation) ==
            selection.animations.end()) {
            selection.animations.push_back(animation);
        }
    }
    return selection;
}

std::string hiddenAnimationsWarning(const std::vector<const IfpAnimation*>& hidden) {
    std::string names;
    for (const IfpAnimation* animation : hidden) {
        names += (names.empty() ? "" : ", ") + shownAnimationName(trimBlanks(animation->name));
    }
    return "同じ名前のアニメーションは最初のものだけを出力します。" + std::to_string(hidden.size()) +
           " 件を飛ばしました: " + names;
}

std::string numberedAnimationName(const IfpFile& file, const IfpAnimation& animation) {
    const auto number = static_cast<std::size_t>(&animation - file.animations.data()) + 1;
    return shownAnimationName(animation.name) + " (" + std::to_string(number) + "番目)";
}

fs::path motionFileName(std::string_view animationName) {
    // The bytes of a name carry no encoding; each is taken as the character of its value.
    return utf8ToPath(safeFileName(shownAnimationName(trimBlanks(animationName))) + ".vmd");
}

void writeMotionFile(const MotionTarget& target, const IfpAnimation& animation, const MotionOutput& output,
                     const JobReport& report) {
    for (const fs::path& input : output.inputs) {
        refuseOutputOntoInput(input, output.path);
    }
    refuseExistingOutput(output.path, output.replaceExisting);
    const ByteBlock vmd = target.buildVmd(animation, report.warn);
    writeFileAtomically(output.path, vmd);
    report.progress(pathToUtf8(output.path));
}

std::size_t convertIfpBytes(std::span<const std::uint8_t> ifp, std::span<const std::uint8_t> dff, ConversionMode mode,
                            const ConversionTables& tables, const WarningSink& warn) {
    const IfpFile animations = readIfp(ifp);
    const PreparedConversion model = DffConversion::fromBytes(dff, u"model.dff", warn).prepare(mode, tables);
    const MotionTarget target(model, tables);
    std::size_t total = 0;
    for (const IfpAnimation& animation : animations.animations) {
        if (!animation.failure.empty()) {
            continue;  // refused as the batch refuses it; the others still reach the conversion
        }
        total += target.buildVmd(animation, warn).size();
    }
    return total;
}

}  // namespace zorvek

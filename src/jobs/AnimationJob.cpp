#include "jobs/AnimationJob.h"

#include "base/FileIo.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "ifp/IfpWriter.h"
#include "vmd/VmdReader.h"

#include <algorithm>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t longestIfpName = 23;

// The IFP's own name, by which the game knows the file's animations as a
// block: the file's name where it can hold it, else the animation's.
std::string fileBlockName(const fs::path& path, const std::string& animation) {
    const std::optional<std::string> stem = animationNameOf(path);
    return stem ? *stem : animation;
}

}  // namespace

bool isIfpName(std::string_view name) {
    return !name.empty() && name.size() <= longestIfpName &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

std::optional<std::string> animationNameOf(const fs::path& vmdPath) {
    const std::string stem = pathToUtf8(vmdPath.stem());
    if (isIfpName(stem)) {
        return stem;
    }
    return std::nullopt;
}

void checkAnimationName(std::string_view name) {
    if (!isIfpName(name)) {
        throw UserMessageError("アニメーション名にできません (" + std::string(animationNameRule) +
                               "): " + std::string(name));
    }
}

void writeAnimationFile(const MotionTarget& target, const VmdMotion& motion, const AnimationFileJob& job,
                        const JobReport& report) {
    checkAnimationName(job.name);
    for (const fs::path& input : job.inputs) {
        refuseOutputOntoInput(input, job.path);
    }
    if (!job.into) {
        refuseExistingOutput(job.path, job.replaceExisting);
    }
    const IfpAnimation animation = target.buildAnimation(motion, job.name, job.allKeys, report.warn);
    if (job.into) {
        const Bytes existing = readWholeFile(job.path);
        writeFileAtomically(job.path, addAnimationToAnp3(existing, animation, job.replaceExisting));
    } else {
        IfpFile file;
        file.name = fileBlockName(job.path, job.name);
        file.animations.push_back(animation);
        writeFileAtomically(job.path, writeAnp3(file));
    }
    report.progress(pathToUtf8(job.path));
}

std::size_t convertVmdBytes(std::span<const std::uint8_t> vmd, std::span<const std::uint8_t> dff, ConversionMode mode,
                            const ConversionTables& tables, const WarningSink& warn) {
    const VmdMotion motion = readVmd(vmd);
    const PreparedConversion model = DffConversion::fromBytes(dff, u"model.dff", warn).prepare(mode, tables);
    const MotionTarget target(model, tables);
    IfpFile file;
    file.name = "fuzz";
    file.animations.push_back(target.buildAnimation(motion, "fuzz", false, warn));
    return writeAnp3(file).size();
}

}  // namespace zorvek

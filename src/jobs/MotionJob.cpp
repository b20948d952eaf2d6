#include "jobs/MotionJob.h"

#include "base/FileIo.h"
#include "base/TextBlanks.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"
#include "motion/AnimationBuilder.h"
#include "motion/MotionBuilder.h"
#include "vmd/VmdWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace zorvek {

namespace fs = std::filesystem;

namespace {

MotionRig rigFor(const DffConversion& model, const ConversionTables& tables) {
    if (!model.prepared()) {
        throw std::logic_error("the skeleton is prepared before a motion is made for it");
    }
    const BonePlan plan = planBones(model.model(), model.mode(), tables.bones, tables.iks);
    return makeMotionRig(model.model(), model.mode(), plan, tables.iks, model.modelName());
}

// Names Windows keeps for devices, whatever the extension.
bool isDeviceName(std::string_view stem) {
    static constexpr std::array<std::string_view, 22> devices{
        "con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4", "com5", "com6", "com7",
        "com8", "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
    std::string lower(stem);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(devices.begin(), devices.end(), lower) != devices.end();
}

}  // namespace

MotionTarget::MotionTarget(const DffConversion& model, const ConversionTables& tables)
    : model_(model.model()), rig_(rigFor(model, tables)) {}

ByteBlock MotionTarget::buildVmd(const IfpAnimation& animation, const WarningSink& warn) const {
    return writeVmd(buildMotion(rig_, model_, animation, warn), warn);
}

IfpAnimation MotionTarget::buildAnimation(const VmdFile& motion, std::string name, bool allKeys,
                                          const WarningSink& warn) const {
    const std::optional<KeyTolerance> reduction = allKeys ? std::nullopt : std::optional<KeyTolerance>(KeyTolerance{});
    return zorvek::buildAnimation(rig_, model_, motion, std::move(name), reduction, warn);
}

std::vector<const IfpAnimation*> selectAnimations(const IfpFile& file, const std::vector<std::string>& names) {
    std::vector<const IfpAnimation*> selected;
    if (names.empty()) {
        for (const IfpAnimation& animation : file.animations) {
            selected.push_back(&animation);
        }
        return selected;
    }
    for (const std::string& name : names) {
        const IfpAnimation* animation = findAnimation(file, name);
        if (animation == nullptr) {
            throw UserMessageError("アニメーションが見つかりません: " + std::string(trimBlanks(name)));
        }
        if (std::find(selected.begin(), selected.end(), animation) == selected.end()) {
            selected.push_back(animation);
        }
    }
    return selected;
}

fs::path motionFileName(std::string_view animationName) {
    // The bytes of a name carry no encoding; each is taken as the character of its value.
    std::string name = shownAnimationName(trimBlanks(animationName));
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            c = '_';
        }
    }
    // Windows drops trailing dots and blanks, and a leading dot hides a file on Linux.
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.back() = '_';
    }
    if (!name.empty() && name.front() == '.') {
        name.front() = '_';
    }
    // Windows takes "nul.walk" for the device too: the part before the first dot counts.
    if (name.empty() || isDeviceName(std::string_view(name).substr(0, name.find('.')))) {
        // One character, not the string "_": mingw's GCC 12 at -O3 takes a
        // string inserted at 0 for an overlapping copy (a false -Wrestrict).
        name.insert(name.begin(), '_');
    }
    return utf8ToPath(name + ".vmd");
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

std::size_t convertIfpBytes(std::span<const std::uint8_t> ifp, std::span<const std::uint8_t> dff,
                            ConversionMode mode, const ConversionTables& tables, const WarningSink& warn) {
    const IfpFile animations = readIfp(ifp);
    DffConversion model = DffConversion::fromBytes(dff, u"model.dff", warn);
    model.prepare(mode, tables);
    const MotionTarget target(model, tables);
    std::size_t total = 0;
    for (const IfpAnimation& animation : animations.animations) {
        total += target.buildVmd(animation, warn).size();
    }
    return total;
}

}  // namespace zorvek

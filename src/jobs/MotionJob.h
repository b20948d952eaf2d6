#pragma once

#include "base/LargeArrays.h"
#include "base/Warnings.h"
#include "ifp/IfpAnimation.h"
#include "jobs/ConversionTables.h"
#include "jobs/ConvertJob.h"
#include "jobs/DffConversion.h"
#include "jobs/JobReport.h"
#include "motion/MotionRig.h"
#include "vmd/VmdMotion.h"

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zorvek {

// The rig of the PMX that the model converts to, in its mode: the bones a
// motion for that PMX poses. Refuses a model that the PMX conversion refuses.
MotionRig makeMotionRig(const PreparedConversion& model, const ConversionTables& tables);

// The PMX a motion is made for: the skeleton, names and rest places that the
// PMX converted from the same DFF, in the same mode and with the same tables,
// has. Refuses a model that the PMX conversion refuses.
class MotionTarget {
public:
    // `model` is kept by reference.
    MotionTarget(const PreparedConversion& model, const ConversionTables& tables);

    // Throws the animation's `failure` for one that could not be read whole.
    ByteBlock buildVmd(const IfpAnimation& animation, const WarningSink& warn) const;
    // The other way: the motion as MMD plays it on that PMX, as a game animation.
    IfpAnimation buildAnimation(const VmdMotion& motion, std::string name, bool allKeys, const WarningSink& warn) const;

private:
    const DffModel& model_;
    MotionRig rig_;
};

// What a batch converts of an animation file.
struct AnimationSelection {
    std::vector<const IfpAnimation*> animations;
    // Later animations under a name an earlier one has: the game finds an
    // animation by name and so only ever plays the first (the game's own
    // ped.ifp names three "abseil"). Left out, never written over the first.
    std::vector<const IfpAnimation*> hidden;
};

// The animations named, in the order named (the same one twice is converted
// once; a name finds the first animation it names); for an empty list all of
// them but the hidden ones. Throws UserMessageError
// "アニメーションが見つかりません: " + name for a name the file lacks.
AnimationSelection selectAnimations(const IfpFile& file, const std::vector<std::string>& names);

// The one warning for the hidden animations, naming them and how many.
std::string hiddenAnimationsWarning(const std::vector<const IfpAnimation*>& hidden);

// An animation as a batch names it where two may share a name or a file:
// "abseil (326番目)", its place in the file counted from 1.
std::string numberedAnimationName(const IfpFile& file, const IfpAnimation& animation);

// "<animation>.vmd", the name made safe as a file name (base/SafeFileName.h).
std::filesystem::path motionFileName(std::string_view animationName);

struct MotionOutput {
    std::filesystem::path path;
    std::vector<std::filesystem::path> inputs;  // the IFP and the DFF, never to be written over
    bool replaceExisting = false;
};

// One motion to its file, written whole or not at all; the output path is
// reported when done.
void writeMotionFile(const MotionTarget& target, const IfpAnimation& animation, const MotionOutput& output,
                     const JobReport& report);

// Every animation of IFP bytes onto the model of DFF bytes, in the mode, as
// the fuzzer runs it: the total size of the motions.
std::size_t convertIfpBytes(std::span<const std::uint8_t> ifp, std::span<const std::uint8_t> dff, ConversionMode mode,
                            const ConversionTables& tables, const WarningSink& warn);

}  // namespace zorvek

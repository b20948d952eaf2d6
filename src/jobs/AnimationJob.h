#pragma once

// MMD motions (VMD) into game animations (IFP) for the model a PMX was converted from.

#include "jobs/JobReport.h"
#include "jobs/MotionJob.h"
#include "vmd/VmdMotion.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

// How a name an IFP can hold is described to the user.
inline constexpr std::string_view animationNameRule = "ASCII文字で23文字まで";

// Whether an IFP can hold the name: 1 to 23 printable ASCII characters.
bool isIfpName(std::string_view name);

// The animation name a VMD's file name gives (its name without the
// extension), when an IFP can hold it.
std::optional<std::string> animationNameOf(const std::filesystem::path& vmdPath);

// Throws UserMessageError "アニメーション名にできません (ASCII文字で23文字まで): <name>"
// for a name an IFP cannot hold.
void checkAnimationName(std::string_view name);

// What one VMD becomes: the animation and the file it goes to.
struct AnimationFileJob {
    std::string name;      // the animation's, checked with checkAnimationName
    bool allKeys = false;  // a key at every frame, none dropped
    std::filesystem::path path;
    std::vector<std::filesystem::path> inputs;  // the VMD and the DFF, never to be written over
    bool into = false;                          // add the animation to the IFP at `path`
    // Replace the file (or, with `into`, its animation of the same name).
    bool replaceExisting = false;
};

// The animation to its file: a new IFP holding it alone, or the IFP at the
// path with it added, the other animations kept byte for byte. Written whole
// or not at all; the output path is reported when done.
void writeAnimationFile(const MotionTarget& target, const VmdMotion& motion, const AnimationFileJob& job,
                        const JobReport& report);

// The motion of VMD bytes onto the model of DFF bytes, in the mode, as the
// fuzzer runs it: the size of the IFP.
std::size_t convertVmdBytes(std::span<const std::uint8_t> vmd, std::span<const std::uint8_t> dff, ConversionMode mode,
                            const ConversionTables& tables, const WarningSink& warn);

}  // namespace zorvek

#pragma once

// The VMD file's fixed sizes, shared by the reader and the writer.

#include <cstddef>
#include <string_view>

namespace zorvek::vmd {

inline constexpr std::string_view magic = "Vocaloid Motion Data 0002";
// MikuMikuDance's first version wrote this magic and a shorter model name.
inline constexpr std::string_view oldMagic = "Vocaloid Motion Data file";
// The header field is wider than either text; what follows the text is not read.
inline constexpr std::size_t magicFieldSize = 30;
inline constexpr std::size_t modelNameSize = 20;
inline constexpr std::size_t oldModelNameSize = 10;

inline constexpr std::size_t boneNameSize = 15;
// Name, frame, position, rotation quaternion, interpolation.
inline constexpr std::size_t boneKeySize = boneNameSize + 4 + 12 + 16 + 64;
static_assert(boneKeySize == 111);

inline constexpr std::size_t ikNameSize = 20;
// Frame, shown, IK count; then per IK its name and whether it is on.
inline constexpr std::size_t showIkFrameHeadSize = 4 + 1 + 4;
inline constexpr std::size_t ikStateSize = ikNameSize + 1;

// The sections between the bone keys and the show/IK frames: a count, then
// keys of a fixed size. Morph keys are read; the others are skipped.
inline constexpr std::size_t morphNameSize = 15;
inline constexpr std::size_t morphKeySize = morphNameSize + 4 + 4;  // name, frame, weight
inline constexpr std::size_t cameraKeySize =
    4 + 4 + 12 + 12 + 24 + 4 + 1;  // frame, distance, target, angles, curves, view angle, perspective
inline constexpr std::size_t lightKeySize = 4 + 12 + 12;     // frame, colour, direction
inline constexpr std::size_t selfShadowKeySize = 4 + 1 + 4;  // frame, mode, distance

}  // namespace zorvek::vmd

#pragma once

// San Andreas's animation file (ANP3): its fixed sizes, frame types and the
// units of its compressed keys, shared by the reader and the writer.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zorvek::anp3 {

inline constexpr std::string_view magic = "ANP3";
inline constexpr std::size_t nameSize = 24;
// The file's header, an animation's and an object's: a name and three words
// (the file's magic and size take the place of its name's first eight bytes).
inline constexpr std::size_t headerSize = nameSize + 12;

enum class FrameType : std::uint32_t {
    Rotation = 1,
    RotationTranslation = 2,
    CompressedRotation = 3,
    CompressedRotationTranslation = 4,
};

// Only the frame type tells the size of a key: modded files break the
// animation's frame data size and flags, so readers go by this alone.
constexpr std::size_t keySize(FrameType type) {
    switch (type) {
    case FrameType::Rotation: return 20;
    case FrameType::RotationTranslation: return 32;
    case FrameType::CompressedRotation: return 10;
    case FrameType::CompressedRotationTranslation: return 16;
    }
    return 0;
}

// Compressed keys: quaternion parts in 1/4096, translations in 1/1024, times in 1/60 s.
inline constexpr double rotationScale = 4096;
inline constexpr double translationScale = 1024;
inline constexpr double ticksPerSecond = 60;

}  // namespace zorvek::anp3

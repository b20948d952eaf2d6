#pragma once

// Builds GTA animation files (IFP) from code: San Andreas's ANP3 with any
// frame type per track, and GTA III's and Vice City's ANPK chunk tree. Built
// from an IfpFile, a file reads back as that IfpFile, up to the quantisation
// of compressed ANP3 keys (anp3Key gives the key as the file holds it).
// Tests make malformed files by patching the bytes; the layout constants and
// fourCCOffset find the fields.

#include "base/FileIo.h"
#include "ifp/IfpAnimation.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zorvek::test {

// ---------------------------------------------------------------- ANP3

// The file header, an animation's header and an object's header are all a
// 24-byte name and three words.
inline constexpr std::size_t anp3NameSize = 24;
inline constexpr std::size_t anp3HeaderSize = 36;
// Offsets inside those headers.
inline constexpr std::size_t anp3AnimationCountAt = 32;  // in the file header
inline constexpr std::size_t anp3ObjectCountAt = 24;     // in an animation header
inline constexpr std::size_t anp3FrameTypeAt = 24;       // in an object header
inline constexpr std::size_t anp3KeyCountAt = 28;
inline constexpr std::size_t anp3BoneIdAt = 32;

// Bytes per key of frame types 1 to 4; 0 for any other.
std::size_t anp3KeySize(int frameType);

// 4 for a track with translations, 3 for one without: what the game's own
// files mostly use.
int defaultFrameType(const IfpTrack& track);

// Chooses the frame type of a track by animation and track index.
using FrameTypeChoice = std::function<int(std::size_t animation, std::size_t track)>;
FrameTypeChoice sameFrameType(int frameType);

struct Anp3Options {
    // Empty: defaultFrameType. A type other than 1 to 4 is written as it is,
    // with keys laid out as type 1's.
    FrameTypeChoice frameType;
    // Fills every name field after its NUL, repeated (real files carry such garbage).
    std::string nameGarbage;
    // Written after the last animation (real files carry junk there).
    Bytes trailing;
    // Writes 0xFFFFFFFF for the file size, the frame data sizes and the flags,
    // which modded files break; otherwise they are written as the game's files have them.
    bool brokenSizes = false;
};

// Throws std::length_error for a name longer than its field (a name that
// fills it is written without NUL) and std::out_of_range for a compressed
// value outside 16 bits.
Bytes buildAnp3(const IfpFile& file, const Anp3Options& options = {});

// The value a compressed key stores for `value` in units of 1/scale, rounded
// to the nearest; throws std::out_of_range outside 16 bits.
std::int16_t quantise(float value, float scale);

// The key as a file of that frame type holds it: compressed values rounded to
// 1/4096 (rotation), 1/1024 (translation) and 1/60 s (time), and no
// translation for types 1 and 3.
IfpKey anp3Key(const IfpKey& key, int frameType);

// ---------------------------------------------------------------- ANPK

inline constexpr std::size_t anpkChunkHeaderSize = 8;
inline constexpr std::size_t anpkObjectNameSize = 28;
inline constexpr std::size_t anpkAnimSize = 40;
inline constexpr std::size_t anpkAnimWithBoneIdSize = 44;

struct AnpkOptions {
    // ANIM chunks of 44 bytes with the track's bone id at offset 40.
    bool withBoneIds = false;
    // Tracks with translations in KRTS chunks with a scale of 1 instead of KRT0.
    bool withScale = false;
    // Written inside the ANPK chunk after the last animation.
    Bytes trailing;
};

// Quaternions are stored with x, y and z negated, as the game's files hold
// them, so that reading gives the input back. A track without keys gets no
// key chunk, as the game expects; the others KR00 without translations and
// KRT0 (or KRTS) with them.
Bytes buildAnpk(const IfpFile& file, bool withBoneIds);
Bytes buildAnpk(const IfpFile& file, const AnpkOptions& options);

// ---------------------------------------------------------------- patching

// The offset of the nth occurrence (0 is the first) of the four letters;
// throws std::logic_error when there is none.
std::size_t fourCCOffset(const Bytes& bytes, std::string_view fourCC, int nth = 0);
void putIfpU32(Bytes& bytes, std::size_t offset, std::uint32_t value);
void putIfpI16(Bytes& bytes, std::size_t offset, std::int16_t value);
void putIfpF32(Bytes& bytes, std::size_t offset, float value);

}  // namespace zorvek::test

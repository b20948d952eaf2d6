#include "vmd/VmdWriter.h"

#include "vmd/VmdLayout.h"

#include "base/BlockWriter.h"
#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"
#include "vmd/VmdInterpolation.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zorvek {
namespace {

using namespace vmd;

// Morph, camera, light and self-shadow key counts, all zero.
constexpr std::size_t emptySectionCount = 4;

std::uint32_t countOf(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw UserMessageError("VMDに書ける数を超えるキーがあります");
    }
    return static_cast<std::uint32_t>(count);
}

std::size_t boneKeyCount(const VmdMotion& motion) {
    std::size_t count = 0;
    for (const VmdBoneTrack& track : motion.tracks) {
        count += track.keys.size();
    }
    return count;
}

// A name as its field holds it, cut at a character when it is too long.
std::string fieldName(std::u16string_view name, std::size_t width, bool& cut) {
    std::string sjis = toShiftJis(name);
    cut = sjis.size() > width;
    return cut ? cutShiftJis(sjis, width) : sjis;
}

void writeHeader(BlockWriter& out, const VmdMotion& motion) {
    out.appendFixedText(magic, magicFieldSize);
    bool cut = false;
    out.appendFixedText(fieldName(motion.modelName, modelNameSize, cut), modelNameSize);
}

// The name, and mostly the interpolation, are the same in every key of a
// track: one record is prepared per track and only frame, position and
// rotation change (and the curves, where the track has its own).
void writeTrack(BlockWriter& out, const VmdBoneTrack& track, const WarningSink& warn) {
    if (track.keys.empty()) {
        return;  // nothing of it is written, so nothing to report
    }
    if (!track.interpolations.empty() && track.interpolations.size() != track.keys.size()) {
        throw std::invalid_argument("a VMD track's curves must be one set per key");
    }
    bool cut = false;
    const std::string name = fieldName(track.boneName, boneNameSize, cut);
    if (cut) {
        warn("VMDに入らない長いボーン名があります: " + utf16ToUtf8(track.boneName));
    }
    std::uint8_t record[boneKeySize]{};
    std::uint8_t* const values = BlockWriter::storeFixedText(record, name, boneNameSize);
    std::memcpy(values + 4 + 12 + 16, linearVmdInterpolation.data(), linearVmdInterpolation.size());
    for (std::size_t i = 0; i < track.keys.size(); ++i) {
        const VmdBoneKey& key = track.keys[i];
        std::uint8_t* const at = out.take(boneKeySize);
        std::memcpy(at, record, boneKeySize);
        std::uint8_t* field = at + boneNameSize;
        field = BlockWriter::store(field, key.frame);
        field = BlockWriter::store(field, key.position);
        field = BlockWriter::store(field, key.rotation);
        if (!track.interpolations.empty()) {
            std::memcpy(field, track.interpolations[i].data(), track.interpolations[i].size());
        }
    }
}

void writeShowIkKeys(BlockWriter& out, const VmdMotion& motion) {
    out.appendU32(countOf(motion.showIkKeys.size()));
    for (const VmdShowIkKey& key : motion.showIkKeys) {
        out.appendU32(key.frame);
        out.appendU8(key.visible ? 1 : 0);
        out.appendU32(countOf(key.iks.size()));
        for (const VmdIkSwitch& ik : key.iks) {
            bool cut = false;
            out.appendFixedText(fieldName(ik.ikName, ikNameSize, cut), ikNameSize);
            out.appendU8(ik.enabled ? 1 : 0);
        }
    }
}

}  // namespace

std::size_t vmdFileSize(const VmdMotion& motion) {
    std::size_t size = magicFieldSize + modelNameSize + 4 + countOf(boneKeyCount(motion)) * boneKeySize;
    size += emptySectionCount * 4;
    // The show/IK key count, refused like the others when it cannot be written.
    countOf(motion.showIkKeys.size());
    size += 4;
    for (const VmdShowIkKey& key : motion.showIkKeys) {
        size += showIkFrameHeadSize + countOf(key.iks.size()) * ikStateSize;
    }
    return size;
}

ByteBlock writeVmd(const VmdMotion& motion, const WarningSink& warn) {
    BlockWriter out(vmdFileSize(motion));
    writeHeader(out, motion);
    out.appendU32(countOf(boneKeyCount(motion)));
    for (const VmdBoneTrack& track : motion.tracks) {
        writeTrack(out, track, warn);
    }
    for (std::size_t section = 0; section < emptySectionCount; ++section) {
        out.appendU32(0);
    }
    writeShowIkKeys(out, motion);
    return out.finish();
}

}  // namespace zorvek

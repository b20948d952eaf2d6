#include "vmd/VmdWriter.h"

#include "vmd/VmdLayout.h"

#include "base/BlockWriter.h"
#include "base/ShiftJis.h"
#include "base/TextEncoding.h"
#include "base/UserMessageError.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace zorvek {
namespace {

using namespace vmd;

// Camera, light and self-shadow key counts, all zero.
constexpr std::size_t emptySectionCount = 3;

std::uint32_t countOf(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw UserMessageError("VMDに書ける数を超えるキーがあります");
    }
    return static_cast<std::uint32_t>(count);
}

std::size_t boneKeyCount(const VmdMotion& motion) {
    std::size_t count = 0;
    for (const VmdBoneTrack& track : motion.bones) {
        count += track.keys.size();
    }
    return count;
}

// A name as its field holds it, cut at a character when it is too long.
std::string fieldName(std::string_view sjis, std::size_t width) {
    return sjis.size() > width ? cutShiftJis(sjis, width) : std::string(sjis);
}

void writeHeader(BlockWriter& out, const VmdMotion& motion) {
    out.appendFixedText(magic, magicFieldSize);
    out.appendFixedText(fieldName(motion.sjisModelName, modelNameSize), modelNameSize);
}

// The name is the same in every key of a track: one record is prepared per
// track and only frame, position, rotation and curves change.
void writeTrack(BlockWriter& out, const VmdBoneTrack& track) {
    std::uint8_t record[boneKeySize]{};
    BlockWriter::storeFixedText(record, fieldName(track.sjisName, boneNameSize), boneNameSize);
    for (const VmdBoneKey& key : track.keys) {
        std::uint8_t* const at = out.take(boneKeySize);
        std::memcpy(at, record, boneNameSize);
        std::uint8_t* field = at + boneNameSize;
        field = BlockWriter::store(field, key.frame);
        field = BlockWriter::store(field, key.position);
        field = BlockWriter::store(field, key.rotation);
        std::memcpy(field, key.interpolation.data(), key.interpolation.size());
    }
}

std::size_t morphKeyCount(const VmdMotion& motion) {
    std::size_t count = 0;
    for (const VmdMorphTrack& track : motion.morphs) {
        count += track.keys.size();
    }
    return count;
}

void writeMorphKeys(BlockWriter& out, const VmdMotion& motion) {
    out.appendU32(countOf(morphKeyCount(motion)));
    for (const VmdMorphTrack& track : motion.morphs) {
        const std::string name = fieldName(track.sjisName, morphNameSize);
        for (const VmdMorphKey& key : track.keys) {
            out.appendFixedText(name, morphNameSize);
            out.appendU32(key.frame);
            BlockWriter::store(out.take(4), key.weight);
        }
    }
}

void writeShowIkFrames(BlockWriter& out, const VmdMotion& motion) {
    out.appendU32(countOf(motion.showIk.size()));
    for (const VmdShowIkFrame& frame : motion.showIk) {
        out.appendU32(frame.frame);
        out.appendU8(frame.visible ? 1 : 0);
        out.appendU32(countOf(frame.iks.size()));
        for (const VmdIkState& ik : frame.iks) {
            out.appendFixedText(fieldName(ik.sjisName, ikNameSize), ikNameSize);
            out.appendU8(ik.enabled ? 1 : 0);
        }
    }
}

}  // namespace

std::size_t vmdFileSize(const VmdMotion& motion) {
    std::size_t size = magicFieldSize + modelNameSize + 4 + countOf(boneKeyCount(motion)) * boneKeySize;
    size += 4 + countOf(morphKeyCount(motion)) * morphKeySize;
    size += emptySectionCount * 4;
    // The show/IK frame count, refused like the others when it cannot be written.
    countOf(motion.showIk.size());
    size += 4;
    for (const VmdShowIkFrame& frame : motion.showIk) {
        size += showIkFrameHeadSize + countOf(frame.iks.size()) * ikStateSize;
    }
    return size;
}

ByteBlock writeVmd(const VmdMotion& motion) {
    BlockWriter out(vmdFileSize(motion));
    writeHeader(out, motion);
    out.appendU32(countOf(boneKeyCount(motion)));
    for (const VmdBoneTrack& track : motion.bones) {
        writeTrack(out, track);
    }
    writeMorphKeys(out, motion);
    for (std::size_t section = 0; section < emptySectionCount; ++section) {
        out.appendU32(0);
    }
    writeShowIkFrames(out, motion);
    return out.finish();
}

std::string vmdBoneName(std::u16string_view name, const WarningSink& warn) {
    const std::string sjis = toShiftJis(name);
    if (sjis.size() <= boneNameSize) {
        return sjis;
    }
    warn("VMDに入らない長いボーン名があります: " + utf16ToUtf8(name));
    return cutShiftJis(sjis, boneNameSize);
}

std::string vmdModelName(std::u16string_view name) {
    return fieldName(toShiftJis(name), modelNameSize);
}

std::string vmdMorphName(std::u16string_view name) {
    return fieldName(toShiftJis(name), morphNameSize);
}

std::string vmdIkName(std::u16string_view name) {
    return fieldName(toShiftJis(name), ikNameSize);
}

}  // namespace zorvek

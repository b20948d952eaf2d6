#pragma once

// VMD files built byte by byte for the reader's tests, with the offsets at
// which each section starts, and readable failures for what the reader returns.

#include "base/FileIo.h"
#include "base/UserMessageError.h"
#include "support/ExpectError.h"
#include "vmd/VmdInterpolation.h"
#include "vmd/VmdMotion.h"
#include "vmd/VmdReader.h"

#include <array>
#include <bit>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvek {

inline void PrintTo(const VmdBoneKey& key, std::ostream* out) {
    const Vec3& p = key.position;
    const Vec4& q = key.rotation;
    *out << "{frame " << key.frame << ", p " << p.x << ' ' << p.y << ' ' << p.z << ", q " << q.x << ' ' << q.y << ' '
         << q.z << ' ' << q.w << ", curves " << int{key.interpolation[0]} << ".." << int{key.interpolation[63]} << '}';
}

namespace test {

inline const std::string notVmd = "VMDファイルではありません";

inline std::string broken(const std::string& where) {
    return "ファイルが壊れています (" + where + ")";
}

// The sections in file order, as broken-file messages name them.
inline const std::array<std::string, 6> vmdParts = {
    "VMD\\ボーンキー", "VMD\\モーフキー", "VMD\\カメラキー", "VMD\\照明キー", "VMD\\セルフ影キー", "VMD\\表示・IK",
};
// The size of one key of the skipped sections: morph, camera, light, self-shadow.
inline constexpr std::array<std::size_t, 4> skippedKeySizes = {23, 61, 28, 9};
// What fills the skipped keys, so that a reader that misses their end reads it.
inline constexpr std::uint8_t skippedKeyByte = 0xCD;

inline void putU8(Bytes& bytes, std::uint8_t value) {
    bytes.push_back(value);
}

inline void putU32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline void putF32(Bytes& bytes, float value) {
    putU32(bytes, std::bit_cast<std::uint32_t>(value));
}

// Text in a field of `width` bytes, then `padding` repeated to fill it.
inline void putField(Bytes& bytes, std::string_view text, std::size_t width, char padding = '\0') {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize(bytes.size() + width - text.size(), static_cast<std::uint8_t>(padding));
}

struct NamedKey {
    std::string field;  // the name field's content, up to 15 bytes
    VmdBoneKey key;
};

struct VmdLayout {
    std::string_view magic = "Vocaloid Motion Data 0002";
    std::size_t modelNameWidth = 20;
    std::string modelName;
    std::vector<NamedKey> boneKeys;  // in file order
    std::array<std::uint32_t, 4> skippedKeyCounts{};
    std::vector<VmdShowIkFrame> showIk;  // in file order
    // How many of the sections after the bone keys are there at all.
    std::size_t laterSections = 5;
};

struct BuiltVmd {
    Bytes bytes;
    // Where each section's count starts (vmdParts' order); a section that is
    // not there starts at the end.
    std::array<std::size_t, 6> sectionStarts{};
};

inline VmdBoneKey fileKey(std::uint32_t frame, Vec3 position, Vec4 rotation = {0, 0, 0, 1},
                          const std::array<std::uint8_t, 64>& interpolation = linearVmdInterpolation) {
    return {frame, position, rotation, interpolation};
}

inline void putBoneKey(Bytes& bytes, const NamedKey& named) {
    putField(bytes, named.field, 15);
    putU32(bytes, named.key.frame);
    for (float value : {named.key.position.x, named.key.position.y, named.key.position.z, named.key.rotation.x,
                        named.key.rotation.y, named.key.rotation.z, named.key.rotation.w}) {
        putF32(bytes, value);
    }
    bytes.insert(bytes.end(), named.key.interpolation.begin(), named.key.interpolation.end());
}

inline void putShowIkFrame(Bytes& bytes, const VmdShowIkFrame& frame) {
    putU32(bytes, frame.frame);
    putU8(bytes, frame.visible ? 1 : 0);
    putU32(bytes, static_cast<std::uint32_t>(frame.iks.size()));
    for (const VmdIkState& ik : frame.iks) {
        putField(bytes, ik.sjisName, 20);
        putU8(bytes, ik.enabled ? 1 : 0);
    }
}

inline BuiltVmd buildVmd(const VmdLayout& layout) {
    BuiltVmd built;
    Bytes& bytes = built.bytes;
    putField(bytes, layout.magic, 30);
    putField(bytes, layout.modelName, layout.modelNameWidth);
    built.sectionStarts[0] = bytes.size();
    putU32(bytes, static_cast<std::uint32_t>(layout.boneKeys.size()));
    for (const NamedKey& key : layout.boneKeys) {
        putBoneKey(bytes, key);
    }
    for (std::size_t section = 0; section < 5; ++section) {
        built.sectionStarts[section + 1] = bytes.size();
        if (section >= layout.laterSections) {
            continue;
        }
        if (section == 4) {
            putU32(bytes, static_cast<std::uint32_t>(layout.showIk.size()));
            for (const VmdShowIkFrame& frame : layout.showIk) {
                putShowIkFrame(bytes, frame);
            }
        } else {
            putU32(bytes, layout.skippedKeyCounts[section]);
            bytes.resize(bytes.size() + layout.skippedKeyCounts[section] * skippedKeySizes[section], skippedKeyByte);
        }
    }
    return built;
}

// The message of the UserMessageError reading throws, or noUserError.
inline std::string readError(const Bytes& file) {
    return userErrorOf([&] { readVmd(file); });
}

}  // namespace test
}  // namespace zorvek

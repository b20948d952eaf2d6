#include "vmd/VmdReader.h"

#include "vmd/VmdLayout.h"

#include "base/ByteReader.h"
#include "base/FileIo.h"
#include "base/UserMessageError.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace zorvek {

namespace {

using namespace vmd;

// The sections between the morph keys and the show/IK frames, which the
// conversion does not use: a count, then keys of a fixed size.
struct SkippedSection {
    std::string_view part;
    std::size_t keySize;
};
constexpr SkippedSection skippedSections[] = {
    {"カメラキー", cameraKeySize},
    {"照明キー", lightKeySize},
    {"セルフ影キー", selfShadowKeySize},
};

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() && std::equal(text.begin(), text.end(), bytes.begin());
}

Vec3 readVec3(ByteReader& input) {
    Vec3 v;
    v.x = input.f32();
    v.y = input.f32();
    v.z = input.f32();
    return v;
}

VmdBoneKey readBoneKey(ByteReader& input) {
    VmdBoneKey key;
    key.frame = input.u32();
    key.position = readVec3(input);
    key.rotation.x = input.f32();
    key.rotation.y = input.f32();
    key.rotation.z = input.f32();
    key.rotation.w = input.f32();
    const std::span<const std::uint8_t> curves = input.view(key.interpolation.size());
    std::copy(curves.begin(), curves.end(), key.interpolation.begin());
    return key;
}

// The keys of one bone in the order they play: each as its frame in the high
// 32 bits and its number in the file in the low ones, sorted as numbers, so
// that keys on one frame keep the file's order.
using KeyOrder = std::vector<std::uint64_t>;

std::uint32_t numberInFile(std::uint64_t entry) {
    return static_cast<std::uint32_t>(entry);
}

void sortKeyOrder(KeyOrder& order) {
    if (!std::is_sorted(order.begin(), order.end())) {
        std::sort(order.begin(), order.end());
    }
}

// Keys of all bones come mixed in one list, in no order of frames. A first
// pass finds each key's bone through a map from name to place (one step
// however many bones there are) and orders the bones' keys by frame; the
// second reads each key once, straight into its place.
std::vector<VmdBoneTrack> readBoneKeys(ByteReader& input, const ByteReader::ErrorMaker& brokenFile) {
    const std::uint32_t count = input.u32();
    input.requireCount(count, boneKeySize);
    const std::span<const std::uint8_t> records = input.view(std::uint64_t{count} * boneKeySize);

    std::vector<VmdBoneTrack> bones;
    std::vector<KeyOrder> orders;
    std::unordered_map<std::string, std::size_t> placeOfName;
    ByteReader heads(records, brokenFile);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name = heads.text(boneNameSize);
        const std::uint32_t frame = heads.u32();
        heads.skip(boneKeySize - boneNameSize - 4);
        const auto [at, added] = placeOfName.try_emplace(std::move(name), bones.size());
        if (added) {
            bones.push_back({at->first, {}});
            orders.emplace_back();
        }
        orders[at->second].push_back(std::uint64_t{frame} << 32 | i);
    }
    for (std::size_t b = 0; b < bones.size(); ++b) {
        sortKeyOrder(orders[b]);
        std::vector<VmdBoneKey>& keys = bones[b].keys;
        keys.reserve(orders[b].size());
        for (const std::uint64_t entry : orders[b]) {
            const std::size_t at = std::size_t{numberInFile(entry)} * boneKeySize + boneNameSize;
            ByteReader record(records.subspan(at, boneKeySize - boneNameSize), brokenFile);
            keys.push_back(readBoneKey(record));
        }
    }
    return bones;
}

// Morph keys come mixed like bone keys; grouped by name, in the order of
// each morph's first key, each group ordered by frame with the file's order
// kept on one frame.
std::vector<VmdMorphTrack> readMorphKeys(ByteReader& input) {
    const std::uint32_t count = input.u32();
    input.requireCount(count, morphKeySize);
    std::vector<VmdMorphTrack> morphs;
    std::unordered_map<std::string, std::size_t> placeOfName;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name = input.text(morphNameSize);
        VmdMorphKey key;
        key.frame = input.u32();
        key.weight = input.f32();
        const auto [at, added] = placeOfName.try_emplace(std::move(name), morphs.size());
        if (added) {
            morphs.push_back({at->first, {}});
        }
        morphs[at->second].keys.push_back(key);
    }
    for (VmdMorphTrack& track : morphs) {
        std::stable_sort(track.keys.begin(), track.keys.end(),
                         [](const VmdMorphKey& a, const VmdMorphKey& b) { return a.frame < b.frame; });
    }
    return morphs;
}

VmdShowIkFrame readShowIkFrame(ByteReader& input) {
    VmdShowIkFrame frame;
    frame.frame = input.u32();
    frame.visible = input.u8() != 0;
    const std::uint32_t ikCount = input.u32();
    input.requireCount(ikCount, ikStateSize);
    frame.iks.reserve(ikCount);
    for (std::uint32_t i = 0; i < ikCount; ++i) {
        VmdIkState ik;
        ik.sjisName = input.text(ikNameSize);
        ik.enabled = input.u8() != 0;
        frame.iks.push_back(std::move(ik));
    }
    return frame;
}

std::vector<VmdShowIkFrame> readShowIkFrames(ByteReader& input) {
    const std::uint32_t count = input.u32();
    input.requireCount(count, showIkFrameHeadSize);
    std::vector<VmdShowIkFrame> frames;
    frames.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        frames.push_back(readShowIkFrame(input));
    }
    // Stable: of frames on one frame number, the later in the file rules.
    std::stable_sort(frames.begin(), frames.end(),
                     [](const VmdShowIkFrame& a, const VmdShowIkFrame& b) { return a.frame < b.frame; });
    return frames;
}

}  // namespace

VmdMotion readVmd(std::span<const std::uint8_t> bytes) {
    const bool old = startsWith(bytes, oldMagic);
    if (!old && !startsWith(bytes, magic)) {
        throw UserMessageError("VMDファイルではありません");
    }
    // The section being read, which a broken-file message names.
    std::string part = "VMD";
    const ByteReader::ErrorMaker brokenFile = [&part] {
        return UserMessageError("ファイルが壊れています (" + part + ")");
    };
    ByteReader input(bytes, brokenFile);
    input.skip(magicFieldSize);
    VmdMotion file;
    file.sjisModelName = input.text(old ? oldModelNameSize : modelNameSize);

    part = "VMD\\ボーンキー";
    file.bones = readBoneKeys(input, brokenFile);
    part = "VMD\\モーフキー";
    if (input.atEnd()) {
        return file;
    }
    file.morphs = readMorphKeys(input);
    for (const SkippedSection& section : skippedSections) {
        part = "VMD\\" + std::string(section.part);
        if (input.atEnd()) {
            return file;
        }
        // skip checks the whole size at once; 64 bits hold any count times a key.
        input.skip(std::uint64_t{input.u32()} * section.keySize);
    }
    part = "VMD\\表示・IK";
    if (!input.atEnd()) {
        file.showIk = readShowIkFrames(input);
    }
    return file;
}

VmdMotion readVmdFile(const std::filesystem::path& path) {
    const Bytes bytes = readWholeFile(path);
    return readVmd(bytes);
}

}  // namespace zorvek

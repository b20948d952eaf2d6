#include "ifp/IfpWriter.h"

#include "ifp/Anp3Layout.h"

#include "base/BlockWriter.h"
#include "base/UserMessageError.h"
#include "ifp/Anp3Reader.h"
#include "ifp/IfpQuantisation.h"
#include "ifp/IfpReader.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorvek {

namespace {

using anp3::headerSize;
using anp3::magic;
using anp3::nameSize;
using anp3::ticksPerSecond;
// The name field always ends in a NUL, as in the game's files.
constexpr std::size_t longestName = nameSize - 1;

constexpr auto rotationFrameType = static_cast<std::uint32_t>(anp3::FrameType::CompressedRotation);
constexpr auto rotationTranslationFrameType =
    static_cast<std::uint32_t>(anp3::FrameType::CompressedRotationTranslation);
constexpr std::size_t compressedRotationSize = anp3::keySize(anp3::FrameType::CompressedRotation);
constexpr std::size_t compressedRotationTranslationSize = anp3::keySize(anp3::FrameType::CompressedRotationTranslation);
// The game allocates one block for all keys of an animation with this flag.
constexpr std::uint32_t animationFlags = 1;

std::uint32_t frameType(const IfpTrack& track) {
    return track.hasTranslation ? rotationTranslationFrameType : rotationFrameType;
}

std::size_t keySize(const IfpTrack& track) {
    return track.hasTranslation ? compressedRotationTranslationSize : compressedRotationSize;
}

void checkName(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        std::string visible;
        for (const char c : name) {
            visible += c == '\0' ? std::string_view("\\0") : std::string_view(&c, 1);
        }
        throw UserMessageError("IFPに書けない名前です (NUL文字を含んでいます): " + shownAnimationName(visible));
    }
    if (name.size() > longestName) {
        throw UserMessageError("IFPに書けない長い名前です: " + shownAnimationName(name));
    }
}

struct AnimationSize {
    std::uint64_t frameData = 0;  // the keys alone
    std::uint64_t whole = 0;      // with the animation's and its objects' headers
};

// Checks the names on the way, so that no byte is written for a file they refuse.
AnimationSize animationSize(const IfpAnimation& animation) {
    checkName(animation.name);
    AnimationSize size;
    for (const IfpTrack& track : animation.tracks) {
        checkName(track.name);
        size.frameData += static_cast<std::uint64_t>(track.keys.size()) * keySize(track);
    }
    size.whole = headerSize + static_cast<std::uint64_t>(animation.tracks.size()) * headerSize + size.frameData;
    return size;
}

// The file's size word counts from the end of itself; it is a 32-bit word.
std::size_t checkedFileSize(std::uint64_t size) {
    if (size - 8 > std::numeric_limits<std::uint32_t>::max() || size > std::numeric_limits<std::size_t>::max()) {
        throw UserMessageError("IFPファイルに書ける大きさ (4GiB) を超えています");
    }
    return static_cast<std::size_t>(size);
}

// Compresses the keys of one animation; what 16 bits cannot hold is refused
// with the animation's name.
class KeyWriter {
public:
    explicit KeyWriter(const IfpAnimation& animation) : animation_(animation) {}

    void writeTrack(BlockWriter& out, const IfpTrack& track) const {
        int previousTick = 0;
        for (const IfpKey& key : track.keys) {
            std::uint8_t* at = out.take(keySize(track));
            at = storeRotation(at, key.rotation);
            const std::int16_t tick = ticks(key.time, previousTick);
            previousTick = tick;
            // The time comes before the translation, as the game reads them.
            at = BlockWriter::store(at, tick);
            if (track.hasTranslation) {
                storeTranslation(at, key.translation);
            }
        }
    }

private:
    static std::uint8_t* storeRotation(std::uint8_t* at, const Vec4& q) {
        for (const std::int16_t part : compressedRotation(q)) {
            at = BlockWriter::store(at, part);
        }
        return at;
    }

    std::int16_t ticks(float time, int previousTick) const {
        if (!std::isfinite(time)) {
            throw std::invalid_argument("an IFP key's time is not finite");
        }
        const std::optional<std::int16_t> tick = roundToI16(static_cast<double>(time) * ticksPerSecond);
        if (tick && *tick < previousTick) {
            throw std::invalid_argument("an IFP key's time is negative or before the previous key's");
        }
        if (!tick) {
            if (time < 0) {
                throw std::invalid_argument("an IFP key's time is negative");
            }
            throw UserMessageError("IFPに書けない長さのアニメーションです (546秒まで): " +
                                   shownAnimationName(animation_.name));
        }
        return *tick;
    }

    void storeTranslation(std::uint8_t* at, const Vec3& t) const {
        for (const float part : {t.x, t.y, t.z}) {
            if (!std::isfinite(part)) {
                throw std::invalid_argument("an IFP key's translation is not finite");
            }
            const std::optional<std::int16_t> stored = roundToI16(static_cast<double>(part) * anp3::translationScale);
            if (!stored) {
                throw UserMessageError("ルートの移動がIFPに書ける範囲 (±32m) を超えています: " +
                                       shownAnimationName(animation_.name));
            }
            at = BlockWriter::store(at, *stored);
        }
    }

    const IfpAnimation& animation_;
};

void writeAnimation(BlockWriter& out, const IfpAnimation& animation, const AnimationSize& size) {
    out.appendFixedText(animation.name, nameSize);
    out.appendU32(static_cast<std::uint32_t>(animation.tracks.size()));
    out.appendU32(static_cast<std::uint32_t>(size.frameData));
    out.appendU32(animationFlags);
    const KeyWriter keys(animation);
    for (const IfpTrack& track : animation.tracks) {
        out.appendFixedText(track.name, nameSize);
        out.appendU32(frameType(track));
        out.appendU32(static_cast<std::uint32_t>(track.keys.size()));
        out.appendI32(track.boneId);
        keys.writeTrack(out, track);
    }
}

// The file to write into, read with the reader's rules and errors.
Anp3Layout readExisting(std::span<const std::uint8_t> existing) {
    if (existing.size() >= magic.size() &&
        std::string_view(reinterpret_cast<const char*>(existing.data()), magic.size()) == magic) {
        return readAnp3Layout(existing);
    }
    // Not ANP3: the reader says what is wrong with it, if anything is.
    readIfp(existing);
    throw UserMessageError("GTA3・VCの形式 (ANPK) のIFPには書き込めません");
}

}  // namespace

ByteBlock writeAnp3(const IfpFile& file) {
    checkName(file.name);
    std::vector<AnimationSize> sizes;
    sizes.reserve(file.animations.size());
    std::uint64_t fileSize = headerSize;
    for (const IfpAnimation& animation : file.animations) {
        sizes.push_back(animationSize(animation));
        fileSize += sizes.back().whole;
    }
    BlockWriter out(checkedFileSize(fileSize));
    out.appendFixedText(magic, magic.size());
    out.appendU32(static_cast<std::uint32_t>(fileSize - 8));
    out.appendFixedText(file.name, nameSize);
    out.appendU32(static_cast<std::uint32_t>(file.animations.size()));
    for (std::size_t i = 0; i < file.animations.size(); ++i) {
        writeAnimation(out, file.animations[i], sizes[i]);
    }
    return out.finish();
}

ByteBlock addAnimationToAnp3(std::span<const std::uint8_t> existing, const IfpAnimation& animation, bool replace) {
    const Anp3Layout layout = readExisting(existing);
    const IfpAnimation* const same = findAnimation(layout.file, animation.name);
    if (same != nullptr && !replace) {
        throw UserMessageError("同じ名前のアニメーションが既にあります: " + shownAnimationName(animation.name));
    }
    const std::size_t count = layout.animationBytes.size();
    const std::size_t replaced =
        same != nullptr ? static_cast<std::size_t>(same - layout.file.animations.data()) : count;

    const AnimationSize size = animationSize(animation);
    std::uint64_t fileSize = headerSize + size.whole;
    for (std::size_t i = 0; i < count; ++i) {
        fileSize += i != replaced ? layout.animationBytes[i].size() : 0;
    }
    BlockWriter out(checkedFileSize(fileSize));
    // The magic, then the name field as it is, garbage after its NUL included.
    out.appendBytes(existing.first(magic.size()));
    out.appendU32(static_cast<std::uint32_t>(fileSize - 8));
    out.appendBytes(existing.subspan(8, nameSize));
    out.appendU32(static_cast<std::uint32_t>(replaced < count ? count : count + 1));
    for (std::size_t i = 0; i < count; ++i) {
        if (i == replaced) {
            writeAnimation(out, animation, size);
        } else {
            out.appendBytes(layout.animationBytes[i]);
        }
    }
    if (replaced == count) {
        writeAnimation(out, animation, size);
    }
    return out.finish();
}

}  // namespace zorvek

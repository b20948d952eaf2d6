#include "ifp/Anp3Reader.h"

#include "ifp/Anp3Layout.h"
#include "ifp/IfpReading.h"

namespace zorvek {

namespace {

using anp3::FrameType;
using anp3::headerSize;
using anp3::keySize;
using anp3::nameSize;

// In single precision, as the game divides.
constexpr float rotationScale = static_cast<float>(anp3::rotationScale);
constexpr float translationScale = static_cast<float>(anp3::translationScale);
constexpr float ticksPerSecond = static_cast<float>(anp3::ticksPerSecond);

Vec4 readRotation(ByteReader& input) {
    Vec4 q;
    q.x = input.f32();
    q.y = input.f32();
    q.z = input.f32();
    q.w = input.f32();
    return q;
}

Vec4 readCompressedRotation(ByteReader& input) {
    Vec4 q;
    q.x = input.i16() / rotationScale;
    q.y = input.i16() / rotationScale;
    q.z = input.i16() / rotationScale;
    q.w = input.i16() / rotationScale;
    return q;
}

Vec3 readCompressedTranslation(ByteReader& input) {
    Vec3 t;
    t.x = input.i16() / translationScale;
    t.y = input.i16() / translationScale;
    t.z = input.i16() / translationScale;
    return t;
}

IfpKey readKey(ByteReader& input, FrameType type) {
    IfpKey key;
    switch (type) {
    case FrameType::Rotation:
        key.rotation = readRotation(input);
        key.time = input.f32();
        break;
    case FrameType::RotationTranslation:
        key.rotation = readRotation(input);
        key.translation.x = input.f32();
        key.translation.y = input.f32();
        key.translation.z = input.f32();
        key.time = input.f32();
        break;
    case FrameType::CompressedRotation:
        key.rotation = readCompressedRotation(input);
        key.time = static_cast<float>(input.i16()) / ticksPerSecond;
        break;
    case FrameType::CompressedRotationTranslation:
        key.rotation = readCompressedRotation(input);
        // The time comes before the translation here.
        key.time = static_cast<float>(input.i16()) / ticksPerSecond;
        key.translation = readCompressedTranslation(input);
        break;
    }
    return key;
}

IfpTrack readObject(ByteReader& input, IfpPath& path, std::size_t number, std::string& failure) {
    PathPart part(path, partName({}, number));
    IfpTrack track;
    track.name = input.text(nameSize);
    path.rename(partName(track.name, number));
    const std::uint32_t typeWord = input.u32();
    const std::uint32_t keyCount = input.u32();
    track.boneId = input.i32();
    const auto type = static_cast<FrameType>(typeWord);
    const std::size_t size = keySize(type);
    if (size == 0) {
        input.fail();
    }
    track.hasTranslation = type == FrameType::RotationTranslation || type == FrameType::CompressedRotationTranslation;

    const PathPart keys(path, "キー");
    input.requireCount(keyCount, size);
    track.keys.reserve(keyCount);
    for (std::uint32_t i = 0; i < keyCount; ++i) {
        appendKey(path, track.keys, readKey(input, type), failure);
    }
    return track;
}

IfpAnimation readAnimation(ByteReader& input, IfpPath& path, std::size_t number) {
    PathPart part(path, partName({}, number));
    IfpAnimation animation;
    animation.name = input.text(nameSize);
    path.rename(partName(animation.name, number));
    const std::uint32_t objectCount = input.u32();
    input.skip(8);  // the frame data size and the flags, which real files do not keep right
    input.requireCount(objectCount, headerSize);
    animation.tracks.reserve(objectCount);
    for (std::uint32_t i = 0; i < objectCount; ++i) {
        animation.tracks.push_back(readObject(input, path, i + 1, animation.failure));
    }
    return animation;
}

// Reads the file; when `layout` is given, also notes where each animation's
// bytes lie.
IfpFile readFile(std::span<const std::uint8_t> bytes, Anp3Layout* layout) {
    IfpPath path("ANP3");
    ByteReader input(bytes, path.errorMaker());
    input.require(headerSize);
    input.skip(8);  // the magic, and a size that does not delimit the data
    IfpFile file;
    file.format = IfpFormat::Anp3;
    file.name = input.text(nameSize);
    const std::uint32_t animationCount = input.u32();
    input.requireCount(animationCount, headerSize);
    file.animations.reserve(animationCount);
    if (layout != nullptr) {
        layout->animationBytes.reserve(animationCount);
    }
    // Real files carry junk after the last animation: the count alone ends the reading.
    for (std::uint32_t i = 0; i < animationCount; ++i) {
        const std::size_t begin = input.position();
        file.animations.push_back(readAnimation(input, path, i + 1));
        if (layout != nullptr) {
            layout->animationBytes.push_back(bytes.subspan(begin, input.position() - begin));
        }
    }
    return file;
}

}  // namespace

IfpFile readAnp3(std::span<const std::uint8_t> bytes) {
    return readFile(bytes, nullptr);
}

Anp3Layout readAnp3Layout(std::span<const std::uint8_t> bytes) {
    Anp3Layout layout;
    layout.file = readFile(bytes, &layout);
    return layout;
}

}  // namespace zorvek

#include "ifp/AnpkReader.h"

#include "ifp/IfpReading.h"

#include <algorithm>
#include <string_view>

namespace zorvek {

namespace {

// Each chunk: a four-letter id, the payload's size, the payload padded to four bytes.
constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t chunkAlignment = 4;

// ANIM: the object's name, its key count, then words the game does not use,
// except in 44-byte chunks, which carry the bone id at offset 40.
constexpr std::size_t objectNameSize = 28;
constexpr std::size_t minimumAnimSize = objectNameSize + 4;
constexpr std::size_t animWithBoneIdSize = 44;
constexpr std::size_t boneIdOffset = 40;

// The least an animation takes (NAME, DGAN and its INFO with the count) and
// the least an object takes (CPAN and an ANIM with a key count of 0).
constexpr std::size_t minimumAnimationSize = 3 * chunkHeaderSize + 4;
constexpr std::size_t minimumObjectSize = 2 * chunkHeaderSize + minimumAnimSize;

enum class KeyLayout { Rotation, RotationTranslation, RotationTranslationScale };

std::size_t keySize(KeyLayout layout) {
    switch (layout) {
    case KeyLayout::Rotation: return 20;
    case KeyLayout::RotationTranslation: return 32;
    case KeyLayout::RotationTranslationScale: return 44;
    }
    return 0;
}

bool hasId(std::span<const std::uint8_t> id, std::string_view expected) {
    return std::equal(id.begin(), id.end(), expected.begin(), expected.end());
}

struct Chunk {
    std::span<const std::uint8_t> id;
    ByteReader payload;
};

// The parent moves past the chunk and its padding; padding cut off by the
// end of the parent is no loss.
Chunk readChunk(ByteReader& parent) {
    parent.require(chunkHeaderSize);
    const std::span<const std::uint8_t> id = parent.view(4);
    const std::uint32_t size = parent.u32();
    Chunk chunk{id, parent.sub(size)};
    const std::size_t padding = (chunkAlignment - size % chunkAlignment) % chunkAlignment;
    parent.skip(std::min(padding, parent.remaining()));
    return chunk;
}

ByteReader readChunk(ByteReader& parent, std::string_view expectedId) {
    Chunk chunk = readChunk(parent);
    if (!hasId(chunk.id, expectedId)) {
        parent.fail();
    }
    return std::move(chunk.payload);
}

std::uint32_t readCount(ByteReader& input) {
    const std::int32_t count = input.i32();
    if (count < 0) {
        input.fail();
    }
    return static_cast<std::uint32_t>(count);
}

// The game negates x, y and z of every stored quaternion; the keys hold the
// rotation it then uses.
IfpKey readKey(ByteReader& input, KeyLayout layout) {
    IfpKey key;
    key.rotation.x = -input.f32();
    key.rotation.y = -input.f32();
    key.rotation.z = -input.f32();
    key.rotation.w = input.f32();
    if (layout != KeyLayout::Rotation) {
        key.translation.x = input.f32();
        key.translation.y = input.f32();
        key.translation.z = input.f32();
    }
    if (layout == KeyLayout::RotationTranslationScale) {
        input.skip(12);  // the scale, which the game does not apply
    }
    key.time = input.f32();
    return key;
}

void readKeys(ByteReader& cpan, IfpPath& path, std::uint32_t keyCount, IfpTrack& track, std::string& failure) {
    PathPart part(path, "キー");
    Chunk chunk = readChunk(cpan);
    KeyLayout layout = KeyLayout::Rotation;
    if (hasId(chunk.id, "KR00")) {
        layout = KeyLayout::Rotation;
    } else if (hasId(chunk.id, "KRT0")) {
        layout = KeyLayout::RotationTranslation;
    } else if (hasId(chunk.id, "KRTS")) {
        layout = KeyLayout::RotationTranslationScale;
    } else {
        cpan.fail();
    }
    path.rename(std::string(chunk.id.begin(), chunk.id.end()));
    track.hasTranslation = layout != KeyLayout::Rotation;
    ByteReader& input = chunk.payload;
    input.requireCount(keyCount, keySize(layout));
    track.keys.reserve(keyCount);
    for (std::uint32_t i = 0; i < keyCount; ++i) {
        appendKey(path, track.keys, readKey(input, layout), failure);
    }
}

IfpTrack readObject(ByteReader& objects, IfpPath& path, std::size_t number, std::string& failure) {
    PathPart part(path, "CPAN");
    ByteReader cpan = readChunk(objects, "CPAN");
    IfpTrack track;
    std::uint32_t keyCount = 0;
    {
        PathPart anim(path, "ANIM");
        ByteReader input = readChunk(cpan, "ANIM");
        input.require(minimumAnimSize);
        track.name = input.text(objectNameSize);
        keyCount = readCount(input);
        if (input.size() == animWithBoneIdSize) {
            input.skip(boneIdOffset - input.position());
            track.boneId = input.i32();
        }
    }
    path.rename(partName(track.name, number));
    // The game reads no key chunk for an object without keys.
    if (keyCount != 0) {
        readKeys(cpan, path, keyCount, track, failure);
    }
    return track;
}

IfpAnimation readAnimation(ByteReader& anpk, IfpPath& path, std::size_t number) {
    PathPart part(path, partName({}, number));
    IfpAnimation animation;
    {
        PathPart name(path, "NAME");
        ByteReader input = readChunk(anpk, "NAME");
        animation.name = input.text(input.size());
    }
    path.rename(partName(animation.name, number));
    PathPart dgan(path, "DGAN");
    ByteReader objects = readChunk(anpk, "DGAN");
    std::uint32_t objectCount = 0;
    {
        PathPart info(path, "INFO");
        ByteReader input = readChunk(objects, "INFO");
        objectCount = readCount(input);
    }
    objects.requireCount(objectCount, minimumObjectSize);
    animation.tracks.reserve(objectCount);
    for (std::uint32_t i = 0; i < objectCount; ++i) {
        animation.tracks.push_back(readObject(objects, path, i + 1, animation.failure));
    }
    return animation;
}

}  // namespace

IfpFile readAnpk(std::span<const std::uint8_t> bytes) {
    IfpPath path("ANPK");
    ByteReader file(bytes, path.errorMaker());
    ByteReader anpk = readChunk(file, "ANPK");
    IfpFile result;
    result.format = IfpFormat::Anpk;
    std::uint32_t animationCount = 0;
    {
        PathPart info(path, "INFO");
        ByteReader input = readChunk(anpk, "INFO");
        animationCount = readCount(input);
        result.name = input.text(input.remaining());
    }
    anpk.requireCount(animationCount, minimumAnimationSize);
    result.animations.reserve(animationCount);
    // What follows the last animation is not read, as in ANP3 files.
    for (std::uint32_t i = 0; i < animationCount; ++i) {
        result.animations.push_back(readAnimation(anpk, path, i + 1));
    }
    return result;
}

}  // namespace zorvek

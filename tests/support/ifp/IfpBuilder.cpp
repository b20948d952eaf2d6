#include "support/ifp/IfpBuilder.h"

#include "support/dff/DffBuilder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace zorvek::test {

namespace {

constexpr float rotationScale = 4096.0f;
constexpr float translationScale = 1024.0f;
constexpr float ticksPerSecond = 60.0f;

void writeName(ByteWriter& out, const std::string& name, std::size_t fieldSize, std::string_view garbage) {
    if (name.size() > fieldSize) {
        throw std::length_error("name longer than its field: " + name);
    }
    out.text(name);
    for (std::size_t i = name.size(); i < fieldSize; ++i) {
        const bool afterNul = i > name.size() && !garbage.empty();
        out.u8(afterNul ? static_cast<std::uint8_t>(garbage[(i - name.size() - 1) % garbage.size()]) : 0);
    }
}

void writeI16(ByteWriter& out, std::int16_t value) {
    out.u16(static_cast<std::uint16_t>(value));
}

void writeAnp3Key(ByteWriter& out, const IfpKey& key, int frameType) {
    const Vec4& q = key.rotation;
    switch (frameType) {
    case 2: out.vec4(q).vec3(key.translation).f32(key.time); return;
    case 3:
    case 4:
        for (const float part : {q.x, q.y, q.z, q.w}) {
            writeI16(out, quantise(part, rotationScale));
        }
        writeI16(out, quantise(key.time, ticksPerSecond));
        if (frameType == 4) {
            for (const float part : {key.translation.x, key.translation.y, key.translation.z}) {
                writeI16(out, quantise(part, translationScale));
            }
        }
        return;
    default: out.vec4(q).f32(key.time); return;
    }
}

std::size_t writtenKeySize(int frameType) {
    const std::size_t size = anp3KeySize(frameType);
    return size != 0 ? size : anp3KeySize(1);
}

void writeAnp3Animation(ByteWriter& out, const IfpAnimation& animation, std::size_t index, const Anp3Options& options) {
    const FrameTypeChoice choice = options.frameType;
    std::vector<int> types;
    std::uint32_t frameDataSize = 0;
    for (std::size_t track = 0; track < animation.tracks.size(); ++track) {
        types.push_back(choice ? choice(index, track) : defaultFrameType(animation.tracks[track]));
        // The game's files count the key bytes only, without the object headers.
        frameDataSize += static_cast<std::uint32_t>(animation.tracks[track].keys.size() * writtenKeySize(types.back()));
    }
    writeName(out, animation.name, anp3NameSize, options.nameGarbage);
    out.u32(static_cast<std::uint32_t>(animation.tracks.size()));
    out.u32(options.brokenSizes ? 0xFFFFFFFF : frameDataSize);
    out.u32(options.brokenSizes ? 0xFFFFFFFF : 1);
    for (std::size_t track = 0; track < animation.tracks.size(); ++track) {
        const IfpTrack& object = animation.tracks[track];
        writeName(out, object.name, anp3NameSize, options.nameGarbage);
        out.u32(static_cast<std::uint32_t>(types[track]));
        out.u32(static_cast<std::uint32_t>(object.keys.size()));
        out.i32(object.boneId);
        for (const IfpKey& key : object.keys) {
            writeAnp3Key(out, key, types[track]);
        }
    }
}

// A chunk: its id, the payload's own size, the payload padded with zeros to four bytes.
void writeChunk(ByteWriter& out, std::string_view id, const Bytes& payload) {
    out.text(id);
    out.u32(static_cast<std::uint32_t>(payload.size()));
    out.bytes(payload);
    out.zeros((4 - payload.size() % 4) % 4);
}

Bytes textPayload(const std::string& text) {
    ByteWriter out;
    out.text(text).u8(0);
    return out.take();
}

Bytes anpkObject(const IfpTrack& track, const AnpkOptions& options) {
    ByteWriter anim;
    writeName(anim, track.name, anpkObjectNameSize, {});
    anim.u32(static_cast<std::uint32_t>(track.keys.size())).u32(0).u32(0);
    if (options.withBoneIds) {
        anim.i32(track.boneId);
    }
    ByteWriter cpan;
    writeChunk(cpan, "ANIM", anim.data());
    if (!track.keys.empty()) {
        const bool scaled = track.hasTranslation && options.withScale;
        ByteWriter keys;
        for (const IfpKey& key : track.keys) {
            keys.vec4({-key.rotation.x, -key.rotation.y, -key.rotation.z, key.rotation.w});
            if (track.hasTranslation) {
                keys.vec3(key.translation);
            }
            if (scaled) {
                keys.vec3({1, 1, 1});
            }
            keys.f32(key.time);
        }
        writeChunk(cpan, !track.hasTranslation ? "KR00" : scaled ? "KRTS" : "KRT0", keys.data());
    }
    ByteWriter out;
    writeChunk(out, "CPAN", cpan.data());
    return out.take();
}

Bytes anpkAnimation(const IfpAnimation& animation, const AnpkOptions& options) {
    ByteWriter dgan;
    ByteWriter info;
    info.u32(static_cast<std::uint32_t>(animation.tracks.size())).u32(0);
    writeChunk(dgan, "INFO", info.data());
    for (const IfpTrack& track : animation.tracks) {
        dgan.bytes(anpkObject(track, options));
    }
    ByteWriter out;
    writeChunk(out, "NAME", textPayload(animation.name));
    writeChunk(out, "DGAN", dgan.data());
    return out.take();
}

}  // namespace

std::size_t anp3KeySize(int frameType) {
    switch (frameType) {
    case 1: return 20;
    case 2: return 32;
    case 3: return 10;
    case 4: return 16;
    default: return 0;
    }
}

int defaultFrameType(const IfpTrack& track) {
    return track.hasTranslation ? 4 : 3;
}

FrameTypeChoice sameFrameType(int frameType) {
    return [frameType](std::size_t, std::size_t) { return frameType; };
}

std::int16_t quantise(float value, float scale) {
    const double scaled = std::round(static_cast<double>(value) * scale);
    if (!(scaled >= std::numeric_limits<std::int16_t>::min() && scaled <= std::numeric_limits<std::int16_t>::max())) {
        throw std::out_of_range("value outside a compressed key's 16 bits: " + std::to_string(value));
    }
    return static_cast<std::int16_t>(scaled);
}

IfpKey anp3Key(const IfpKey& key, int frameType) {
    IfpKey stored = key;
    if (frameType == 1 || frameType == 3) {
        stored.translation = {};
    }
    if (frameType == 3 || frameType == 4) {
        const Vec4& q = key.rotation;
        stored.rotation = {quantise(q.x, rotationScale) / rotationScale, quantise(q.y, rotationScale) / rotationScale,
                           quantise(q.z, rotationScale) / rotationScale, quantise(q.w, rotationScale) / rotationScale};
        stored.time = quantise(key.time, ticksPerSecond) / ticksPerSecond;
    }
    if (frameType == 4) {
        const Vec3& t = key.translation;
        stored.translation = {quantise(t.x, translationScale) / translationScale,
                              quantise(t.y, translationScale) / translationScale,
                              quantise(t.z, translationScale) / translationScale};
    }
    return stored;
}

Bytes buildAnp3(const IfpFile& file, const Anp3Options& options) {
    ByteWriter body;
    for (std::size_t index = 0; index < file.animations.size(); ++index) {
        writeAnp3Animation(body, file.animations[index], index, options);
    }
    ByteWriter out;
    out.text("ANP3");
    // The game's files count from the end of this word to the end of the last animation.
    out.u32(options.brokenSizes ? 0xFFFFFFFF : static_cast<std::uint32_t>(anp3NameSize + 4 + body.data().size()));
    writeName(out, file.name, anp3NameSize, options.nameGarbage);
    out.u32(static_cast<std::uint32_t>(file.animations.size()));
    out.bytes(body.data());
    out.bytes(options.trailing);
    return out.take();
}

Bytes buildAnpk(const IfpFile& file, bool withBoneIds) {
    AnpkOptions options;
    options.withBoneIds = withBoneIds;
    return buildAnpk(file, options);
}

Bytes buildAnpk(const IfpFile& file, const AnpkOptions& options) {
    ByteWriter info;
    info.u32(static_cast<std::uint32_t>(file.animations.size())).bytes(textPayload(file.name));
    ByteWriter anpk;
    writeChunk(anpk, "INFO", info.data());
    for (const IfpAnimation& animation : file.animations) {
        anpk.bytes(anpkAnimation(animation, options));
    }
    anpk.bytes(options.trailing);
    ByteWriter out;
    writeChunk(out, "ANPK", anpk.data());
    return out.take();
}

std::size_t fourCCOffset(const Bytes& bytes, std::string_view fourCC, int nth) {
    auto at = bytes.begin();
    for (int found = 0;; ++found) {
        at = std::search(at, bytes.end(), fourCC.begin(), fourCC.end());
        if (at == bytes.end()) {
            throw std::logic_error("no such chunk id: " + std::string(fourCC));
        }
        if (found == nth) {
            return static_cast<std::size_t>(at - bytes.begin());
        }
        ++at;
    }
}

void putIfpU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void putIfpI16(Bytes& bytes, std::size_t offset, std::int16_t value) {
    const auto word = static_cast<std::uint16_t>(value);
    bytes.at(offset) = static_cast<std::uint8_t>(word);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(word >> 8);
}

void putIfpF32(Bytes& bytes, std::size_t offset, float value) {
    putIfpU32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

}  // namespace zorvek::test

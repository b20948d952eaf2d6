#pragma once

#include "base/UserMessageError.h"
#include "ifp/IfpReader.h"
#include "support/ExpectError.h"
#include "support/ifp/IfpBuilder.h"

#include <ostream>
#include <string>

namespace zorvek {

// Readable failures for the structures read (found by argument lookup).
inline void PrintTo(const IfpKey& key, std::ostream* out) {
    const Vec4& q = key.rotation;
    const Vec3& t = key.translation;
    *out << "{q " << q.x << ' ' << q.y << ' ' << q.z << ' ' << q.w << ", t " << t.x << ' ' << t.y << ' ' << t.z
         << ", time " << key.time << '}';
}

inline void PrintTo(const IfpTrack& track, std::ostream* out) {
    *out << "track \"" << track.name << "\" id " << track.boneId << (track.hasTranslation ? " T" : "") << " keys";
    for (const IfpKey& key : track.keys) {
        *out << ' ';
        PrintTo(key, out);
    }
}

inline void PrintTo(const IfpFile& file, std::ostream* out) {
    *out << (file.format == IfpFormat::Anp3 ? "ANP3" : "ANPK") << " \"" << file.name << '"';
    for (const IfpAnimation& animation : file.animations) {
        *out << "\n animation \"" << animation.name << '"';
        for (const IfpTrack& track : animation.tracks) {
            *out << "\n  ";
            PrintTo(track, out);
        }
    }
}

namespace test {

inline const std::string notIfp = "IFPファイルではありません";

inline std::string broken(const std::string& where) {
    return "ファイルが壊れています (" + where + ")";
}

// The message of the UserMessageError reading throws, or noUserError.
inline std::string readError(const Bytes& file) {
    return userErrorOf([&] { readIfp(file); });
}

inline Anp3Options ofType(int frameType) {
    Anp3Options options;
    options.frameType = sameFrameType(frameType);
    return options;
}

inline IfpKey key(Vec4 rotation, Vec3 translation, float time) {
    return IfpKey{rotation, translation, time};
}

inline IfpTrack track(std::string name, std::int32_t boneId, bool hasTranslation, std::vector<IfpKey> keys) {
    return IfpTrack{std::move(name), boneId, hasTranslation, std::move(keys)};
}

// Quaternions and translations of several magnitudes and signs, an odd 1/60 s
// tick and a shared time: values every frame type holds exactly.
inline std::vector<IfpKey> exactKeys() {
    return {
        key({0, 0, 0, 1}, {0.5f, -1.25f, 2}, 0),
        key({0.5f, -0.25f, 0.125f, 2896 / 4096.0f}, {-0.0009765625f, 3, 0}, 1 / 60.0f),
        key({-1, 0.75f, 0, -0.5f}, {31.5f, -31.75f, 0.25f}, 1 / 60.0f),
        key({1 / 4096.0f, -7.5f, 32767 / 4096.0f, 0}, {0, 0, -16}, 75 / 60.0f),
    };
}

// Two animations, one with a translated track, a rotating track and an
// unnumbered one (id -1), one without objects; names of every padding length.
inline IfpFile sampleFile() {
    IfpFile file;
    file.name = "ped";
    std::vector<IfpKey> keys = exactKeys();
    file.animations = {
        {"walk_civi",
         {track("Root", 0, true, keys), track("Bip01 Pelvis", 1, false, keys),
          track(" Bip01 Spine ", -1, false, {keys[0], keys[3]})}},
        {"idle", {}},
    };
    return file;
}

// The file without translations on tracks that carry none, as reading gives it back.
inline IfpFile withoutStrayTranslations(IfpFile file, IfpFormat format = IfpFormat::Anp3) {
    file.format = format;
    for (IfpAnimation& animation : file.animations) {
        for (IfpTrack& track : animation.tracks) {
            for (IfpKey& key : track.keys) {
                key.translation = track.hasTranslation ? key.translation : Vec3{};
            }
        }
    }
    return file;
}

}  // namespace test
}  // namespace zorvek

#include "IfpTestSupport.h"
#include "support/ExpectError.h"

#include "ifp/Anp3Reader.h"
#include "ifp/IfpWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <optional>

namespace zorvek::test {
namespace {

Bytes bytesOf(const ByteBlock& block) {
    return Bytes(block.begin(), block.end());
}

Bytes written(const IfpFile& file) {
    return bytesOf(writeAnp3(file));
}

Bytes added(const Bytes& existing, const IfpAnimation& animation, bool replace) {
    return bytesOf(addAnimationToAnp3(existing, animation, replace));
}

Bytes slice(const Bytes& bytes, std::size_t begin, std::size_t end) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(begin), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::uint32_t u32At(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes.at(offset + i)) << (8 * i);
    }
    return value;
}

// The expected file, field by field, little-endian.
class Expected {
public:
    Expected& text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    Expected& name(std::string_view name) {
        text(name);
        bytes_.insert(bytes_.end(), anp3NameSize - name.size(), 0);
        return *this;
    }
    Expected& u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
    Expected& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    Expected& i16s(std::initializer_list<int> values) {
        for (const int value : values) {
            const auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
            bytes_.push_back(static_cast<std::uint8_t>(word));
            bytes_.push_back(static_cast<std::uint8_t>(word >> 8));
        }
        return *this;
    }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// x 1024 gives 0.5, -0.5, 2.5 and -2.5: halves go away from zero (2.5 to 3, not 2).
constexpr float half = 0.5f / 1024;
constexpr float twoAndAHalf = 2.5f / 1024;

// Two keys of type 4 (the second's quaternion of length 2 and w negative,
// kept so), two of type 3 (0.6 x 4096 = 2457.6, the second of length 5 and a
// translation that is not written; 0.25 s and 0.51 s are 15 and 30.6 ticks),
// and an animation without objects.
IfpFile smallFile() {
    IfpFile file;
    file.name = "ped";
    file.animations = {
        {"walk",
         {track("Root", 0, true,
                {key({0, 0, 0, 1}, {half, -half, twoAndAHalf}, 0),
                 key({0, 0, 0, -2}, {-twoAndAHalf, 1.25f, -31.5f}, 2 / 60.0f)}),
          track("Bip01 Spine", -1, false,
                {key({0.6f, 0, -0.8f, 0}, {5, 6, 7}, 0.25f), key({0, 3, 0, -4}, {}, 0.51f)})}},
        {"idle", {}},
    };
    return file;
}

TEST(IfpWriter, WritesEveryFieldAsTheGamesFilesLayThemOut) {
    Expected expected;
    expected.text("ANP3").u32(232 - 8).name("ped").u32(2);
    // The frame data size counts the keys alone: 2 x 16 + 2 x 10.
    expected.name("walk").u32(2).u32(52).u32(1);
    expected.name("Root").u32(4).u32(2).i32(0);
    expected.i16s({0, 0, 0, 4096, 0, 1, -1, 3});  // time before translation
    expected.i16s({0, 0, 0, -4096, 2, -3, 1280, -32256});
    expected.name("Bip01 Spine").u32(3).u32(2).i32(-1);
    expected.i16s({2458, 0, -3277, 0, 15});
    expected.i16s({0, 2458, 0, -3277, 31});
    expected.name("idle").u32(0).u32(0).u32(1);
    ASSERT_EQ(expected.bytes().size(), 232u);
    EXPECT_EQ(written(smallFile()), expected.bytes());
}

struct RotationCase {
    Vec4 given;
    Vec4 unit;  // what normalising gives, the sign kept
};

// Unit quaternions whose parts are far from a half step of 1/4096, and
// longer ones that normalise to them.
const RotationCase rotations[] = {
    {{0, 0, 0, 1}, {0, 0, 0, 1}},
    {{0.36f, 0.48f, 0.64f, 0.48f}, {0.36f, 0.48f, 0.64f, 0.48f}},
    {{-0.28f, 0.96f, 0, 0}, {-0.28f, 0.96f, 0, 0}},
    {{0, 0, -2.5f, 0}, {0, 0, -1, 0}},
    {{1.8f, 0, 2.4f, 0}, {0.6f, 0, 0.8f, 0}},
    {{-0.5f, -0.5f, -0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f, -0.5f}},
};

// Keys at whole ticks and between them, with translations of either sign
// and some that 1/1024 does not hold exactly.
IfpFile roundTripFile(IfpFormat format, bool unit) {
    const Vec3 translations[] = {{0.5f, -1.25f, 2}, {0.1f, -0.1f, 0}, {31.5f, -31.75f, 0.25f}, {0, 0, -16}};
    const float times[] = {0, 1 / 60.0f, 1 / 60.0f, 0.51f, 1.25f, 546};
    std::vector<IfpKey> keys;
    for (std::size_t i = 0; i < std::size(rotations); ++i) {
        keys.push_back(
            key(unit ? rotations[i].unit : rotations[i].given, translations[i % std::size(translations)], times[i]));
    }
    IfpFile file;
    file.format = format;
    file.name = "ped";
    file.animations = {
        {"walk_civi",
         {track("Root", 0, true, keys), track("Bip01 Pelvis", 1, false, keys),
          track(" Bip01 Spine ", -1, false, {keys[0], keys[3]}), track("empty", 7, true, {})}},
        {"idle", {}},
        {"run_civi", {track("Bip01 L Foot", 43, false, {keys[5]})}},
    };
    return file;
}

// What reading gives back: the unit keys as a file of the track's frame type holds them.
IfpFile quantised(IfpFile file) {
    file.format = IfpFormat::Anp3;
    for (IfpAnimation& animation : file.animations) {
        for (IfpTrack& track : animation.tracks) {
            for (IfpKey& key : track.keys) {
                key = anp3Key(key, defaultFrameType(track));
            }
        }
    }
    return file;
}

TEST(IfpWriter, ReadingGivesTheInputBackQuantised) {
    const IfpFile expected = quantised(roundTripFile(IfpFormat::Anp3, true));
    for (const IfpFormat format : {IfpFormat::Anp3, IfpFormat::Anpk}) {
        for (const bool unit : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "ANPK " << (format == IfpFormat::Anpk) << " unit " << unit);
            EXPECT_EQ(readIfp(written(roundTripFile(format, unit))), expected);
        }
    }
}

IfpFile oneKey(const IfpKey& key, bool hasTranslation) {
    IfpFile file;
    file.name = "ped";
    file.animations = {{"sway", {track("Root", 0, hasTranslation, {key})}}};
    return file;
}

std::string longName(std::size_t length) {
    std::string name;
    for (std::size_t i = 0; i < length; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    return name;
}

struct NameCase {
    std::string label;
    std::function<void(IfpFile&, const std::string&)> name;
};

// 23 bytes and the NUL fill the field; 24 leave no room for the NUL.
TEST(IfpWriter, NamesOfUpTo23BytesAreWrittenAndLongerOnesRefused) {
    const NameCase cases[] = {
        {"file", [](IfpFile& file, const std::string& name) { file.name = name; }},
        {"animation", [](IfpFile& file, const std::string& name) { file.animations[0].name = name; }},
        {"object", [](IfpFile& file, const std::string& name) { file.animations[0].tracks[0].name = name; }},
    };
    for (const NameCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        IfpFile fits = smallFile();
        testCase.name(fits, longName(23));
        IfpFile expected = readIfp(written(smallFile()));
        testCase.name(expected, longName(23));
        EXPECT_EQ(readIfp(written(fits)), expected);

        IfpFile tooLong = smallFile();
        testCase.name(tooLong, longName(24));
        EXPECT_USER_ERROR(writeAnp3(tooLong), "IFPに書けない長い名前です: abcdefghijklmnopqrstuvwx");
        // Bytes of 128 and above are shown as the characters of their values.
        testCase.name(tooLong, "\xE9" + longName(23));
        EXPECT_USER_ERROR(writeAnp3(tooLong), "IFPに書けない長い名前です: \xC3\xA9" + longName(23));
        IfpFile withNul = smallFile();
        testCase.name(withNul, std::string("Bip01\0L", 7));
        EXPECT_USER_ERROR(writeAnp3(withNul), "IFPに書けない名前です (NUL文字を含んでいます): Bip01\\0L");
    }
}

struct LimitCase {
    float value;
    std::optional<int> stored;  // none: refused
};

TEST(IfpWriter, TimesUpTo32767TicksAreWrittenAndLaterOnesRefused) {
    const LimitCase cases[] = {
        {0, 0},
        {32767 / 60.0f, 32767},
        {546, 32760},
        {32767.49f / 60, 32767},
        {32767.5f / 60, std::nullopt},
        {32768 / 60.0f, std::nullopt},
        {600, std::nullopt},
        {std::numeric_limits<float>::max(), std::nullopt},
    };
    for (const LimitCase& testCase : cases) {
        SCOPED_TRACE(testCase.value);
        const IfpFile file = oneKey(key({0, 0, 0, 1}, {}, testCase.value), false);
        if (testCase.stored) {
            const IfpKey read = readIfp(written(file)).animations[0].tracks[0].keys[0];
            EXPECT_EQ(read.time, static_cast<float>(*testCase.stored) / 60.0f);
        } else {
            EXPECT_USER_ERROR(writeAnp3(file), "IFPに書けない長さのアニメーションです (546秒まで): sway");
        }
    }
}

// 16 bits of 1/1024 m hold -32768 to 32767, so -32 m fits and 32 m does not.
TEST(IfpWriter, TranslationsWithin16BitsAreWrittenAndOthersRefused) {
    const LimitCase cases[] = {
        {32767 / 1024.0f, 32767},
        {32767.49f / 1024, 32767},
        {32767.5f / 1024, std::nullopt},
        {32, std::nullopt},
        {-32, -32768},
        {-32768.49f / 1024, -32768},
        {-32768.5f / 1024, std::nullopt},
        {-1000, std::nullopt},
        {-half, -1},
    };
    for (const LimitCase& testCase : cases) {
        SCOPED_TRACE(testCase.value);
        for (int axis = 0; axis < 3; ++axis) {
            Vec3 translation;
            (axis == 0 ? translation.x : axis == 1 ? translation.y : translation.z) = testCase.value;
            const IfpFile file = oneKey(key({0, 0, 0, 1}, translation, 0), true);
            if (testCase.stored) {
                const Vec3 read = readIfp(written(file)).animations[0].tracks[0].keys[0].translation;
                EXPECT_EQ(axis == 0 ? read.x : axis == 1 ? read.y : read.z, *testCase.stored / 1024.0f) << axis;
            } else {
                EXPECT_USER_ERROR(writeAnp3(file), "ルートの移動がIFPに書ける範囲 (±32m) を超えています: sway");
            }
            // A track without translations writes none, whatever its keys hold.
            EXPECT_NO_THROW(writeAnp3(oneKey(key({0, 0, 0, 1}, translation, 0), false)));
        }
    }
}

struct InvalidKeyCase {
    std::string label;
    std::vector<IfpKey> keys;
};

// Keys no reader gives and no conversion should make: a fault of the caller.
TEST(IfpWriter, KeysNoAnimationHoldsAreInvalidArguments) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    const IfpKey good = key({0, 0, 0, 1}, {}, 0);
    const InvalidKeyCase cases[] = {
        {"NaN time", {key({0, 0, 0, 1}, {}, nan)}},
        {"infinite time", {key({0, 0, 0, 1}, {}, infinity)}},
        {"negative time", {key({0, 0, 0, 1}, {}, -1 / 60.0f)}},
        {"far negative time", {key({0, 0, 0, 1}, {}, -1000)}},
        {"decreasing times", {key({0, 0, 0, 1}, {}, 2 / 60.0f), good}},
        {"zero rotation", {key({0, 0, 0, 0}, {}, 0)}},
        {"NaN rotation", {key({0, nan, 0, 1}, {}, 0)}},
        {"infinite rotation", {key({infinity, 0, 0, 1}, {}, 0)}},
        {"NaN translation", {key({0, 0, 0, 1}, {0, 0, nan}, 0)}},
    };
    for (const InvalidKeyCase& testCase : cases) {
        IfpFile file = oneKey(good, true);
        file.animations[0].tracks[0].keys = testCase.keys;
        EXPECT_THROW(writeAnp3(file), std::invalid_argument) << testCase.label;
    }
}

// ---------------------------------------------------------------- adding

IfpAnimation newAnimation(std::string name) {
    return {std::move(name),
            {track("Root", 0, true, {key({0, 0, 0, 1}, {0.1f, 0, 1}, 0), key({0.6f, 0, 0.8f, 0}, {0, 0, 1}, 0.5f)}),
             track("Bip01 Head", 5, false, {key({0, 0.28f, 0, 0.96f}, {}, 1)})}};
}

const Bytes junk = {'A', 'N', 'P', '3', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};

// A modded file: keys of all four frame types, garbage after the names'
// NULs, broken size words and junk after the last animation.
IfpFile moddedFile() {
    IfpFile file = sampleFile();
    file.animations[0].tracks.push_back(track("Bip01 Neck", 5, false, exactKeys()));
    file.animations.push_back({"run_civi", {track("Bip01 L Foot", 43, true, exactKeys())}});
    return file;
}

Bytes moddedBytes() {
    Anp3Options options;
    options.frameType = [](std::size_t, std::size_t track) { return static_cast<int>(track) + 1; };
    options.nameGarbage = "Bip01 \xCD\xCD";
    options.brokenSizes = true;
    options.trailing = junk;
    return buildAnp3(moddedFile(), options);
}

TEST(Anp3Layout, EachAnimationsBytesRunFromItsNameToItsLastKey) {
    const Bytes file = moddedBytes();
    const Anp3Layout layout = readAnp3Layout(file);
    EXPECT_EQ(layout.file, readIfp(file));
    ASSERT_EQ(layout.animationBytes.size(), 3u);
    std::size_t at = anp3HeaderSize;
    for (std::size_t i = 0; i < layout.animationBytes.size(); ++i) {
        const std::span<const std::uint8_t> bytes = layout.animationBytes[i];
        EXPECT_EQ(bytes.data(), file.data() + at) << i;
        const std::string& name = layout.file.animations[i].name;
        EXPECT_EQ(std::memcmp(bytes.data(), name.c_str(), name.size() + 1), 0) << i;
        at += bytes.size();
    }
    EXPECT_EQ(at, file.size() - junk.size());
}

struct AppendCase {
    std::string name;
    bool replace;
};

TEST(AddAnimationToAnp3, AnAnimationOfANewNameComesAfterTheOthersWhoseBytesStay) {
    const Bytes existing = moddedBytes();
    const std::size_t end = existing.size() - junk.size();
    const AppendCase cases[] = {{"sprint", false}, {"sprint", true}, {"walk", true}, {"", false}, {"run_civi2", true}};
    for (const AppendCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const IfpAnimation animation = newAnimation(testCase.name);
        const Bytes result = added(existing, animation, testCase.replace);
        const Bytes alone = written(IfpFile{IfpFormat::Anp3, "ped", {animation}});
        const std::size_t animationSize = alone.size() - anp3HeaderSize;

        ASSERT_EQ(result.size(), end + animationSize);  // the junk dropped
        EXPECT_EQ(slice(result, 0, 4), slice(existing, 0, 4));
        EXPECT_EQ(u32At(result, 4), result.size() - 8);
        EXPECT_EQ(slice(result, 8, 32), slice(existing, 8, 32));  // garbage after the NUL kept
        EXPECT_EQ(u32At(result, anp3AnimationCountAt), 4u);
        EXPECT_EQ(slice(result, anp3HeaderSize, end), slice(existing, anp3HeaderSize, end));
        EXPECT_EQ(slice(result, end, result.size()), slice(alone, anp3HeaderSize, alone.size()));

        IfpFile expected = readIfp(existing);
        expected.animations.push_back(quantised(IfpFile{IfpFormat::Anp3, "", {animation}}).animations[0]);
        EXPECT_EQ(readIfp(result), expected);
    }
}

struct ReplaceCase {
    std::string name;
    std::size_t replaced;
};

// Found as findAnimation finds it: ASCII case and surrounding blanks aside.
TEST(AddAnimationToAnp3, AnAnimationOfATakenNameTakesItsPlaceWhenReplacing) {
    const Bytes existing = moddedBytes();
    const Anp3Layout layout = readAnp3Layout(existing);
    const ReplaceCase cases[] = {{"WALK_CIVI", 0}, {"Idle", 1}, {" run_civi ", 2}};
    for (const ReplaceCase& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const IfpAnimation animation = newAnimation(testCase.name);
        const Bytes result = added(existing, animation, true);
        const Bytes alone = written(IfpFile{IfpFormat::Anp3, "ped", {animation}});

        Bytes expected = slice(existing, 0, anp3HeaderSize);
        IfpFile expectedFile = layout.file;
        for (std::size_t i = 0; i < layout.animationBytes.size(); ++i) {
            if (i == testCase.replaced) {
                expected.insert(expected.end(), alone.begin() + anp3HeaderSize, alone.end());
            } else {
                expected.insert(expected.end(), layout.animationBytes[i].begin(), layout.animationBytes[i].end());
            }
        }
        putIfpU32(expected, 4, static_cast<std::uint32_t>(expected.size() - 8));
        EXPECT_EQ(result, expected);
        EXPECT_EQ(u32At(result, anp3AnimationCountAt), 3u);

        expectedFile.animations[testCase.replaced] = quantised(IfpFile{IfpFormat::Anp3, "", {animation}}).animations[0];
        EXPECT_EQ(readIfp(result), expectedFile);
    }
}

TEST(AddAnimationToAnp3, ATakenNameIsRefusedWithoutReplacing) {
    const Bytes existing = moddedBytes();
    for (const std::string name : {"IDLE", "walk_civi", "  Run_Civi"}) {
        EXPECT_USER_ERROR(addAnimationToAnp3(existing, newAnimation(name), false),
                          "同じ名前のアニメーションが既にあります: " + name);
    }
}

// Added to what writeAnp3 wrote, an animation gives what writeAnp3 writes for all of them.
TEST(AddAnimationToAnp3, AddingToAWrittenFileEqualsWritingTheWholeFile) {
    const IfpFile file = roundTripFile(IfpFormat::Anp3, false);
    IfpFile fewer = file;
    fewer.animations.pop_back();
    EXPECT_EQ(added(written(fewer), file.animations.back(), false), written(file));

    IfpFile changed = file;
    changed.animations[1] = newAnimation("idle");
    EXPECT_EQ(added(written(file), changed.animations[1], true), written(changed));

    IfpFile none;
    none.name = "ped";
    EXPECT_EQ(added(written(none), newAnimation("a"), false),
              written(IfpFile{IfpFormat::Anp3, "ped", {newAnimation("a")}}));
}

TEST(AddAnimationToAnp3, TheAnimationIsRefusedAsWritingRefusesIt) {
    IfpAnimation animation = newAnimation(longName(24));
    EXPECT_USER_ERROR(addAnimationToAnp3(moddedBytes(), animation, false),
                      "IFPに書けない長い名前です: abcdefghijklmnopqrstuvwx");
    animation.name = "far";
    animation.tracks[0].keys[1].translation.x = 40;
    EXPECT_USER_ERROR(addAnimationToAnp3(moddedBytes(), animation, false),
                      "ルートの移動がIFPに書ける範囲 (±32m) を超えています: far");
}

struct ExistingCase {
    std::string label;
    Bytes file;
    std::string expected;
};

Bytes cutTo(const Bytes& file, std::size_t length) {
    return slice(file, 0, length);
}

TEST(AddAnimationToAnp3, AFileThatIsNotAnp3IsRefusedAsTheReaderRefusesIt) {
    const Bytes anp3 = moddedBytes();
    const Bytes anpk = buildAnpk(sampleFile(), true);
    const ExistingCase cases[] = {
        {"empty", {}, notIfp},
        {"text", {'A', 'N', 'P'}, notIfp},
        {"header cut", cutTo(anp3, anp3HeaderSize - 1), broken("ANP3")},
        {"keys cut", cutTo(anp3, anp3.size() - junk.size() - 1), broken("ANP3\\run_civi\\Bip01 L Foot\\キー")},
        {"ANPK", anpk, "GTA3・VCの形式 (ANPK) のIFPには書き込めません"},
        {"ANPK cut", cutTo(anpk, anpk.size() - 1), broken("ANPK")},
    };
    for (const ExistingCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        if (testCase.label.rfind("ANPK", 0) != 0) {
            EXPECT_EQ(readError(testCase.file), testCase.expected);
        }
        EXPECT_USER_ERROR(addAnimationToAnp3(testCase.file, newAnimation("sprint"), true), testCase.expected);
    }
}

}  // namespace
}  // namespace zorvek::test

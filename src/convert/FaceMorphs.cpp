#include "convert/FaceMorphs.h"

#include "base/PortableMath.h"

#include <numbers>
#include <string>

namespace zorvek {

namespace {

// PMX's morph panels.
constexpr std::uint8_t eyebrowPanel = 1;
constexpr std::uint8_t mouthPanel = 3;

// About MMD's +x (the model's left); a negative angle swings the chin down.
// Angles in degrees: a ped's jaw has one bone for the whole mouth, so the
// vowels differ by how far it opens.
struct Vowel {
    const char16_t* name;
    const char16_t* englishName;
    float jawDegrees;
};
constexpr Vowel vowels[] = {
    {u"あ", u"a", -24}, {u"い", u"i", -8}, {u"う", u"u", -10}, {u"え", u"e", -15}, {u"お", u"o", -19},
};

// Brows move up or down (PMX units, 0.1 m), and tilt about the facing axis:
// a positive tilt lifts the left brow's inner end, which is nearer the middle.
struct BrowShape {
    const char16_t* name;
    const char16_t* englishName;
    float lift;
    float innerTiltDegrees;
};
constexpr BrowShape browShapes[] = {
    {u"上", u"brows up", 0.06f, 0},
    {u"下", u"brows down", -0.04f, 0},
    {u"困る", u"troubled", 0.02f, 14},
    {u"怒り", u"angry", -0.03f, -14},
};

Vec4 turnAbout(Vec3 axis, float degrees) {
    const double half = degrees * std::numbers::pi / 360.0;
    const auto s = static_cast<float>(portable::sin(half));
    return {axis.x * s, axis.y * s, axis.z * s, static_cast<float>(portable::cos(half))};
}

PmxMorph morph(const char16_t* name, const char16_t* englishName, std::uint8_t panel) {
    PmxMorph m;
    m.name = name;
    m.englishName = englishName;
    m.panel = panel;
    m.type = static_cast<std::uint8_t>(PmxMorphType::Bone);
    return m;
}

}  // namespace

std::vector<PmxMorph> faceMorphs(std::int32_t jaw, std::int32_t leftBrow, std::int32_t rightBrow) {
    std::vector<PmxMorph> morphs;
    if (jaw >= 0) {
        for (const Vowel& vowel : vowels) {
            PmxMorph m = morph(vowel.name, vowel.englishName, mouthPanel);
            m.boneOffsets.push_back({jaw, {0, 0, 0}, turnAbout({1, 0, 0}, vowel.jawDegrees)});
            morphs.push_back(std::move(m));
        }
    }
    if (leftBrow < 0 && rightBrow < 0) {
        return morphs;
    }
    for (const BrowShape& shape : browShapes) {
        PmxMorph m = morph(shape.name, shape.englishName, eyebrowPanel);
        // Facing -z, the model's left at +x: turning about -z lifts a point on the -x side.
        if (leftBrow >= 0) {
            m.boneOffsets.push_back({leftBrow, {0, shape.lift, 0}, turnAbout({0, 0, -1}, shape.innerTiltDegrees)});
        }
        if (rightBrow >= 0) {
            m.boneOffsets.push_back({rightBrow, {0, shape.lift, 0}, turnAbout({0, 0, 1}, shape.innerTiltDegrees)});
        }
        morphs.push_back(std::move(m));
    }
    return morphs;
}

}  // namespace zorvek

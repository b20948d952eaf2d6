#include "sample/SampleTextures.h"

#include "sample/SampleLayout.h"
#include "sample/SampleMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace zorvek::sample {

namespace {

struct Colour {
    int r, g, b;
};

Colour shade(const Colour& c, int amount) {
    return {c.r + amount, c.g + amount, c.b + amount};
}

Colour mix(const Colour& a, const Colour& b, float t) {
    return {static_cast<int>(lerp(static_cast<float>(a.r), static_cast<float>(b.r), t)),
            static_cast<int>(lerp(static_cast<float>(a.g), static_cast<float>(b.g), t)),
            static_cast<int>(lerp(static_cast<float>(a.b), static_cast<float>(b.b), t))};
}

// A fixed integer hash for a little grain: the same on every machine.
int grain(int x, int y, int amplitude) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return static_cast<int>(h % static_cast<std::uint32_t>(2 * amplitude + 1)) - amplitude;
}

// Paints every pixel from its texture coordinates (pixel centres) and position.
Image paint(int size, const std::function<Colour(float u, float v, int x, int y)>& colourAt) {
    Image image{static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size), false, {}};
    image.rgba.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
            const Colour c = colourAt(u, v, x, y);
            for (int channel : {c.r, c.g, c.b}) {
                image.rgba.push_back(static_cast<std::uint8_t>(std::clamp(channel, 0, 255)));
            }
            image.rgba.push_back(255);
        }
    }
    return image;
}

constexpr Colour skinTone{226, 183, 150};

// The face is drawn on the unit sphere of the head's mapping: x towards
// the character's right, y to the front, z up.
Colour face(const Vec3& q, const Colour& skin) {
    if (q.y < 0.3f) {
        return skin;
    }
    const float across = std::fabs(q.x);
    const float eyeX = (across - 0.36f) / 0.085f;
    const float eyeZ = (q.z - 0.12f) / 0.05f;
    if (eyeX * eyeX + eyeZ * eyeZ < 1) {
        const float irisX = (across - 0.355f) / 0.036f;
        const float irisZ = (q.z - 0.115f) / 0.047f;
        if (irisX * irisX + irisZ * irisZ < 1) {
            return irisX * irisX + irisZ * irisZ < 0.3f ? Colour{25, 18, 15} : Colour{70, 48, 32};
        }
        return eyeZ > 0.75f ? Colour{60, 40, 35} : Colour{244, 242, 236};
    }
    const float browCurve = (across - 0.37f) / 0.17f;
    const float browZ = 0.255f + 0.03f * (1 - browCurve * browCurve);
    if (std::fabs(browCurve) < 1 && std::fabs(q.z - browZ) < 0.022f) {
        return {84, 56, 40};
    }
    const float lipZ = q.z - (-0.45f + 0.3f * q.x * q.x);
    if (across < 0.22f && std::fabs(lipZ) < 0.03f) {
        return lipZ > 0.004f ? Colour{168, 88, 84} : Colour{190, 112, 104};
    }
    if (across < 0.09f && q.z > -0.33f && q.z < -0.27f) {
        return shade(skin, -22);
    }
    const float cheek = bump(length(Vec3{across - 0.5f, q.y - 0.78f, q.z + 0.25f}) / 0.2f);
    return mix(skin, {222, 150, 140}, 0.5f * cheek);
}

Vec3 headSphere(float u, float v) {
    const float polar = v / skinHeadRows * pi;
    const float azimuth = 2 * pi * u - pi / 2;
    const float ring = portableSin(polar);
    return {ring * portableCos(azimuth), ring * portableSin(azimuth), portableCos(polar)};
}

Colour shirt(float u, int x, int y) {
    constexpr Colour cloth{46, 108, 160};
    const Colour base = (y + 5) % 10 < 2 ? Colour{214, 222, 232} : cloth;
    return shade(base, grain(x, y, 4) - static_cast<int>(12 * std::fabs(u - 0.5f)));
}

Colour belt(float u, int x, int y) {
    if (std::fabs(u - 0.5f) < 0.03f) {
        return shade({204, 172, 84}, grain(x, y, 6));  // the buckle, at the front
    }
    return shade({72, 46, 30}, grain(x, y, 3));
}

Colour denim(float u, int x, int y) {
    constexpr Colour blue{52, 72, 118};
    // Stitched seams down both sides.
    const bool seam = std::fabs(u - 0.25f) < 0.006f || std::fabs(u - 0.75f) < 0.006f;
    if (seam && y % 3 != 0) {
        return {190, 140, 70};
    }
    return shade(blue, ((x + y) % 4 == 0 ? 14 : 0) + grain(x, y, 4));
}

Colour shoe(float u, float v, int x, int y) {
    if (u < 0.12f || u > 0.88f) {
        return shade({226, 224, 218}, grain(x, y, 3));  // the sole, along the seam
    }
    const float laceRow = (v - clothesShoeTop) / (clothesShoeBottom - clothesShoeTop);
    if (std::fabs(u - 0.5f) < 0.09f && laceRow > 0.25f && laceRow < 0.6f && y % 3 == 0) {
        return {235, 235, 235};
    }
    return shade({42, 40, 46}, grain(x, y, 3));
}

}  // namespace

Image paintSkin() {
    return paint(256, [](float u, float v, int x, int y) {
        const Colour skin = shade(skinTone, grain(x, y, 3));
        if (v < skinHeadRows) {
            return face(headSphere(u, v), skin);
        }
        return skin;
    });
}

Image paintClothes() {
    return paint(128, [](float u, float v, int x, int y) {
        if (v < clothesBeltTop) {
            return shirt(u, x, y);
        }
        if (v < clothesBeltBottom) {
            return belt(u, x, y);
        }
        if (v < clothesShoeTop) {
            return denim(u, x, y);
        }
        return shoe(u, v, x, y);
    });
}

Image paintHair() {
    // Every pixel is the one brown shifted by a whole amount from -35 to 39 (blue clamped at 0).
    return paint(128, [](float, float v, int x, int y) {
        constexpr Colour brown{60, 39, 27};
        const int strand = grain(x, 0, 12) + grain(x / 3, 1, 6);
        const int highlight = static_cast<int>(18 * bump((v - 0.3f) / 0.15f));
        const int tips = static_cast<int>(-14 * smoothStep((v - 0.75f) / 0.25f));
        return shade(brown, strand + highlight + tips + grain(x, y, 3));
    });
}

}  // namespace zorvek::sample

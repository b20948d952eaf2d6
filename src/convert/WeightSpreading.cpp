#include "convert/WeightSpreading.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zorvek {

namespace {

constexpr std::int32_t largestSmallBone = 255;

float& weightAt(Vec4& weights, std::size_t slot) {
    switch (slot) {
    case 0: return weights.x;
    case 1: return weights.y;
    case 2: return weights.z;
    default: return weights.w;
    }
}

// Byte-wide indices cannot name a stop past 255: the vertices move to full width.
void widenBones(PmxVertices& vertices) {
    vertices.bones.resize(vertices.smallBones.size());
    for (std::size_t k = 0; k < vertices.smallBones.size(); ++k) {
        for (std::size_t l = 0; l < 4; ++l) {
            vertices.bones[k][l] = vertices.smallBones[k][l];
        }
    }
    vertices.smallBones = LargeArray<PmxSmallBoneQuad>();
}

class VertexBones {
public:
    explicit VertexBones(PmxVertices& vertices) : vertices_(vertices), small_(vertices.bones.empty()) {}

    std::int32_t get(std::size_t k, std::size_t l) const {
        return small_ ? vertices_.smallBones[k][l] : vertices_.bones[k][l];
    }
    void set(std::size_t k, std::size_t l, std::int32_t bone) {
        if (small_) {
            vertices_.smallBones[k][l] = static_cast<std::uint8_t>(bone);
        } else {
            vertices_.bones[k][l] = bone;
        }
    }

private:
    PmxVertices& vertices_;
    bool small_;
};

// Where the vertex stands along the spread, 0 at `from` and 1 at `to`.
float fractionAlong(const WeightSpread& spread, Vec3 position) {
    const Vec3 way = spread.to - spread.from;
    const float length2 = dot(way, way);
    if (!(length2 > 0)) {
        return 0;
    }
    return std::clamp(dot(position - spread.from, way) / length2, 0.0f, 1.0f);
}

void spreadVertex(PmxVertices& vertices, VertexBones& bones, std::size_t k, const WeightSpread& spread) {
    Vec4& weights = vertices.weights[k];
    for (std::size_t l = 0; l < 4; ++l) {
        const float weight = weightAt(weights, l);
        if (bones.get(k, l) != spread.bone || !(weight > 0)) {
            continue;
        }
        const float f = fractionAlong(spread, vertices.positions[k]);
        std::size_t upper = 1;
        while (upper + 1 < spread.stops.size() && spread.stops[upper].first < f) {
            ++upper;
        }
        const auto [a, lowBone] = spread.stops[upper - 1];
        const auto [b, highBone] = spread.stops[upper];
        const float lowWeight = b > a ? weight * (b - f) / (b - a) : weight;
        const float highWeight = weight - lowWeight;
        std::size_t free = 4;
        for (std::size_t m = 0; m < 4 && highWeight > 0 && lowWeight > 0; ++m) {
            if (m != l && !(weightAt(weights, m) > 0)) {
                free = m;
                break;
            }
        }
        if (!(highWeight > 0)) {
            bones.set(k, l, lowBone);
        } else if (!(lowWeight > 0)) {
            bones.set(k, l, highBone);
        } else if (free < 4) {
            bones.set(k, l, lowBone);
            weightAt(weights, l) = lowWeight;
            bones.set(k, free, highBone);
            weightAt(weights, free) = highWeight;
        } else {
            bones.set(k, l, f - a < b - f ? lowBone : highBone);
        }
    }
}

}  // namespace

void spreadWeights(PmxVertices& vertices, const std::vector<WeightSpread>& spreads) {
    if (spreads.empty()) {
        return;
    }
    bool needsWidth = false;
    for (const WeightSpread& spread : spreads) {
        for (const auto& stop : spread.stops) {
            needsWidth = needsWidth || stop.second > largestSmallBone;
        }
    }
    if (needsWidth && vertices.bones.empty()) {
        widenBones(vertices);
    }
    VertexBones bones(vertices);
    for (std::size_t k = 0; k < vertices.size(); ++k) {
        for (const WeightSpread& spread : spreads) {
            if (spread.stops.size() >= 2) {
                spreadVertex(vertices, bones, k, spread);
            }
        }
    }
}

}  // namespace zorvek

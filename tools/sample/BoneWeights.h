#pragma once

// Skin weights of the sample model: each vertex takes up to four bones,
// blended smoothly where a limb bends at a joint.

#include "base/Math.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zorvek::sample {

class BoneWeights {
public:
    // Adds weight to a bone (again to the same bone sums up); weights of 0 are ignored.
    void add(int bone, float weight);
    // Adds every weight of the other set, multiplied by factor.
    void addScaled(const BoneWeights& other, float factor);
    // Multiplies every weight so far.
    void scale(float factor);
    float total() const;

    struct Influence {
        std::uint8_t bone = 0;
        float weight = 0;
    };
    // The four largest, heaviest first (ties by bone number), summing to exactly 1.
    std::array<Influence, 4> strongestFour() const;

private:
    std::vector<Influence> influences_;
};

// Bones along a polyline of joints: bones[0] lies before joints[0], bones[k + 1]
// between joints[k] and joints[k + 1], the last one after the last joint; -1
// where there is none. Within blend[k] of joint k the two bones beside it mix.
struct BoneChain {
    std::vector<Vec3> joints;
    std::vector<int> bones;    // joints.size() + 1 entries
    std::vector<float> blend;  // joints.size() entries, half widths
};

BoneWeights chainWeights(const BoneChain& chain, const Vec3& point);

// The base weights make room for the extra ones, which take at most `cap` of the whole.
BoneWeights withExtras(BoneWeights base, const BoneWeights& extras, float cap);

}  // namespace zorvek::sample

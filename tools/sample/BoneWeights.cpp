#include "sample/BoneWeights.h"

#include "sample/SampleMath.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <stdexcept>

namespace zorvek::sample {

void BoneWeights::add(int bone, float weight) {
    if (weight <= 0) {
        return;
    }
    for (Influence& influence : influences_) {
        if (influence.bone == bone) {
            influence.weight += weight;
            return;
        }
    }
    influences_.push_back({static_cast<std::uint8_t>(bone), weight});
}

void BoneWeights::addScaled(const BoneWeights& other, float factor) {
    for (const Influence& influence : other.influences_) {
        add(influence.bone, influence.weight * factor);
    }
}

void BoneWeights::scale(float factor) {
    for (Influence& influence : influences_) {
        influence.weight *= factor;
    }
}

float BoneWeights::total() const {
    float sum = 0;
    for (const Influence& influence : influences_) {
        sum += influence.weight;
    }
    return sum;
}

std::array<BoneWeights::Influence, 4> BoneWeights::strongestFour() const {
    std::vector<Influence> sorted = influences_;
    std::sort(sorted.begin(), sorted.end(), [](const Influence& a, const Influence& b) {
        return a.weight != b.weight ? a.weight > b.weight : a.bone < b.bone;
    });
    if (sorted.empty()) {
        throw std::logic_error("a sample vertex has no bone");
    }
    sorted.resize(std::min<std::size_t>(sorted.size(), 4));
    float sum = 0;
    for (const Influence& influence : sorted) {
        sum += influence.weight;
    }
    std::array<Influence, 4> result{};
    float others = 0;
    for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
        result[i] = {sorted[i].bone, sorted[i].weight / sum};
        others += result[i].weight;
    }
    // The lightest takes the remainder; the others sum to at least 1/2, so
    // the subtraction is exact and the weights add up to 1 exactly.
    result[sorted.size() - 1] = {sorted.back().bone, 1 - others};
    return result;
}

namespace {

// Arc length along the polyline of the point nearest to p.
float chainParameter(const std::vector<Vec3>& joints, const Vec3& p) {
    float best = 0;
    float bestDistance = std::numeric_limits<float>::infinity();
    float start = 0;
    for (std::size_t k = 0; k + 1 < joints.size(); ++k) {
        const Vec3 segment = joints[k + 1] - joints[k];
        const float segmentLength = length(segment);
        float t = dot(p - joints[k], segment) / (segmentLength * segmentLength);
        if (k > 0) {
            t = std::max(t, 0.0f);
        }
        if (k + 2 < joints.size()) {
            t = std::min(t, 1.0f);
        }
        const float distance = length(p - (joints[k] + segment * t));
        if (distance < bestDistance) {
            best = start + t * segmentLength;
            bestDistance = distance;
        }
        start += segmentLength;
    }
    return best;
}

}  // namespace

BoneWeights chainWeights(const BoneChain& chain, const Vec3& point) {
    const float s = chainParameter(chain.joints, point);
    BoneWeights weights;
    float jointAt = 0;
    for (std::size_t k = 0; k < chain.joints.size(); ++k) {
        if (k > 0) {
            jointAt += length(chain.joints[k] - chain.joints[k - 1]);
        }
        const int before = chain.bones[k];
        const int after = chain.bones[k + 1];
        const float h = chain.blend[k];
        if (s < jointAt - h) {
            weights.add(before >= 0 ? before : after, 1);
            return weights;
        }
        if (s <= jointAt + h && h > 0 && before >= 0 && after >= 0) {
            const float t = smoothStep((s - (jointAt - h)) / (2 * h));
            weights.add(before, 1 - t);
            weights.add(after, t);
            return weights;
        }
    }
    weights.add(chain.bones.back() >= 0 ? chain.bones.back() : chain.bones[chain.bones.size() - 2], 1);
    return weights;
}

BoneWeights withExtras(BoneWeights base, const BoneWeights& extras, float cap) {
    const float total = extras.total();
    if (total > 0) {
        const float given = std::min(total, cap);
        base.scale(1 - given);
        base.addScaled(extras, given / total);
    }
    return base;
}

}  // namespace zorvek::sample

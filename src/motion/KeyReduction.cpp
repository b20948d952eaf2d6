#include "motion/KeyReduction.h"

#include "base/PlainQuaternion.h"
#include "base/PortableMath.h"
#include "ifp/IfpQuantisation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zorvek {

namespace {

struct StoredKey {
    PlainQuaternion rotation;
    double x, y, z;
    double time;
};

double stored(float value) {
    return std::round(static_cast<double>(value) * anp3::translationScale) / anp3::translationScale;
}

class SpanCheck {
public:
    SpanCheck(const std::vector<IfpKey>& keys, bool hasTranslation, const KeyTolerance& tolerance)
        : hasTranslation_(hasTranslation),
          // Two unit quaternions are within an angle a of each other when
          // |q1 . q2| >= cos(a / 2).
          smallestDot_(portable::cos(tolerance.degrees * std::numbers::pi / 180.0 / 2.0)),
          largestDistanceSquared_(tolerance.metres * tolerance.metres) {
        keys_.reserve(keys.size());
        for (const IfpKey& key : keys) {
            const Vec4 q = storedRotation(key.rotation);
            keys_.push_back({unitPlainQuaternion(q), stored(key.translation.x), stored(key.translation.y),
                             stored(key.translation.z), key.time});
        }
    }

    // Whether every key strictly between `from` and `to` is what the game interpolates between them.
    bool holds(std::size_t from, std::size_t to) const {
        const StoredKey& a = keys_[from];
        const StoredKey& b = keys_[to];
        const double span = b.time - a.time;
        for (std::size_t i = from + 1; i < to; ++i) {
            const StoredKey& key = keys_[i];
            const double u = span > 0 ? (key.time - a.time) / span : 1.0;
            const PlainQuaternion q = slerpShortArc(a.rotation, b.rotation, u);
            const double dot =
                q.x * key.rotation.x + q.y * key.rotation.y + q.z * key.rotation.z + q.w * key.rotation.w;
            if (!(std::abs(dot) >= smallestDot_)) {
                return false;
            }
            if (hasTranslation_) {
                const double dx = a.x + (b.x - a.x) * u - key.x;
                const double dy = a.y + (b.y - a.y) * u - key.y;
                const double dz = a.z + (b.z - a.z) * u - key.z;
                if (!(dx * dx + dy * dy + dz * dz <= largestDistanceSquared_)) {
                    return false;
                }
            }
        }
        return true;
    }

    std::size_t size() const { return keys_.size(); }

private:
    bool hasTranslation_;
    double smallestDot_;
    double largestDistanceSquared_;
    std::vector<StoredKey> keys_;
};

// The farthest key after `from` that the span from `from` still holds, found
// by doubling the span and then halving the gap: a few checks per kept key
// instead of one per key, so that a long still pose costs little. The span
// found always holds; a longer one that also holds may be missed.
std::size_t farthestHeld(const SpanCheck& check, std::size_t from) {
    const std::size_t last = check.size() - 1;
    std::size_t held = from + 1;
    std::size_t failed = last + 1;
    for (std::size_t step = 2;; step *= 2) {
        const std::size_t to = std::min(from + step, last);
        if (!check.holds(from, to)) {
            failed = to;
            break;
        }
        held = to;
        if (to == last) {
            return last;
        }
    }
    while (failed - held > 1) {
        const std::size_t middle = held + (failed - held) / 2;
        if (check.holds(from, middle)) {
            held = middle;
        } else {
            failed = middle;
        }
    }
    return held;
}

}  // namespace

std::vector<IfpKey> reduceKeys(const std::vector<IfpKey>& keys, bool hasTranslation, const KeyTolerance& tolerance) {
    if (keys.size() <= 2) {
        return keys;
    }
    const SpanCheck check(keys, hasTranslation, tolerance);
    std::vector<IfpKey> kept{keys.front()};
    for (std::size_t from = 0; from + 1 < keys.size();) {
        from = farthestHeld(check, from);
        kept.push_back(keys[from]);
    }
    return kept;
}

}  // namespace zorvek

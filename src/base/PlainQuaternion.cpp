#include "base/PlainQuaternion.h"

#include "base/PortableMath.h"

#include <cmath>

namespace zorvek {

namespace {

double length(const PlainQuaternion& q) {
    return std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
}

PlainQuaternion scaled(const PlainQuaternion& q, double norm) {
    return {q.x / norm, q.y / norm, q.z / norm, q.w / norm};
}

}  // namespace

PlainQuaternion unitPlainQuaternion(const Vec4& stored) {
    const PlainQuaternion q{stored.x, stored.y, stored.z, stored.w};
    const double norm = length(q);
    if (!(norm > 0) || !std::isfinite(norm)) {
        return {};
    }
    return scaled(q, norm);
}

PlainQuaternion slerpShortArc(PlainQuaternion a, PlainQuaternion b, double u) {
    if (a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w < 0) {
        b = {-b.x, -b.y, -b.z, -b.w};
    }
    double wa = 1.0 - u;
    double wb = u;
    // On a key the weights are 1 and 0 exactly, as the series below would give
    // them: most frames of a densely keyed motion fall there.
    const bool onKey = u == 0 || u == 1;
    const PlainQuaternion difference{a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
    const PlainQuaternion sum{a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
    // Half the angle between the rotations, from the chord lengths; exact
    // near 0, where acos of the dot product loses its digits.
    const double theta = onKey ? 0 : 2.0 * portable::slerpArcTangent(length(difference) / length(sum));
    if (theta > 1e-9) {
        const double s = portable::slerpSine(theta);
        wa = portable::slerpSine((1.0 - u) * theta) / s;
        wb = portable::slerpSine(u * theta) / s;
    }
    const PlainQuaternion mixed{wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w};
    return scaled(mixed, length(mixed));
}

}  // namespace zorvek

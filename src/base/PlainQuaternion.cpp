#include "base/PlainQuaternion.h"

#include <cmath>

namespace zorvek {

namespace {

// sin x for 0 <= x <= pi / 2 by its Taylor series: the 13 terms below leave an
// error under 1e-17 at pi / 2.
double sineOfSmallAngle(double x) {
    const double x2 = x * x;
    double sum = 0;
    // Horner's scheme from the x^25 term down to x.
    for (int n = 12; n >= 0; --n) {
        const double k = 2.0 * n + 1.0;
        sum = 1.0 - sum * x2 / ((k + 1.0) * (k + 2.0));
    }
    return x * sum;
}

// atan x for 0 <= x <= 1: two half-angle steps bring x under 0.2, where 20
// terms of the series are exact to double precision.
double arcTangentOfUnitRange(double x) {
    for (int step = 0; step < 2; ++step) {
        x = x / (1.0 + std::sqrt(1.0 + x * x));
    }
    const double x2 = x * x;
    double sum = 0;
    for (int n = 20; n >= 0; --n) {
        sum = 1.0 / (2.0 * n + 1.0) - x2 * sum;
    }
    return 4.0 * x * sum;
}

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
    const double theta = onKey ? 0 : 2.0 * arcTangentOfUnitRange(length(difference) / length(sum));
    if (theta > 1e-9) {
        const double s = sineOfSmallAngle(theta);
        wa = sineOfSmallAngle((1.0 - u) * theta) / s;
        wb = sineOfSmallAngle(u * theta) / s;
    }
    const PlainQuaternion mixed{wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w};
    return scaled(mixed, length(mixed));
}

}  // namespace zorvek

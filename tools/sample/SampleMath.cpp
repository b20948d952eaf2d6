#include "sample/SampleMath.h"

#include "base/PortableMath.h"

#include <cmath>

namespace zorvek::sample {

float length(const Vec3& a) {
    // sqrt is correctly rounded by IEEE 754, unlike the other libm functions.
    return std::sqrt(dot(a, a));
}

Vec3 normalize(const Vec3& a) {
    const float size = length(a);
    return size > 0 ? a * (1 / size) : a;
}

Vec3 lerp(const Vec3& a, const Vec3& b, float t) {
    return a + (b - a) * t;
}

float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

float portableSin(float radians) {
    return static_cast<float>(portable::sin(radians));
}

float portableCos(float radians) {
    return static_cast<float>(portable::cos(radians));
}

float degrees(float value) {
    return value * (pi / 180);
}

float smoothStep(float t) {
    if (t <= 0) {
        return 0;
    }
    if (t >= 1) {
        return 1;
    }
    return t * t * (3 - 2 * t);
}

float bump(float distanceOverRadius) {
    const float d2 = distanceOverRadius * distanceOverRadius;
    if (d2 >= 1) {
        return 0;
    }
    return (1 - d2) * (1 - d2);
}

Axes axesAlong(const Vec3& xDirection, const Vec3& yHint) {
    Axes axes;
    axes.x = normalize(xDirection);
    axes.y = normalize(yHint - axes.x * dot(yHint, axes.x));
    axes.z = cross(axes.x, axes.y);
    return axes;
}

Matrix44 affineMatrix(const Axes& axes, const Vec3& origin) {
    Matrix44 m;
    const Vec3 rows[4] = {axes.x, axes.y, axes.z, origin};
    for (int r = 0; r < 4; ++r) {
        m.at(r, 0) = rows[r].x;
        m.at(r, 1) = rows[r].y;
        m.at(r, 2) = rows[r].z;
    }
    m.at(3, 3) = 1;
    return m;
}

Matrix44 multiplyAffine(const Matrix44& a, const Matrix44& b) {
    Matrix44 result;
    for (int r = 0; r < 4; ++r) {
        const Vec3 row = r < 3 ? transformDirection(a.row3(r), b) : transformPoint(a.row3(3), b);
        result.at(r, 0) = row.x;
        result.at(r, 1) = row.y;
        result.at(r, 2) = row.z;
    }
    result.at(3, 3) = 1;
    return result;
}

Matrix44 invertRigid(const Matrix44& m) {
    Axes transposed;
    transposed.x = {m.at(0, 0), m.at(1, 0), m.at(2, 0)};
    transposed.y = {m.at(0, 1), m.at(1, 1), m.at(2, 1)};
    transposed.z = {m.at(0, 2), m.at(1, 2), m.at(2, 2)};
    Matrix44 inverse = affineMatrix(transposed, {});
    const Vec3 origin = transformDirection(-m.row3(3), inverse);
    inverse.at(3, 0) = origin.x;
    inverse.at(3, 1) = origin.y;
    inverse.at(3, 2) = origin.z;
    return inverse;
}

Vec3 transformDirection(const Vec3& d, const Matrix44& m) {
    return m.row3(0) * d.x + m.row3(1) * d.y + m.row3(2) * d.z;
}

Vec3 transformPoint(const Vec3& p, const Matrix44& m) {
    return transformDirection(p, m) + m.row3(3);
}

}  // namespace zorvek::sample

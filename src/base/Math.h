#pragma once

#include <array>

namespace zorvek {

struct Vec2 {
    float x = 0, y = 0;
    friend bool operator==(const Vec2&, const Vec2&) = default;
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
    friend bool operator==(const Vec3&, const Vec3&) = default;
};

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
    friend bool operator==(const Vec4&, const Vec4&) = default;
};

// Component-wise arithmetic, each component a single float operation, so
// that results are the same whichever file does the sum.
inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(const Vec3& a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(const Vec3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, const Vec3& a) {
    return {s * a.x, s * a.y, s * a.z};
}

inline float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Row-major, used with row vectors (v x M): rows 0 to 2 are the X, Y and Z
// axes, row 3 the translation.
struct Matrix44 {
    std::array<float, 16> m{};

    float& at(int row, int column) { return m[row * 4 + column]; }
    float at(int row, int column) const { return m[row * 4 + column]; }
    Vec3 row3(int row) const { return {at(row, 0), at(row, 1), at(row, 2)}; }
    friend bool operator==(const Matrix44&, const Matrix44&) = default;
};

}  // namespace zorvek

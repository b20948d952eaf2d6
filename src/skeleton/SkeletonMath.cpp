#include "skeleton/SkeletonMath.h"

// Every expression keeps a fixed order of float32 operations, and the build
// forbids contracting them into fused multiply-adds, so a model converts to
// the same bytes on every machine.

namespace zorvek {

namespace {

using Matrix33 = std::array<std::array<float, 3>, 3>;

Matrix33 upperLeft(const Matrix44& matrix) {
    Matrix33 result{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            result[r][c] = matrix.at(r, c);
        }
    }
    return result;
}

// Inverse by the adjugate divided by the determinant, which is not checked.
Matrix33 invertByAdjugate(const Matrix33& m) {
    const float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                      m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                      m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix33 inverse{};
    inverse[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    inverse[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inverse[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inverse[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inverse[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    inverse[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return inverse;
}

Vec3 rowTimes(const std::array<float, 3>& row, const Matrix33& m) {
    return {row[0] * m[0][0] + row[1] * m[1][0] + row[2] * m[2][0],
            row[0] * m[0][1] + row[1] * m[1][1] + row[2] * m[2][1],
            row[0] * m[0][2] + row[1] * m[1][2] + row[2] * m[2][2]};
}

Vec3 rowTimes(Vec3 row, const Axes& m) {
    return {row.x * m[0].x + row.y * m[1].x + row.z * m[2].x, row.x * m[0].y + row.y * m[1].y + row.z * m[2].y,
            row.x * m[0].z + row.y * m[1].z + row.z * m[2].z};
}

}  // namespace

Axes relativeAxes(const Matrix44& inverseBind, const Matrix44& referenceInverseBind) {
    const Matrix33 inverse = invertByAdjugate(upperLeft(inverseBind));
    const Matrix33 reference = upperLeft(referenceInverseBind);
    Axes result{};
    for (int r = 0; r < 3; ++r) {
        const Vec3 q = rowTimes(inverse[r], reference);
        // The reference bone's Z, X and reversed Y become the new X, Y and Z.
        result[r] = {q.z, q.x, -q.y};
    }
    return result;
}

Axes alignmentRotation(Vec3 a, Vec3 d) {
    const Vec3 v{a.y * d.z - a.z * d.y, a.z * d.x - a.x * d.z, a.x * d.y - a.y * d.x};
    const float e = a.x * d.x + a.y * d.y + a.z * d.z;
    const float s = v.x * v.x + v.y * v.y + v.z * v.z;
    const float k = s > parallelThreshold ? (1 - e) / s : 0.0f;
    return {{
        {e + k * v.x * v.x, k * v.x * v.y + v.z, k * v.x * v.z - v.y},
        {k * v.x * v.y - v.z, e + k * v.y * v.y, k * v.y * v.z + v.x},
        {k * v.x * v.z + v.y, k * v.y * v.z - v.x, e + k * v.z * v.z},
    }};
}

Axes rotateAxes(const Axes& axes, const Axes& rotation) {
    return {rowTimes(axes[0], rotation), rowTimes(axes[1], rotation), rowTimes(axes[2], rotation)};
}

Vec3 transformPoint(Vec3 t, const Matrix44& m) {
    return {t.x * m.at(0, 0) + t.y * m.at(1, 0) + t.z * m.at(2, 0) + m.at(3, 0),
            t.x * m.at(0, 1) + t.y * m.at(1, 1) + t.z * m.at(2, 1) + m.at(3, 1),
            t.x * m.at(0, 2) + t.y * m.at(1, 2) + t.z * m.at(2, 2) + m.at(3, 2)};
}

Vec3 transformDirection(Vec3 n, const Matrix44& m) {
    return {n.x * m.at(0, 0) + n.y * m.at(1, 0) + n.z * m.at(2, 0),
            n.x * m.at(0, 1) + n.y * m.at(1, 1) + n.z * m.at(2, 1),
            n.x * m.at(0, 2) + n.y * m.at(1, 2) + n.z * m.at(2, 2)};
}

Matrix44 affineProduct(const Matrix44& left, const Matrix44& right) {
    Matrix44 result;
    for (int r = 0; r < 4; ++r) {
        const Vec3 row{left.at(r, 0), left.at(r, 1), left.at(r, 2)};
        const Vec3 product = r == 3 ? transformPoint(row, right) : transformDirection(row, right);
        result.at(r, 0) = product.x;
        result.at(r, 1) = product.y;
        result.at(r, 2) = product.z;
    }
    result.at(3, 3) = 1;
    return result;
}

}  // namespace zorvek

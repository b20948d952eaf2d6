#include "motion/PoseMath.h"

#include "base/PlainQuaternion.h"
#include "base/PortableMath.h"

#include <glm/geometric.hpp>

namespace zorvek {

namespace {

Quaternion toGlm(const PlainQuaternion& q) {
    return Quaternion(q.w, q.x, q.y, q.z);
}

PlainQuaternion toPlain(const Quaternion& q) {
    return {q.x, q.y, q.z, q.w};
}

}  // namespace

Quaternion unitQuaternion(const Vec4& stored) {
    return toGlm(unitPlainQuaternion(stored));
}

Quaternion slerpShortArc(Quaternion a, Quaternion b, double u) {
    return toGlm(slerpShortArc(toPlain(a), toPlain(b), u));
}

Quaternion turnAbout(double angle, const Point& axis) {
    const double half = angle * 0.5;
    const Point along = axis * portable::sin(half);
    return Quaternion(portable::cos(half), along.x, along.y, along.z);
}

Quaternion shareOfTurn(Quaternion turn, double share) {
    if (turn.w < 0) {
        turn = -turn;
    }
    const Point axis(turn.x, turn.y, turn.z);
    const double sine = glm::length(axis);
    if (!(sine > 0)) {
        return Quaternion(1, 0, 0, 0);
    }
    return turnAbout(2 * portable::atan2(sine, turn.w) * share, axis / sine);
}

Rotation columnForm(const std::array<Vec3, 3>& rows) {
    return Rotation(toPoint(rows[0]), toPoint(rows[1]), toPoint(rows[2]));
}

Rotation columnForm(const Matrix44& matrix) {
    return columnForm(std::array<Vec3, 3>{matrix.row3(0), matrix.row3(1), matrix.row3(2)});
}

Rotation gameToMmdRotation() {
    // Columns: where the game's x, y and z axes go.
    return Rotation(gameToMmdAxes({1, 0, 0}), gameToMmdAxes({0, 1, 0}), gameToMmdAxes({0, 0, 1}));
}

}  // namespace zorvek

#include "sample/SampleLegs.h"

#include "sample/SampleMath.h"

#include <glm/geometric.hpp>

#include <cmath>
#include <stdexcept>

namespace zorvek::sample {

namespace {

// Where the PMX places センター (and 下半身 with it) and the joints of the
// left leg; the right leg mirrors it.
constexpr Place centerRest{0, 10, 0};
constexpr Place hipRest{0.9, 9.5, 0};
constexpr Place kneeRest{0.9, 5.098579, 0};
constexpr Place ankleRest{0.9, 0.993399, 0};

constexpr double reach = 0.985;

Place mirrored(const Place& left, double side) {
    return {left.x * side, left.y, left.z};
}

Place hipAt(double side, const CenterPose& center) {
    return centerRest + center.move + center.turn * (mirrored(hipRest, side) - centerRest);
}

}  // namespace

Turn3 turnAbout(const Place& axis, float degrees) {
    const float half = sample::degrees(degrees) / 2;
    const Place unit = glm::normalize(axis);
    const double s = portableSin(half);
    // The float sine and cosine leave it a little off unit length, which
    // would scale what it turns.
    return glm::normalize(Turn3(portableCos(half), unit.x * s, unit.y * s, unit.z * s));
}

Place ankleRestPlace(double side) {
    return mirrored(ankleRest, side);
}

Place ankleAt(double side, const CenterPose& center, const LegTurns& leg) {
    const Turn3 thigh = center.turn * leg.thigh;
    return hipAt(side, center) + thigh * (kneeRest - hipRest) + (thigh * leg.knee) * (ankleRest - kneeRest);
}

Turn3 ankleTurnGiving(const CenterPose& center, const LegTurns& leg, const Turn3& foot) {
    return glm::conjugate(center.turn * leg.thigh * leg.knee) * foot;
}

LegTurns legReaching(double side, const CenterPose& center, const Place& ankle) {
    const double upper = glm::length(kneeRest - hipRest);
    const double lower = glm::length(ankleRest - kneeRest);
    // The hip to the ankle in 下半身's axes, which turn with センター.
    const Place wanted = glm::conjugate(center.turn) * (ankle - hipAt(side, center));
    const double distance = glm::length(wanted);
    if (distance > reach * (upper + lower)) {
        throw std::logic_error("a sample leg is stretched too far");
    }
    // The knee's bend from straight, by the law of cosines; the half-angle
    // formulas need only sqrt.
    const double bendCos = (distance * distance - upper * upper - lower * lower) / (2 * upper * lower);
    LegTurns leg;
    leg.knee = Turn3(std::sqrt((1 + bendCos) / 2), -std::sqrt((1 - bendCos) / 2), 0, 0);
    // The thigh turns the bent leg's hip-to-ankle line onto the wanted one by
    // the shortest arc, which keeps the knee in front.
    const Place bent = (kneeRest - hipRest) + leg.knee * (ankleRest - kneeRest);
    const Place axis = glm::cross(bent, wanted);
    leg.thigh = glm::normalize(Turn3(glm::length(bent) * distance + glm::dot(bent, wanted), axis.x, axis.y, axis.z));
    return leg;
}

}  // namespace zorvek::sample

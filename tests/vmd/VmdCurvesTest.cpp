#include "vmd/VmdCurves.h"

#include "vmd/VmdInterpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace zorvek {
namespace {

constexpr VmdCurve easeInOut{64, 0, 63, 127};
// x1 = x2 = 1, y1 = y2 = 0: x(t) = 3(1-t)^2 t + 3(1-t) t^2 + t^3 = 1 - (1-t)^3
// and y(t) = t^3, so y = (1 - cbrt(1 - x))^3 for every x.
constexpr VmdCurve steep{127, 0, 127, 0};

double steepY(double x) {
    const double t = 1.0 - std::cbrt(1.0 - x);
    return t * t * t;
}

BezierCurve bezierOf(VmdCurve c) {
    return {c.x1 / 127.0f, c.y1 / 127.0f, c.x2 / 127.0f, c.y2 / 127.0f};
}

void expectCurve(const BezierCurve& actual, VmdCurve expected, const char* which) {
    const BezierCurve e = bezierOf(expected);
    EXPECT_EQ(actual.x1, e.x1) << which;
    EXPECT_EQ(actual.y1, e.y1) << which;
    EXPECT_EQ(actual.x2, e.x2) << which;
    EXPECT_EQ(actual.y2, e.y2) << which;
}

TEST(VmdCurvesOf, ReadsRowZeroGroupedByCoordinate) {
    std::array<std::uint8_t, 64> bytes{};
    for (std::uint8_t i = 0; i < 16; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    }
    // Rows 1 to 3 are not read.
    for (std::size_t i = 16; i < 64; ++i) {
        bytes[i] = 99;
    }
    const VmdKeyCurves curves = vmdCurvesOf(bytes);
    // X.x1 Y.x1 Z.x1 R.x1, then y1, x2 and y2 alike.
    expectCurve(curves.x, {1, 5, 9, 13}, "X");
    expectCurve(curves.y, {2, 6, 10, 14}, "Y");
    expectCurve(curves.z, {3, 7, 11, 15}, "Z");
    expectCurve(curves.rotation, {4, 8, 12, 16}, "R");
}

TEST(VmdCurvesOf, UndoesTheWritersLayout) {
    const VmdCurve a{1, 2, 3, 4}, b{127, 0, 0, 127}, c{20, 20, 107, 107}, d{126, 125, 124, 123};
    const VmdKeyCurves curves = vmdCurvesOf(vmdInterpolation(a, b, c, d));
    expectCurve(curves.x, a, "X");
    expectCurve(curves.y, b, "Y");
    expectCurve(curves.z, c, "Z");
    expectCurve(curves.rotation, d, "R");
}

TEST(BezierY, TheLinearCurveGivesBackX) {
    const BezierCurve linear = bezierOf(linearVmdCurve);
    for (int i = 0; i <= 100; ++i) {
        const double x = i / 100.0;
        EXPECT_NEAR(bezierY(linear, x), x, 1e-9) << x;
    }
}

TEST(BezierY, IsZeroBeforeAndOneAfterTheCurve) {
    const BezierCurve curve = bezierOf(easeInOut);
    EXPECT_EQ(bezierY(curve, 0), 0);
    EXPECT_EQ(bezierY(curve, -0.5), 0);
    EXPECT_EQ(bezierY(curve, std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(bezierY(curve, 1), 1);
    EXPECT_EQ(bezierY(curve, 7), 1);
}

struct CurvePoint {
    double x, y;
};

// Points at t = 1/4, 1/2, 3/4 of the ease-in-out curve (64, 0) (63, 127), with
// a = 64/127 and b = 63/127, x(t) = 3(1-t)^2 t a + 3(1-t) t^2 b + t^3 and
// y(t) = 3(1-t) t^2 + t^3:
//   t = 1/4: x = 27/64 a + 9/64 b + 1/64 = (1728 + 567) / 8128 + 127 / 8128 = 1211/4064,
//            y = 9/64 + 1/64 = 10/64
//   t = 1/2: x = 3/8 (a + b) + 1/8 = 1/2, y = 3/8 + 1/8 = 1/2
//   t = 3/4: x = 9/64 a + 27/64 b + 27/64 = (576 + 1701 + 3429) / 8128 = 2853/4064,
//            y = 27/64 + 27/64 = 54/64
const std::vector<CurvePoint> easeInOutPoints = {{1211.0 / 4064, 10.0 / 64}, {0.5, 0.5}, {2853.0 / 4064, 54.0 / 64}};

TEST(BezierY, EaseInOutAtHandComputedPoints) {
    // 64/127 and 63/127 are not exact floats: 1e-6 holds their rounding.
    for (const CurvePoint& point : easeInOutPoints) {
        EXPECT_NEAR(bezierY(bezierOf(easeInOut), point.x), point.y, 1e-6) << point.x;
    }
    // Control points 0 and 1 are exact: the bisection's own accuracy.
    for (const CurvePoint& point : {CurvePoint{7.0 / 8, 1.0 / 8}, CurvePoint{37.0 / 64, 1.0 / 64}}) {
        EXPECT_NEAR(bezierY(bezierOf(steep), point.x), point.y, 1e-9) << point.x;
    }
}

// Control points above 127 are not MMD's, but bytes are bytes: x(t) then
// turns back, and the search still ends on a value.
TEST(BezierY, ControlPointsBeyondTheSquareStillGiveAValue) {
    const BezierCurve wild{255 / 127.0f, 255 / 127.0f, 255 / 127.0f, 0};
    for (int i = 1; i < 10; ++i) {
        EXPECT_TRUE(std::isfinite(bezierY(wild, i / 10.0))) << i;
    }
}

// A turn of `degrees` about the Y axis.
PlainQuaternion aboutY(double degrees) {
    const double half = degrees * std::numbers::pi / 360.0;
    return {0, std::sin(half), 0, std::cos(half)};
}

void expectRotation(const PlainQuaternion& actual, const PlainQuaternion& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

VmdBoneKey key(std::uint32_t frame, Vec3 position, Vec4 rotation = {0, 0, 0, 1},
               std::array<std::uint8_t, 64> curves = linearVmdInterpolation) {
    return {frame, position, rotation, curves};
}

const float halfRoot2 = static_cast<float>(std::sqrt(0.5));

// k0 holds curves of its own, which do not apply after it; k1's X is linear,
// Y eases in and out, Z and the rotation are steep.
std::vector<VmdBoneKey> twoKeys() {
    return {
        key(0, {0, 0, 0}, {0, 0, 0, 1}, vmdInterpolation(steep, steep, steep, steep)),
        key(8, {10, -20, 30}, {0, halfRoot2, 0, halfRoot2}, vmdInterpolation(linearVmdCurve, easeInOut, steep, steep))};
}

TEST(EvaluateBone, BetweenTwoKeysEachAxisFollowsItsOwnCurveFromTheLaterKey) {
    const std::vector<VmdBoneKey> keys = twoKeys();
    for (const CurvePoint& point : easeInOutPoints) {
        const double u = point.x;
        const BonePoseAt pose = u == 0.5 ? evaluateBone(keys, 4) : evaluateBoneAt(keys, 8 * u);
        SCOPED_TRACE(u);
        EXPECT_NEAR(pose.position.x, 10 * u, 1e-5);
        EXPECT_NEAR(pose.position.y, -20 * point.y, 1e-5);
        EXPECT_NEAR(pose.position.z, 30 * steepY(u), 1e-5);
        expectRotation(pose.rotation, aboutY(90 * steepY(u)), 1e-8);
    }
}

TEST(EvaluateBone, TheFirstKeyHoldsBeforeItAndTheLastAfterIt) {
    std::vector<VmdBoneKey> keys = twoKeys();
    for (VmdBoneKey& k : keys) {
        k.frame += 10;
    }
    for (const std::uint32_t frame : {0u, 5u, 10u}) {
        const BonePoseAt pose = evaluateBone(keys, frame);
        EXPECT_EQ(pose.position, (Vec3{0, 0, 0})) << frame;
        EXPECT_EQ(pose.rotation, PlainQuaternion{}) << frame;
    }
    for (const std::uint32_t frame : {18u, 19u, 1000u, 0xFFFFFFFFu}) {
        const BonePoseAt pose = evaluateBone(keys, frame);
        EXPECT_EQ(pose.position, (Vec3{10, -20, 30})) << frame;
        expectRotation(pose.rotation, aboutY(90), 1e-15);
    }
}

TEST(EvaluateBone, WithoutKeysTheBoneRests) {
    for (const std::uint32_t frame : {0u, 30u}) {
        const BonePoseAt pose = evaluateBone({}, frame);
        EXPECT_EQ(pose.position, (Vec3{0, 0, 0}));
        EXPECT_EQ(pose.rotation, PlainQuaternion{});
    }
}

struct StepCase {
    std::vector<std::uint32_t> frames;  // of keys at x = 0, 1, 2, ... (times the step)
    std::vector<float> positions;
    double frame;
    float expectedX;
};

std::vector<VmdBoneKey> keysAt(const StepCase& c) {
    std::vector<VmdBoneKey> keys;
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
        keys.push_back(key(c.frames[i], {c.positions[i], 0, 0}));
    }
    return keys;
}

// Keys less than 1.5 frames apart step; two frames apart they interpolate.
// On a frame with several keys, the first ends the way there, the last rules from it on.
TEST(EvaluateBone, AdjacentFramesStepAndTheLastKeyOfAFrameRulesFromIt) {
    const std::vector<StepCase> cases = {
        {{10, 11}, {1, 2}, 10.5, 1},
        {{10, 11}, {1, 2}, 10.999, 1},
        {{10, 11}, {1, 2}, 11, 2},
        {{10, 12}, {1, 2}, 11, 1.5f},
        {{0, 10, 10, 20}, {0, 10, 20, 40}, 5, 5},
        {{0, 10, 10, 20}, {0, 10, 20, 40}, 10, 20},
        {{0, 10, 10, 20}, {0, 10, 20, 40}, 15, 30},
        {{0, 10, 10, 20}, {0, 10, 20, 40}, 25, 40},
        {{0, 4, 4, 4, 8}, {0, 100, 200, 300, 0}, 2, 50},
        {{0, 4, 4, 4, 8}, {0, 100, 200, 300, 0}, 4, 300},
        {{0, 4, 4, 4, 8}, {0, 100, 200, 300, 0}, 6, 150},
        // On the first frame: before it the first key holds.
        {{5, 5, 15}, {1, 2, 12}, 0, 1},
        {{5, 5, 15}, {1, 2, 12}, 5, 2},
        {{5, 5, 15}, {1, 2, 12}, 10, 7},
        {{5, 15, 15}, {1, 2, 3}, 100, 3},
    };
    for (const StepCase& c : cases) {
        EXPECT_NEAR(evaluateBoneAt(keysAt(c), c.frame).position.x, c.expectedX, 1e-5)
            << "keys " << c.frames.size() << " from " << c.frames.front() << ", frame " << c.frame;
    }
}

TEST(EvaluateBone, KeyRotationsAreMadeUnit) {
    const std::vector<Vec4> rotations = {{0, 0, 0, 2},
                                         {0, 0, 0, 0},
                                         {std::numeric_limits<float>::infinity(), 0, 0, 1},
                                         {0, 0, std::numeric_limits<float>::quiet_NaN(), 1}};
    for (const Vec4& rotation : rotations) {
        EXPECT_EQ(evaluateBone({key(0, {}, rotation)}, 0).rotation, PlainQuaternion{});
    }
    EXPECT_EQ(evaluateBone({key(0, {}, {0, 3, 0, 4})}, 0).rotation, (PlainQuaternion{0, 0.6, 0, 0.8}));
}

// -q is the same turn as q: from the identity to minus a quarter turn about Y
// is an eighth turn halfway, not three eighths the long way round.
TEST(SlerpVmdShortArc, TakesTheShorterArc) {
    const PlainQuaternion minusQuarter{0, -std::sqrt(0.5), 0, -std::sqrt(0.5)};
    expectRotation(slerpShortArc({}, minusQuarter, 0.5), aboutY(45), 1e-15);
    expectRotation(slerpShortArc({}, minusQuarter, 0), PlainQuaternion{}, 1e-15);
    expectRotation(slerpShortArc({}, minusQuarter, 1), aboutY(90), 1e-15);
    // Through a key: the bone turns the short way between stored quaternions too.
    const std::vector<VmdBoneKey> keys = {key(0, {}), key(10, {}, {0, -halfRoot2, 0, -halfRoot2})};
    expectRotation(evaluateBone(keys, 5).rotation, aboutY(45), 1e-8);
}

TEST(SlerpVmdShortArc, EqualRotationsStayPut) {
    const PlainQuaternion q = aboutY(30);
    expectRotation(slerpShortArc(q, q, 0.25), q, 1e-15);
}

struct IkCase {
    std::string name;
    std::uint32_t frame;
    bool expected;
};

TEST(IkEnabledAt, TheLatestFrameThatNamesTheIkRules) {
    const std::vector<VmdShowIkFrame> frames = {
        {5, true, {{"A", true}, {"B", false}}},
        {10, true, {{"A", false}}},
        {10, true, {{"A", true}, {"B", true}, {"B", false}}},
        {20, false, {{"B", true}}},
        {30, true, {}},
    };
    const std::vector<IkCase> cases = {
        {"A", 0, true},  {"B", 0, true},   {"A", 5, true},   {"B", 5, false}, {"B", 9, false},
        {"A", 10, true}, {"B", 10, false}, {"B", 19, false}, {"B", 20, true}, {"B", 35, true},
        {"A", 35, true}, {"C", 10, true},  {"", 10, true},   {"a", 5, true},
    };
    for (const IkCase& c : cases) {
        EXPECT_EQ(ikEnabledAt(frames, c.name, c.frame), c.expected) << c.name << " at " << c.frame;
    }
    EXPECT_TRUE(ikEnabledAt({}, "A", 0));
}

}  // namespace
}  // namespace zorvek

#include "base/PortableMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace zorvek::test {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double pi = 3.14159265358979323846;

// How many doubles lie between the two, counted across zero: 0 for equal
// values, 1 for neighbours.
double ulpsApart(double a, double b) {
    const auto ordered = [](double v) {
        const auto bits = std::bit_cast<std::int64_t>(v);
        return bits < 0 ? std::numeric_limits<std::int64_t>::min() - bits : bits;
    };
    const std::int64_t x = ordered(a);
    const std::int64_t y = ordered(b);
    // Unsigned, where the difference of any two such numbers fits.
    const std::uint64_t apart = x > y ? static_cast<std::uint64_t>(x) - static_cast<std::uint64_t>(y)
                                      : static_cast<std::uint64_t>(y) - static_cast<std::uint64_t>(x);
    return static_cast<double>(apart);
}

// Arguments spread over [low, high], or with |x| spread over [2^low, 2^high]
// in both signs; the same on every platform (mt19937_64's sequence is fixed).
class Arguments {
public:
    Arguments(double low, double high, bool logarithmic, std::uint64_t seed = 20240611)
        : low_(low), high_(high), logarithmic_(logarithmic), random_(seed) {}

    double next() {
        const double u = static_cast<double>(random_() >> 11) * 0x1p-53;
        if (!logarithmic_) {
            return low_ + (high_ - low_) * u;
        }
        const double magnitude = std::exp2(low_ + (high_ - low_) * u);
        return (random_() & 1) != 0 ? magnitude : -magnitude;
    }

private:
    double low_, high_;
    bool logarithmic_;
    std::mt19937_64 random_;
};

constexpr int argumentCount = 200000;

// glibc's functions are within about half an ulp of the true value, so ours
// may differ from them by one ulp, never by two, and mostly not at all.
// mingw-w64's sine and cosine are the x87 instructions, whose reduction by a
// 66-bit pi leaves them thousands of ulps off for large arguments and near
// multiples of pi: there the comparison proves nothing.
#if defined(__GLIBC__)
constexpr bool accurateLibrary = true;
#else
constexpr bool accurateLibrary = false;
#endif

struct AccuracyCase {
    std::string label;
    double (*portable)(double);
    double (*library)(double);
    double low, high;
    bool logarithmic;
    bool reduced = false;  // whether the library reduces the argument too
};

class PortableMathAccuracyTest : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(PortableMathAccuracyTest, IsWithinOneUlpOfTheCLibrary) {
    const AccuracyCase& c = GetParam();
    if (c.reduced && !accurateLibrary) {
        GTEST_SKIP() << "this C library's reduced sine and cosine are less accurate than ours";
    }
    Arguments arguments(c.low, c.high, c.logarithmic);
    double largest = 0;
    double worstArgument = 0;
    int differing = 0;
    for (int i = 0; i < argumentCount; ++i) {
        const double x = arguments.next();
        const double apart = ulpsApart(c.portable(x), c.library(x));
        differing += apart > 0 ? 1 : 0;
        if (apart > largest) {
            largest = apart;
            worstArgument = x;
        }
    }
    RecordProperty("largest_ulps", std::to_string(largest));
    RecordProperty("differing", std::to_string(differing));
    EXPECT_LE(largest, 1) << "at " << std::hexfloat << worstArgument;
    if (accurateLibrary) {
        // Most results are the correctly rounded double, as glibc's are.
        EXPECT_LT(differing, argumentCount / 20);
    }
}

double librarySin(double x) {
    return std::sin(x);
}
double libraryCos(double x) {
    return std::cos(x);
}
double libraryAtan(double x) {
    return std::atan(x);
}
double libraryAsin(double x) {
    return std::asin(x);
}
double libraryAcos(double x) {
    return std::acos(x);
}

INSTANTIATE_TEST_SUITE_P(
    Functions, PortableMathAccuracyTest,
    ::testing::Values(AccuracyCase{"sin_unreduced", portable::sin, librarySin, -pi / 4, pi / 4, false},
                      AccuracyCase{"sin_turns", portable::sin, librarySin, -4 * pi, 4 * pi, false, true},
                      AccuracyCase{"sin_far", portable::sin, librarySin, -1e5, 1e5, false, true},
                      AccuracyCase{"sin_magnitudes", portable::sin, librarySin, -30, 20, true, true},
                      AccuracyCase{"cos_unreduced", portable::cos, libraryCos, -pi / 4, pi / 4, false},
                      AccuracyCase{"cos_turns", portable::cos, libraryCos, -4 * pi, 4 * pi, false, true},
                      AccuracyCase{"cos_far", portable::cos, libraryCos, -1e5, 1e5, false, true},
                      AccuracyCase{"cos_magnitudes", portable::cos, libraryCos, -30, 20, true, true},
                      AccuracyCase{"atan_near_zero", portable::atan, libraryAtan, -3, 3, false},
                      AccuracyCase{"atan_magnitudes", portable::atan, libraryAtan, -30, 60, true},
                      AccuracyCase{"asin", portable::asin, libraryAsin, -1, 1, false},
                      AccuracyCase{"asin_magnitudes", portable::asin, libraryAsin, -30, 0, true},
                      AccuracyCase{"acos", portable::acos, libraryAcos, -1, 1, false},
                      AccuracyCase{"acos_magnitudes", portable::acos, libraryAcos, -30, 0, true}),
    [](const ::testing::TestParamInfo<AccuracyCase>& info) { return info.param.label; });

struct PlaneCase {
    std::string label;
    double xLow, xHigh, yLow, yHigh;
};

class PortableAtan2AccuracyTest : public ::testing::TestWithParam<PlaneCase> {};

TEST_P(PortableAtan2AccuracyTest, IsWithinOneUlpOfTheCLibrary) {
    const PlaneCase& c = GetParam();
    Arguments xs(c.xLow, c.xHigh, false);
    Arguments ys(c.yLow, c.yHigh, false, 7);
    double largest = 0;
    double worstX = 0;
    double worstY = 0;
    int differing = 0;
    for (int i = 0; i < argumentCount; ++i) {
        const double x = xs.next();
        const double y = ys.next();
        const double apart = ulpsApart(portable::atan2(y, x), std::atan2(y, x));
        differing += apart > 0 ? 1 : 0;
        if (apart > largest) {
            largest = apart;
            worstX = x;
            worstY = y;
        }
    }
    RecordProperty("largest_ulps", std::to_string(largest));
    RecordProperty("differing", std::to_string(differing));
    EXPECT_LE(largest, 1) << std::hexfloat << "at atan2(" << worstY << ", " << worstX << ")";
    if (accurateLibrary) {
        EXPECT_LT(differing, argumentCount / 20);
    }
}

INSTANTIATE_TEST_SUITE_P(Regions, PortableAtan2AccuracyTest,
                         ::testing::Values(PlaneCase{"square", -2, 2, -2, 2},
                                           PlaneCase{"near_the_x_axis", -2, 2, -1e-3, 1e-3},
                                           PlaneCase{"near_the_y_axis", -1e-3, 1e-3, -2, 2},
                                           PlaneCase{"far_right", 1e6, 1e9, -1, 1}),
                         [](const ::testing::TestParamInfo<PlaneCase>& info) { return info.param.label; });

// The same bits as the C library, NaN for NaN, at the values C99's annex F fixes.
bool sameResult(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct SpecialCase {
    std::string label;
    double (*portable)(double);
    double (*library)(double);
    double x;
};

class PortableMathSpecialTest : public ::testing::TestWithParam<SpecialCase> {};

TEST_P(PortableMathSpecialTest, GivesTheCLibrarysResult) {
    const SpecialCase& c = GetParam();
    const double got = c.portable(c.x);
    const double wanted = c.library(c.x);
    EXPECT_TRUE(sameResult(got, wanted)) << std::hexfloat << got << " against " << wanted;
}

INSTANTIATE_TEST_SUITE_P(
    Values, PortableMathSpecialTest,
    ::testing::Values(SpecialCase{"sin_zero", portable::sin, librarySin, 0.0},
                      SpecialCase{"sin_negative_zero", portable::sin, librarySin, -0.0},
                      SpecialCase{"sin_subnormal", portable::sin, librarySin, -0x1p-1070},
                      SpecialCase{"sin_infinity", portable::sin, librarySin, inf},
                      SpecialCase{"sin_negative_infinity", portable::sin, librarySin, -inf},
                      SpecialCase{"sin_nan", portable::sin, librarySin, nan},
                      SpecialCase{"sin_half_pi", portable::sin, librarySin, pi / 2},
                      SpecialCase{"cos_zero", portable::cos, libraryCos, 0.0},
                      SpecialCase{"cos_negative_zero", portable::cos, libraryCos, -0.0},
                      SpecialCase{"cos_infinity", portable::cos, libraryCos, inf},
                      SpecialCase{"cos_nan", portable::cos, libraryCos, nan},
                      SpecialCase{"cos_pi", portable::cos, libraryCos, pi},
                      SpecialCase{"atan_zero", portable::atan, libraryAtan, 0.0},
                      SpecialCase{"atan_negative_zero", portable::atan, libraryAtan, -0.0},
                      SpecialCase{"atan_one", portable::atan, libraryAtan, 1.0},
                      SpecialCase{"atan_infinity", portable::atan, libraryAtan, inf},
                      SpecialCase{"atan_negative_infinity", portable::atan, libraryAtan, -inf},
                      SpecialCase{"atan_largest", portable::atan, libraryAtan, std::numeric_limits<double>::max()},
                      SpecialCase{"atan_nan", portable::atan, libraryAtan, nan},
                      SpecialCase{"asin_zero", portable::asin, libraryAsin, 0.0},
                      SpecialCase{"asin_negative_zero", portable::asin, libraryAsin, -0.0},
                      SpecialCase{"asin_one", portable::asin, libraryAsin, 1.0},
                      SpecialCase{"asin_minus_one", portable::asin, libraryAsin, -1.0},
                      SpecialCase{"asin_half", portable::asin, libraryAsin, 0.5},
                      SpecialCase{"asin_beyond_one", portable::asin, libraryAsin, 1.0000000000000002},
                      SpecialCase{"asin_infinity", portable::asin, libraryAsin, inf},
                      SpecialCase{"asin_nan", portable::asin, libraryAsin, nan},
                      SpecialCase{"acos_one", portable::acos, libraryAcos, 1.0},
                      SpecialCase{"acos_minus_one", portable::acos, libraryAcos, -1.0},
                      SpecialCase{"acos_zero", portable::acos, libraryAcos, 0.0},
                      SpecialCase{"acos_negative_zero", portable::acos, libraryAcos, -0.0},
                      SpecialCase{"acos_below_minus_one", portable::acos, libraryAcos, -1.5},
                      SpecialCase{"acos_nan", portable::acos, libraryAcos, nan}),
    [](const ::testing::TestParamInfo<SpecialCase>& info) { return info.param.label; });

struct PlaneSpecialCase {
    std::string label;
    double y, x;
};

class PortableAtan2SpecialTest : public ::testing::TestWithParam<PlaneSpecialCase> {};

TEST_P(PortableAtan2SpecialTest, GivesTheCLibrarysResult) {
    const PlaneSpecialCase& c = GetParam();
    const double got = portable::atan2(c.y, c.x);
    const double wanted = std::atan2(c.y, c.x);
    EXPECT_TRUE(sameResult(got, wanted)) << std::hexfloat << got << " against " << wanted;
}

INSTANTIATE_TEST_SUITE_P(
    Values, PortableAtan2SpecialTest,
    ::testing::Values(PlaneSpecialCase{"zero_zero", 0.0, 0.0}, PlaneSpecialCase{"zero_negative_zero", 0.0, -0.0},
                      PlaneSpecialCase{"negative_zero_zero", -0.0, 0.0}, PlaneSpecialCase{"negative_zeros", -0.0, -0.0},
                      PlaneSpecialCase{"zero_left", 0.0, -1.0}, PlaneSpecialCase{"negative_zero_left", -0.0, -1.0},
                      PlaneSpecialCase{"zero_right", 0.0, 1.0}, PlaneSpecialCase{"up", 1.0, 0.0},
                      PlaneSpecialCase{"down", -1.0, -0.0}, PlaneSpecialCase{"diagonal", 1.0, 1.0},
                      PlaneSpecialCase{"back_diagonal", -1.0, -1.0}, PlaneSpecialCase{"infinities", inf, inf},
                      PlaneSpecialCase{"infinity_left", inf, -inf}, PlaneSpecialCase{"negative_infinities", -inf, -inf},
                      PlaneSpecialCase{"infinity_up", inf, 1.0}, PlaneSpecialCase{"infinitely_right", 1.0, inf},
                      PlaneSpecialCase{"infinitely_left", -1.0, -inf},
                      PlaneSpecialCase{"subnormal_over_large", 0x1p-1070, 1e300},
                      PlaneSpecialCase{"huge_over_huge", 1e300, 3e300},
                      PlaneSpecialCase{"tiny_over_tiny", -3e-300, -1e-300}, PlaneSpecialCase{"nan_y", nan, 1.0},
                      PlaneSpecialCase{"nan_x", 1.0, nan}),
    [](const ::testing::TestParamInfo<PlaneSpecialCase>& info) { return info.param.label; });

// Near the zeros the result is the small remainder of the argument after
// whole multiples of pi / 2, which the reduction must keep to the last bit:
// the nearest doubles to pi and pi / 2 miss them by these (pi's digits).
TEST(PortableMath, KeepsTheRemainderNearMultiplesOfHalfPi) {
    EXPECT_EQ(portable::sin(pi), 0x1.1a62633145c07p-53);
    EXPECT_EQ(portable::cos(pi / 2), 0x1.1a62633145c07p-54);
    EXPECT_EQ(portable::sin(-pi), -0x1.1a62633145c07p-53);
    EXPECT_EQ(portable::cos(3 * (pi / 2)), -0x1.a79394c9e8a0ap-53);
}

// The slerp's series are less accurate than the functions above and stay so:
// what they give decides the bytes of every motion made from an animation.
TEST(PortableMath, SlerpSeriesStayWithinTheirKnownErrors) {
    Arguments sines(0, pi / 2, false);
    Arguments tangents(0, 1, false, 7);
    double largestSine = 0;
    double largestTangent = 0;
    for (int i = 0; i < argumentCount; ++i) {
        const double x = sines.next();
        largestSine = std::max(largestSine, ulpsApart(portable::slerpSine(x), std::sin(x)));
        const double t = tangents.next();
        largestTangent = std::max(largestTangent, ulpsApart(portable::slerpArcTangent(t), std::atan(t)));
    }
    EXPECT_LE(largestSine, 3);
    EXPECT_LE(largestTangent, 6);
    EXPECT_EQ(portable::slerpSine(0), 0);
    EXPECT_EQ(portable::slerpArcTangent(0), 0);
}

}  // namespace
}  // namespace zorvek::test

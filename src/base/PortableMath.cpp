#include "base/PortableMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zorvek::portable {

namespace {

// pi and its fractions as the nearest double plus the rest, for sums whose
// result lies near them.
constexpr double piHigh = 0x1.921fb54442d18p+1;
constexpr double piLow = 0x1.1a62633145c07p-53;
constexpr double halfPiHigh = 0x1.921fb54442d18p+0;
constexpr double halfPiLow = 0x1.1a62633145c07p-54;
constexpr double quarterPi = 0x1.921fb54442d18p-1;
constexpr double threeQuarterPi = 0x1.2d97c7f3321d2p+1;

// pi / 2 in three parts, the first two of 33 bits, so that k times either is
// exact for k below 2^20 (Cody and Waite's reduction).
constexpr double halfPi1 = 0x1.921fb54400000p+0;
constexpr double halfPi2 = 0x1.0b4611a600000p-34;
constexpr double halfPi3 = 0x1.3198a2e037073p-69;
constexpr double twoOverPi = 0x1.45f306dc9c883p-1;

// Below this x^3 / 6 is under half an ulp of x: sin x and asin x round to x, cos x to 1.
constexpr double tiny = 0x1p-27;

// A double that is the sum hi + lo, |lo| under half an ulp of hi.
struct Split {
    double hi, lo;
};

// a + b exactly as hi + lo (Knuth's two-sum; any order of magnitude).
Split twoSum(double a, double b) {
    const double sum = a + b;
    const double bPart = sum - a;
    const double aPart = sum - bPart;
    return {sum, (a - aPart) + (b - bPart)};
}

// Veltkamp's split of a into two halves of 26 bits, whose products need no
// rounding (Dekker): exact products without a fused multiply-add, which the
// build does not allow.
Split halves(double a) {
    constexpr double splitter = 0x1p27 + 1;
    const double c = splitter * a;
    const double high = c - (c - a);
    return {high, a - high};
}

// a * b exactly as hi + lo.
Split exactProduct(double a, double b) {
    const Split x = halves(a);
    const Split y = halves(b);
    const double product = a * b;
    return {product, ((x.hi * y.hi - product) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

Split exactSquare(double a) {
    return exactProduct(a, a);
}

// The quotient of hi + lo by hi + lo, to about twice a double's digits.
Split quotient(const Split& y, const Split& x) {
    const double q = y.hi / x.hi;
    const Split back = exactProduct(q, x.hi);
    return {q, (((y.hi - back.hi) - back.lo) + y.lo - q * x.lo) / x.hi};
}

// Taylor coefficients, each the double nearest 1 / n!, with alternating signs:
// on |r| <= pi / 4 the first term left out is below 2^-70 of the result.
constexpr std::array<double, 8> sineTerms{
    -1.0 / 6,        1.0 / 120,        -1.0 / 5040,          1.0 / 362880,
    -1.0 / 39916800, 1.0 / 6227020800, -1.0 / 1307674368000, 1.0 / 355687428096000};
constexpr std::array<double, 8> cosineTerms{
    1.0 / 24,        -1.0 / 720,         1.0 / 40320,          -1.0 / 3628800,
    1.0 / 479001600, -1.0 / 87178291200, 1.0 / 20922789888000, -1.0 / 6402373705728000};

template <std::size_t N>
double horner(const std::array<double, N>& terms, double z) {
    double sum = terms[N - 1];
    for (std::size_t i = N - 1; i-- > 0;) {
        sum = terms[i] + z * sum;
    }
    return sum;
}

// sin(hi + lo) for |hi| <= pi / 4 (a little more after rounding), lo a
// correction of hi's last bits: hi plus a tail far smaller than hi, so the
// rounding of the one last sum is most of the error.
double sineKernel(double hi, double lo) {
    const double z = hi * hi;
    const double tail = hi * z * horner(sineTerms, z) + lo * (1 - 0.5 * z);
    return hi + tail;
}

// cos(hi + lo) likewise: 1 - hi^2 / 2 with the square exact and the
// subtraction's rounding carried into the tail.
double cosineKernel(double hi, double lo) {
    const Split square = exactSquare(hi);
    const double half = 0.5 * square.hi;
    const double w = 1 - half;
    const double z = square.hi;
    const double tail = (((1 - w) - half) - 0.5 * square.lo) + (z * z * horner(cosineTerms, z) - hi * lo);
    return w + tail;
}

// x = k pi / 2 + hi + lo with |hi + lo| <= pi / 4; returns k modulo 4.
int reduce(double x, Split& r) {
    const double k = std::floor(x * twoOverPi + 0.5);
    // Exact: k times the 33-bit part, and the difference of two numbers within
    // a factor of two of each other (Sterbenz).
    const double first = x - k * halfPi1;
    const Split second = twoSum(first, -(k * halfPi2));
    r = twoSum(second.hi, second.lo - k * halfPi3);
    const double quadrant = k - 4 * std::floor(k / 4);
    return static_cast<int>(quadrant);
}

double nan() {
    return std::numeric_limits<double>::quiet_NaN();
}

// atan(j / 8) for j from 2 to 20, as the nearest double and the rest.
constexpr Split arcTangentOfEighths[] = {
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},  {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},  {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},  {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},  {0x1.b034f38649c88p-1, -0x1.be88d6936f833p-55},
    {0x1.cac7c57846f9ep-1, 0x1.0dae13ad18a6bp-55},  {0x1.e24dd44c855d1p-1, 0x1.f7ac612ab33d8p-55},
    {0x1.f730bd281f69bp-1, 0x1.007887af0cbbdp-56},  {0x1.04e67277a01d7p+0, 0x1.7115496c13eb6p-57},
    {0x1.0d38f2c5ba09fp+0, -0x1.bd0dc231bfd70p-54}, {0x1.14b1dd5f90ce1p+0, -0x1.212d570a63fa2p-56},
    {0x1.1b6e192ebbe44p+0, 0x1.b1b466a88828ep-54},  {0x1.21862f3fade36p+0, 0x1.4887628d68748p-54},
    {0x1.270ef55a53a25p+0, -0x1.a66b1af5f84fbp-54}, {0x1.2c1a241d66dc3p+0, 0x1.82b2d58b6a8e9p-54},
    {0x1.30b6d796a4da8p+0, 0x1.6254cb03bb199p-54},
};
constexpr double firstEighth = 2;
// Up to here the nearest eighth is at most 20 / 8; beyond, atan x = pi / 2 - atan(1 / x).
constexpr double largestByEighths = 20.5 / 8;
// Below this the series alone, with 11 terms after x.
constexpr double smallestByEighths = 1.5 / 8;
constexpr double hugeTangent = 0x1p60;
// Beyond these binary exponents the exact products could overflow or lose
// their low parts: atan2's coordinates are scaled by a power of two first.
constexpr int largestUnscaledExponent = 500;

// The series of atan u = u - u^3 / 3 + u^5 / 5 - ... after its first term, over u^2.
template <std::size_t N>
constexpr std::array<double, N> arcTangentTerms() {
    std::array<double, N> terms{};
    for (std::size_t n = 0; n < N; ++n) {
        terms[n] = (n % 2 == 0 ? -1.0 : 1.0) / static_cast<double>(2 * n + 3);
    }
    return terms;
}
constexpr auto smallArcTangentTerms = arcTangentTerms<11>();
// |u| <= 1/16 after the reduction to the nearest eighth.
constexpr auto reducedArcTangentTerms = arcTangentTerms<6>();

// atan(t + lo) for 0 <= t < 20.5 / 8, lo a correction of t's last bits, as
// a sum left to its caller, which rounds it once: the series near 0;
// elsewhere atan(j / 8) plus the series of the small
// u = (t - j / 8) / (1 + t j / 8), u to twice a double's digits.
Split arcTangentOfReduced(double t, double lo) {
    if (t < smallestByEighths) {
        const double z = t * t;
        return {t, t * z * horner(smallArcTangentTerms, z) + lo * (1 - z)};
    }
    const double j = std::floor(8 * t + 0.5);
    const double c = j / 8;
    // t - c is exact (within a factor of two of each other).
    const Split tc = exactProduct(t, c);
    const Split below = twoSum(1, tc.hi);
    const Split u = quotient({t - c, 0}, {below.hi, below.lo + tc.lo});
    const double z = u.hi * u.hi;
    const Split& base = arcTangentOfEighths[static_cast<int>(j - firstEighth)];
    const double tail = u.hi * z * horner(reducedArcTangentTerms, z) + (base.lo + u.lo + lo / (1 + t * t));
    return {base.hi, u.hi + tail};
}

// high + (low + a) rounded once, for a constant high + low and a, where the
// sum of the two high parts is not exact by itself.
double sumOf(double high, double low, const Split& a) {
    const Split top = twoSum(high, a.hi);
    return top.hi + (top.lo + (low + a.lo));
}

// atan t for t >= 0, +infinity included.
double arcTangentOfPositive(double t) {
    if (t < largestByEighths) {
        const Split a = arcTangentOfReduced(t, 0);
        return a.hi + a.lo;
    }
    if (t > hugeTangent) {
        // The exact products below would overflow; 1 / t is far under an ulp of pi / 2.
        return halfPiHigh - (1 / t - halfPiLow);
    }
    const Split inverse = quotient({1, 0}, {t, 0});
    const Split a = arcTangentOfReduced(inverse.hi, inverse.lo);
    return sumOf(halfPiHigh, halfPiLow, {-a.hi, -a.lo});
}

// The angle of (x, y) for finite y >= 0 and x, not both 0, each given as
// hi + lo: the quotient taken the way that keeps it within [0, 1].
double angleAboveAxis(const Split& y, const Split& x) {
    const bool right = x.hi > 0;
    const Split ax = right ? x : Split{-x.hi, -x.lo};
    if (y.hi <= ax.hi) {
        const Split q = quotient(y, ax);
        const Split a = arcTangentOfReduced(q.hi, q.lo);
        return right ? a.hi + a.lo : sumOf(piHigh, piLow, {-a.hi, -a.lo});
    }
    const Split q = quotient(ax, y);
    const Split a = arcTangentOfReduced(q.hi, q.lo);
    return sumOf(halfPiHigh, halfPiLow, right ? Split{-a.hi, -a.lo} : a);
}

// sqrt(1 - x^2) for |x| <= 1 as hi + lo: the square exact, the difference
// exact but for its last sum, and one Newton step for the root's rest.
Split cosineOfArcSine(double x) {
    const Split square = exactSquare(x);
    const Split difference = twoSum(1, -square.hi);
    const Split s = twoSum(difference.hi, difference.lo - square.lo);
    const double root = std::sqrt(s.hi);
    if (root == 0) {
        return {0, 0};
    }
    const Split back = exactSquare(root);
    return {root, (((s.hi - back.hi) - back.lo) + s.lo) / (2 * root)};
}

}  // namespace

double sin(double x) {
    const double ax = std::abs(x);
    if (ax < tiny) {
        return x;  // keeps -0 and the subnormals
    }
    if (ax <= quarterPi) {
        return sineKernel(x, 0);
    }
    if (!std::isfinite(x)) {
        return x - x;  // NaN for infinities, NaN kept
    }
    Split r{};
    const int quadrant = reduce(x, r);
    switch (quadrant) {
    case 0: return sineKernel(r.hi, r.lo);
    case 1: return cosineKernel(r.hi, r.lo);
    case 2: return -sineKernel(r.hi, r.lo);
    default: return -cosineKernel(r.hi, r.lo);
    }
}

double cos(double x) {
    const double ax = std::abs(x);
    if (ax < tiny) {
        return 1;
    }
    if (ax <= quarterPi) {
        return cosineKernel(x, 0);
    }
    if (!std::isfinite(x)) {
        return x - x;
    }
    Split r{};
    const int quadrant = reduce(x, r);
    switch (quadrant) {
    case 0: return cosineKernel(r.hi, r.lo);
    case 1: return -sineKernel(r.hi, r.lo);
    case 2: return -cosineKernel(r.hi, r.lo);
    default: return sineKernel(r.hi, r.lo);
    }
}

double atan(double x) {
    if (std::isnan(x)) {
        return x;
    }
    const double ax = std::abs(x);
    if (ax < tiny) {
        return x;
    }
    return std::copysign(arcTangentOfPositive(ax), x);
}

double atan2(double y, double x) {
    if (std::isnan(x) || std::isnan(y)) {
        return x + y;
    }
    const double ay = std::abs(y);
    const bool left = std::signbit(x);
    double angle = 0;
    if (std::isinf(ay)) {
        angle = std::isinf(x) ? (left ? threeQuarterPi : quarterPi) : halfPiHigh;
    } else if (std::isinf(x)) {
        angle = left ? piHigh : 0;
    } else if (ay == 0) {
        angle = left ? piHigh : 0;  // atan2(0, -0) is pi, atan2(0, +0) is 0
    } else if (x == 0) {
        angle = halfPiHigh;
    } else {
        // Exact but where a coordinate falls among the subnormals.
        const int exponent = std::ilogb(std::max(ay, std::abs(x)));
        const bool scaled = std::abs(exponent) > largestUnscaledExponent;
        const double sy = scaled ? std::ldexp(ay, -exponent) : ay;
        const double sx = scaled ? std::ldexp(x, -exponent) : x;
        angle = sy == 0 ? (left ? piHigh : 0) : angleAboveAxis({sy, 0}, {sx, 0});
    }
    return std::copysign(angle, y);
}

double asin(double x) {
    const double ax = std::abs(x);
    if (!(ax <= 1)) {
        return nan();
    }
    if (ax < tiny) {
        return x;
    }
    return std::copysign(angleAboveAxis({ax, 0}, cosineOfArcSine(x)), x);
}

double acos(double x) {
    if (!(std::abs(x) <= 1)) {
        return nan();
    }
    if (x == 1) {
        return 0;
    }
    return angleAboveAxis(cosineOfArcSine(x), {x, 0});
}

double slerpSine(double x) {
    const double x2 = x * x;
    double sum = 0;
    // Horner's scheme from the x^25 term down to x.
    for (int n = 12; n >= 0; --n) {
        const double k = 2.0 * n + 1.0;
        sum = 1.0 - sum * x2 / ((k + 1.0) * (k + 2.0));
    }
    return x * sum;
}

double slerpArcTangent(double x) {
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

}  // namespace zorvek::portable

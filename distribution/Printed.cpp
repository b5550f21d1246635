#include "distribution/Normal.h"
#include "distribution/NormalDetail.h"

#include "myLib/AdaptiveGLDD.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

using myLib::DoubleDouble;
using myLib::magnitude;

namespace {

// 1/sqrt(2 pi) to 106 bits (mpmath): the accurate path takes no pi of 4 atan(1).
constexpr DoubleDouble inverseSqrt2Pi = {0x1.9884533d43651p-2, -0x1.cbc0d30ebfd15p-56};

// The accurate tail is integrated 2^tailScale times larger: from z = -3 down to z = -37.5 and
// e^-76 beyond, its kernel and integrals then lie between 2^-530 and 2^600, where a
// double-double keeps all its 106 bits (unscaled, its low part would go subnormal from
// about z = -36.4, the kernel itself from -37.6).
constexpr int tailScale = 600;
// The accurate tail ends where the kernel has fallen by e^-76 = 1e-33 below its value at z.
constexpr double accurateTailDecay = 76.0;
// Pieces are accepted when their halves agree within this share of the integral (estimated
// from below): the accepted halves are then some 2^18 times closer still, since the rule's
// error falls as the 19th power of the width.
constexpr double accurateTolerance = 1e-28;
// The accurate Phi's relative error is taken as at most this, a hundred times the largest
// measured against mpmath (docs/accuracy.md); closer to a boundary a decision is not made.
constexpr double accurateRelativeError = 1e-27;
// A boundary m * 10^e is formed in double-double by up to 15 divisions or multiplications by
// powers of ten, each within 2^-104.
constexpr double boundaryRelativeError = 1e-29;
// The rounding of the final difference itself.
constexpr double differenceRelativeError = 0x1p-100;

// Error bounds of the fast path, each some four times the largest error measured
// (docs/accuracy.md): Phi by the direct form, absolute, and by the tail, relative per z^2 + 1;
// the quantile's search, relative to z.
constexpr double directFormError = 1e-15;
constexpr double tailErrorPerSquare = 4.0 * std::numeric_limits<double>::epsilon();
constexpr double searchError = 4e-12;
// Up to this |z| the quantile may come from the direct form, whose absolute error then
// bounds Phi's; beyond, the tail's relative one does.
constexpr double directFormRoots = 3.5;

// Below this z Phi is subnormal, or nearly so, and the digits printed are those of the nearest
// double (the subnormal tail's scaled integration), undecided.
constexpr double decidedFrom = -37.5;

DoubleDouble dd(double x)
{
    return {x, 0.0};
}

DoubleDouble kernel(DoubleDouble x)
{
    return myLib::exp(x * x * -0.5);
}

DoubleDouble scaledKernel(DoubleDouble x)
{
    return myLib::exp(x * x * -0.5, tailScale);
}

// The integral of the kernel over the lower tail below z < -3, 2^tailScale times larger.
DoubleDouble scaledTail(DoubleDouble z)
{
    const double end = -std::sqrt(z.hi * z.hi + 2.0 * accurateTailDecay);
    // Phi(z) lies between phi(z) / (|z| + 1/|z|) and phi(z) / |z|.
    const double estimate = scaledKernel(z).hi / (-z.hi + 1.0 / -z.hi);
    myLib::AdaptiveGLDD integrator;
    return integrator.integrate(dd(end), z, scaledKernel, accurateTolerance * estimate);
}

// The integral of the kernel from 0 to z, for |z| <= 3.
DoubleDouble centralIntegral(DoubleDouble z)
{
    if (z.hi == 0.0) {
        return {};
    }
    // The kernel falls by at most e^-4.5 over [0, z]: the integral is at least this.
    const double estimate = std::fabs(z.hi) * kernel(z).hi;
    myLib::AdaptiveGLDD integrator;
    return integrator.integrate(dd(0.0), z, kernel, accurateTolerance * estimate);
}

// Every power of ten a double holds exactly.
constexpr double exactPower[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int largestExactPower = 22;

// x * 10^e by exact powers of ten, one rounding each (a double or a double-double x).
template <typename Number>
Number timesPowerOfTen(Number x, int e)
{
    while (e > 0) {
        const int step = e < largestExactPower ? e : largestExactPower;
        x = x * exactPower[step];
        e -= step;
    }
    while (e < 0) {
        const int step = -e < largestExactPower ? -e : largestExactPower;
        x = x / exactPower[step];
        e += step;
    }
    return x;
}

// m * 10^e * 2^s, within boundaryRelativeError.
DoubleDouble powerOfTen(double m, int e, int s)
{
    return timesPowerOfTen(dd(std::ldexp(m, s)), e);
}

// A positive number's six printed digits: value digits * 10^exponent, digits in [1e5, 1e6).
struct Decimal {
    long digits;
    int exponent;
};

bool operator==(Decimal a, Decimal b)
{
    return a.digits == b.digits && a.exponent == b.exponent;
}

constexpr long smallestDigits = 100000;
constexpr long largestDigits = 999999;

Decimal printedDecimal(double x)
{
    static_assert(printedDigits == 6, "the digits are read as %.5e writes them");
    char text[32];
    std::snprintf(text, sizeof text, "%.5e", x);
    // d.ddddde[+-]xx
    long digits = text[0] - '0';
    for (int i = 2; i < 7; ++i) {
        digits = digits * 10 + (text[i] - '0');
    }
    const int exponent = static_cast<int>(std::strtol(text + 8, nullptr, 10));
    return {digits, exponent - (printedDigits - 1)};
}

Decimal nextDecimal(Decimal d)
{
    return d.digits == largestDigits ? Decimal{smallestDigits, d.exponent + 1}
                                     : Decimal{d.digits + 1, d.exponent};
}

// The double nearest the decimal d (within an ulp, the same on every platform).
double nearestDouble(Decimal d)
{
    return std::ldexp(powerOfTen(static_cast<double>(d.digits), d.exponent, tailScale).hi,
                      -tailScale);
}

// Whether every value in [lo, hi] (0 < lo <= hi) has the same six digits, decided quickly in
// double arithmetic where that is clear: false may also mean "not clear", and then
// boundariesBetween looks at the digits themselves. In units of the sixth digit, the scaling
// by up to 15 exact powers of ten is off by far less than this slack.
bool clearlyCertain(double lo, double hi)
{
    constexpr double slack = 1e-6;
    constexpr double log10Of2 = 0.30102999566398120;
    // Times 10^(printedDigits - 1 - e), e the decimal exponent of lo give or take one.
    const int k = printedDigits - 1 - static_cast<int>(std::floor(std::ilogb(lo) * log10Of2));
    double sLo = timesPowerOfTen(lo, k);
    double sHi = timesPowerOfTen(hi, k);
    if (sLo >= 1e6) {
        sLo = sLo / 10.0;
        sHi = sHi / 10.0;
    } else if (sLo < 1e5) {
        sLo = sLo * 10.0;
        sHi = sHi * 10.0;
    }
    // No midpoint between six-digit decimals inside, or all round up to the next power of ten
    // (1 itself, which Phi is for every z above 8.3, or the doubles just below it); other
    // intervals at a power of ten are left to the digits themselves.
    if (sLo - slack >= 1e5 && sHi + slack < 999999.5) {
        return std::floor(sLo - slack - 0.5) == std::floor(sHi + slack - 0.5);
    }
    return sLo - slack > 999999.5 && sHi + slack < 1000005.0;
}

// For a value known to lie in [lo, hi] (0 < lo <= hi): 0 when its six digits are certain,
// 1 when a single boundary lies between, -1 when more than one might. below receives the
// lower decimal.
int boundariesBetween(double lo, double hi, Decimal& below)
{
    if (clearlyCertain(lo, hi)) {
        return 0;
    }
    below = printedDecimal(lo);
    const Decimal above = printedDecimal(hi);
    if (above == below) {
        return 0;
    }
    return nextDecimal(below) == above ? 1 : -1;
}

} // namespace

namespace detail {

CdfDifference cdfMinus(DoubleDouble z, double m, int e)
{
    DoubleDouble part;
    double base = 0.5;
    int scale = 0;
    if (z.hi < lowerTailStart) {
        part = scaledTail(z) * inverseSqrt2Pi;
        base = 0.0;
        scale = tailScale;
    } else if (z.hi > -lowerTailStart) {
        part = scaledTail(-z) * -inverseSqrt2Pi;
        base = 1.0;
        scale = tailScale;
    } else {
        part = centralIntegral(z) * inverseSqrt2Pi;
    }
    const DoubleDouble target = powerOfTen(m, e, scale);
    const DoubleDouble offset = dd(std::ldexp(base, scale)) - target;
    const double doubt = accurateRelativeError * magnitude(part) +
                         (e == 0 ? 0.0 : boundaryRelativeError * magnitude(target)) +
                         differenceRelativeError * magnitude(offset);
    return {offset + part, doubt, scale};
}

} // namespace detail

namespace {

using detail::CdfDifference;
using detail::cdfMinus;
using detail::lowerTailStart;

// The sign of Phi(z) - m * 10^e by the accurate Phi, or 0 where its doubt leaves it open.
int cdfComparedWith(DoubleDouble z, double m, int e)
{
    const CdfDifference d = cdfMinus(z, m, e);
    // An integration stopped at its bound gives NaN, which decides nothing.
    if (!(magnitude(d.difference) > d.doubt)) {
        return 0;
    }
    return d.difference.hi > 0.0 ? 1 : -1;
}

// A bound on |normalCdf(z) - Phi(z)| for p = normalCdf(z), z >= -37.5.
double cdfErrorBound(double z, double p)
{
    if (z >= lowerTailStart) {
        return directFormError;
    }
    return tailErrorPerSquare * (z * z + 1.0) * p;
}

// A bound on |normalCdfInverse(p) - the true quantile| for z = normalCdfInverse(p).
double quantileErrorBound(double z, double p)
{
    const double tail = p < 0.5 ? p : 1.0 - p;
    const double cdfError = std::fabs(z) <= directFormRoots
                                ? directFormError
                                : tailErrorPerSquare * (z * z + 1.0) * tail;
    return searchError * std::fabs(z) + 4.0 * cdfError / normalDensity(z);
}

} // namespace

double normalCdfToPrint(double z)
{
    const double p = normalCdf(z);
    if (!(z >= decidedFrom)) {
        return p;
    }
    // Twice an ulp of p more, for the rounding of p -+ bound.
    const double bound = cdfErrorBound(z, p) + 2.0 * std::numeric_limits<double>::epsilon() * p;
    Decimal below{};
    const int boundaries = boundariesBetween(p - bound, p + bound, below);
    if (boundaries != 1) {
        // 0: certain; more than one boundary cannot occur with these bounds (under 1e-11 of p).
        return p;
    }
    const double boundary = static_cast<double>(below.digits) + 0.5;
    const int side = cdfComparedWith(dd(z), boundary, below.exponent);
    if (side == 0) {
        return p;
    }
    return nearestDouble(side > 0 ? nextDecimal(below) : below);
}

double normalCdfInverseToPrint(double p)
{
    double z = normalCdfInverse(p);
    if (p == 0.5) {
        return z;
    }
    // The quantile's sign is that of p - 0.5, which is exact.
    const double sign = p > 0.5 ? 1.0 : -1.0;
    double bound = quantileErrorBound(z, p);
    const double fast = z;
    Decimal below{};
    for (int attempt = 0;; ++attempt) {
        const double size = sign * z;
        const double slack = bound + 2.0 * std::numeric_limits<double>::epsilon() * std::fabs(z);
        const int boundaries =
            size - slack > 0.0 ? boundariesBetween(size - slack, size + slack, below) : -1;
        if (boundaries == 0) {
            return attempt == 0 ? fast : sign * nearestDouble(printedDecimal(size));
        }
        if (boundaries == 1) {
            break;
        }
        // Near 0 the quantile's absolute error can span many boundaries: one Newton step on
        // the accurate Phi brings it to some 1e-27 of z first. Elsewhere, or a second time,
        // the fast result stands.
        if (attempt > 0 || !(std::fabs(z) <= 1.0)) {
            return fast;
        }
        const CdfDifference d = cdfMinus(dd(z), p, 0);
        const double density = (kernel(dd(z)) * inverseSqrt2Pi).hi;
        const double step = (d.difference.hi + d.difference.lo) / density;
        if (!(std::fabs(step) <= bound)) {
            return fast;
        }
        // The accurate Phi's doubt, the step's rounding, and Newton's own error: Phi'' / Phi'
        // is -x, so the new error is at most (|z| + bound) bound^2 / 2, taken twice.
        bound = d.doubt / density * 1.01 +
                std::fabs(step) * 4.0 * std::numeric_limits<double>::epsilon() +
                (std::fabs(z) + bound) * bound * bound;
        z = z - step;
    }
    const DoubleDouble edge =
        powerOfTen(sign * (static_cast<double>(below.digits) + 0.5), below.exponent, 0);
    const int side = cdfComparedWith(edge, p, 0);
    if (side == 0) {
        return fast;
    }
    // Phi(edge) below p puts the quantile above the edge, farther from 0 when it is positive.
    const bool fartherOut = side * sign < 0;
    const Decimal decided = fartherOut ? nextDecimal(below) : below;
    return sign * nearestDouble(decided);
}

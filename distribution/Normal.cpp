#include "distribution/Normal.h"
#include "distribution/NormalDetail.h"

#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <cmath>
#include <limits>

namespace {

// The kernel underflows to exactly 0 beyond |x| of about 38.6, so an integral from 0 out to
// this bound already holds the whole upper tail: taking the limit at the bound for any z
// beyond it leaves the answer 1 as it is and keeps the work finite (some 33,000 refinements
// here, against 2^1000 pieces for z = 1e308).
constexpr double tailBound = 1e4;

// From 0 down to here Phi is 0.5 minus the integral from z to 0, whose absolute rounding error
// of about 1e-16 is still 4e-10 relative at -5, far below the six printed digits (the first
// wrong ones come at -5.618). Further down the two terms agree in ever more digits, so below
// this the lower tail is integrated itself.
constexpr double lowerTailStart = -5.0;

// There the kernel falls by a factor e every 1/|z|. The integrator accepts a piece on width
// alone once its integral is below its absolute floor (1e-14; from about z = -7.8 down every
// piece of the tail is), and an interval 1 or more wide then ends up in rules at least a
// quarter wide: 9 decay lengths at z = -37, where one interval [z - 5, z] keeps only 8
// digits. So the tail is integrated as segments of 5 decay lengths, each narrower than 1 for
// z < -5 and so taken in two rules of 2.5 lengths, whose error is 2e-18 of Phi; a segment
// whose integral is above the floor is refined by the integrator as usual.
constexpr double segmentDecayLengths = 5.0;
// 8 segments reach w = 40/|z| below z: the kernel beyond z - w is below e^-40 = 4e-18 of its
// value at z, and its integral a smaller share of Phi still, under a tenth of half an ulp.
constexpr int tailSegments = 8;

// Phi is subnormal from z = -37.519 down, and so is the kernel over the whole tail: each of its
// values, every weighted sum and their total would be rounded to a multiple of 2^-1074, an
// error of a unit or more in a number with only a few digits. From this z down the tail is
// integrated e^gaussKernelScale times larger, in normal numbers, and scaled down by one
// multiplication, which rounds once: the nearest double.
constexpr double subnormalTailStart = -37.5;
// Phi(-40) = 3.7e-350 is far below half the smallest subnormal double (2.5e-324): from here
// down the nearest double is 0, and nothing needs integrating.
constexpr double zeroBelow = -40.0;

// A p below the smallest normal double has a quantile where Phi itself is subnormal, its
// values spaced 4.9e-324 apart and so too coarse to search for six digits.
constexpr double pLowest = std::numeric_limits<double>::min();
// Above this, just below Phi(5) = 1 - 2.87e-7, the quantile is sought as -Phi^-1(1 - p)
// (1 - p is exact for p >= 0.5): the search then runs in the lower tail's form instead of among
// values of Phi spaced 1.1e-16 apart below 1, which at z = 5 blur the quantile by 7e-11 and,
// growing as exp(z^2/2), reach its sixth digit from z = 7 on.
constexpr double upperTailStart = 1.0 - 3e-7;

// Newton's method starts at the median, and stops at this relative change between iterates.
constexpr double startValue = 0.0;
constexpr double tolerance = 1e-12;

// Returns the integral of kernel over [z - w, z] for z < 0, as tailSegments segments of
// segmentDecayLengths / |z|, the smallest (farthest) first.
double lowerTailIntegral(RealFn kernel, double z)
{
    const double segment = segmentDecayLengths / -z;
    double sum = 0.0;
    for (int j = tailSegments; j > 0; --j) {
        myLib::AdaptiveGL integrator;
        sum += integrator.integrate(z - j * segment, z - (j - 1) * segment, kernel);
    }
    return sum;
}

// Returns z with cdf(z) = p by Newton's method from the median, with its fallback.
double searchQuantile(RealFn cdf, RealFn density, double p)
{
    double x = startValue;
    myLib::newtonSolve(x, p, cdf, density, tolerance);
    return x;
}

} // namespace

using namespace detail;

double gaussKernel(double x)
{
    const double exponent = (-0.5 * x) * x;
    // Phi of a huge z spends almost all its time on such arguments.
    if (exponent < gaussKernelExpUnderflow) {
        return 0.0;
    }
    return std::exp(exponent);
}

double detail::scaledGaussKernel(double x)
{
    return std::exp((-0.5 * x) * x + gaussKernelScale);
}

double normalDensity(double x)
{
    const double pi = 4.0 * std::atan(1.0);
    return std::exp(-0.5 * x * x) / std::sqrt(2.0 * pi);
}

double normalCdf(double z)
{
    return normalCdfWithKernels(gaussKernel, scaledGaussKernel, z);
}

double detail::normalCdfWithKernels(RealFn kernel, RealFn scaledKernel, double z)
{
    const double pi = 4.0 * std::atan(1.0);
    if (z == 0.0) {
        return 0.5;
    }
    if (z < zeroBelow) {
        return 0.0;
    }
    if (z < subnormalTailStart) {
        return lowerTailIntegral(scaledKernel, z) / std::sqrt(2.0 * pi) * gaussKernelUnscale;
    }
    if (z < lowerTailStart) {
        return lowerTailIntegral(kernel, z) / std::sqrt(2.0 * pi);
    }
    if (z > tailBound) {
        z = tailBound;
    }
    if (z > 0.0) {
        myLib::AdaptiveGL integrator;
        const double integral = integrator.integrate(0.0, z, kernel);
        return integral / std::sqrt(2.0 * pi) + 0.5;
    }
    // z in [-5, 0), or z not a number, which makes the result not a number too.
    myLib::AdaptiveGL integrator;
    const double integral = integrator.integrate(z, 0.0, kernel);
    return 0.5 - integral / std::sqrt(2.0 * pi);
}

double normalCdfInverse(double p)
{
    return normalCdfInverseWith(normalCdf, normalDensity, p);
}

double detail::normalCdfInverseWith(RealFn cdf, RealFn density, double p)
{
    // Written as !(p > 0) so that a p that is not a number is rejected too.
    if (!(p > 0.0) || p >= 1.0) {
        throw invalidPMessage;
    }
    if (p < pLowest) {
        throw pTooCloseMessage;
    }
    if (p > upperTailStart) {
        return -searchQuantile(cdf, density, 1.0 - p);
    }
    return searchQuantile(cdf, density, p);
}

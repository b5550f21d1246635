#include "distribution/Normal.h"
#include "distribution/NormalDetail.h"

#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <cmath>
#include <limits>

namespace {

// The kernel is exactly 0 beyond |x| of about 38.6: Phi of any larger z is that of this
// bound, which keeps the work finite (docs/accuracy.md, "The direct form").
constexpr double tailBound = 1e4;

// Below lowerTailStart the tail is integrated in segments of this many decay lengths 1/|x|,
// each taken in 3 refinements, or in 1 from |x| = 7.77 out (docs/accuracy.md, "The lower tail").
constexpr double segmentDecayLengths = 7.75;
// Near z = -3 a segment stays narrower than 2, which would take 7 refinements instead of 3.
constexpr double widestSegment = 1.99;
// The tail ends where the kernel has fallen by e^-40 = 4e-18 below its value at z: the rest is
// under a tenth of half an ulp of Phi.
constexpr double tailDecay = 40.0;

// From here down Phi is (nearly) subnormal: the tail is integrated e^gaussKernelScale times
// larger and scaled down in one rounding, which gives the nearest double.
constexpr double subnormalTailStart = -37.5;
// Phi(-40) = 3.7e-350 is below half the smallest subnormal: the nearest double is 0.
constexpr double zeroBelow = -40.0;

// A p below the smallest normal double has its quantile where Phi's values are too coarse to
// search for six digits.
constexpr double pLowest = std::numeric_limits<double>::min();
// Phi(3), correctly rounded (mpmath): above it the quantile is sought as -Phi^-1(1 - p), with
// the lower tail's relative error instead of values of Phi spaced 1.1e-16 apart below 1.
constexpr double upperTailStart = 0.9986501019683699;

// Newton's method starts at the median, and stops at this relative change between iterates.
constexpr double startValue = 0.0;
constexpr double tolerance = 1e-12;

// Returns the integral of kernel from x down to where (-0.5 * x) * x falls below -end, segment
// by segment outwards from x, the farther segments summed first (the smaller terms).
double tailFrom(RealFn kernel, double x, double end)
{
    if (0.5 * x * x >= end) {
        return 0.0;
    }
    const double segment = std::fmin(segmentDecayLengths / -x, widestSegment);
    const double farther = tailFrom(kernel, x - segment, end);
    myLib::AdaptiveGL integrator;
    return farther + integrator.integrate(x - segment, x, kernel);
}

// Returns the integral of kernel over the lower tail below z < 0, to where the kernel has
// fallen by e^-tailDecay; at most 7 segments (each adds at least 5.97 to x^2/2 for |x| > 3).
double lowerTailIntegral(RealFn kernel, double z)
{
    return tailFrom(kernel, z, 0.5 * z * z + tailDecay);
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
        const double p = integral / std::sqrt(2.0 * pi) + 0.5;
        // At some z (8.3026, 8.87) the sum rounds to 1 + 2^-52: no probability is above 1.
        return p > 1.0 ? 1.0 : p;
    }
    // z in [-3, 0), or z not a number, which makes the result not a number too.
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

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

// The tail below z is integrated as segments, each spanning this many decay lengths 1/|x|
// of the kernel at its upper end x. Above the integrator's absolute floor (1e-14) a segment
// narrower than 2 costs 3 refinements: its halves, of 3.9 decay lengths, agree with their own
// halves to 1e-14. From |x| = 7.75 on the segments are narrower than 1, and there, from about
// |x| = 7.77, their integrals lie below the floor: the integrator accepts each in one
// refinement, unchecked, as two rules whose error is below 1e-16 of Phi.
constexpr double segmentDecayLengths = 7.75;
// Up to |x| = 3.9 the decay lengths would make a segment 2 wide or wider, which takes the
// integrator 7 refinements instead of 3; each half of one this wide is under the widest piece
// it accepts, 1.0.
constexpr double widestSegment = 1.99;
// The tail ends where the kernel has fallen by e^-40 = 4e-18 below its value at z: the rest
// holds a smaller share of Phi still, under a tenth of half an ulp.
constexpr double tailDecay = 40.0;

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
// Above Phi(3) (0.998650101968369905473, correctly rounded; mpmath) the quantile is sought as
// -Phi^-1(1 - p) (1 - p is exact for p >= 0.5): the search then runs in the lower tail's form,
// with its relative error, instead of among values of Phi spaced 1.1e-16 apart below 1, which
// blur the quantile by 1.1e-16 / phi(z): 5e-13 of it from z = 3.9 on, 1.5e-12 at 4.5. So the
// upper band mirrors the lower one, and between the two the search keeps the rules' road.
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
        // From about z = 8 the sum is 1 within its rounding, and at some z (8.3026, 8.87) it
        // rounds to 1 + 2^-52: no probability is above 1.
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

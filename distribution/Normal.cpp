#include "distribution/Normal.h"

#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <cmath>

namespace {

// The kernel underflows to exactly 0 beyond |x| of about 38.6, so an integral from 0 out to
// this bound already holds the whole tail: taking the limit at the bound for any z beyond it
// leaves the answer as it is (1 above, a rounding residue near 0 below) and keeps the work
// finite (some 33,000 refinements here, against 2^1000 pieces for z = 1e308).
constexpr double tailBound = 1e4;

// Phi is 0.5 plus or minus an integral, so it carries an absolute rounding error of about
// 1e-16 everywhere: a p closer than this to 0 or 1 lies below that resolution, and the
// quantile found for it would be wrong however it was searched for.
constexpr double pResolution = 1e-15;
constexpr double pLowest = pResolution;
constexpr double pHighest = 1.0 - pResolution;

// Newton's method starts at the median, and stops at this relative change between iterates.
constexpr double startValue = 0.0;
constexpr double tolerance = 1e-12;

} // namespace

double gaussKernel(double x)
{
    const double exponent = (-0.5 * x) * x;
    // Phi of a huge z spends almost all its time on such arguments.
    if (exponent < gaussKernelExpUnderflow) {
        return 0.0;
    }
    return std::exp(exponent);
}

double normalDensity(double x)
{
    const double pi = 4.0 * std::atan(1.0);
    return std::exp(-0.5 * x * x) / std::sqrt(2.0 * pi);
}

double normalCdf(double z)
{
    return normalCdfWithKernel(gaussKernel, z);
}

double normalCdfWithKernel(RealFn kernel, double z)
{
    const double pi = 4.0 * std::atan(1.0);
    if (z == 0.0) {
        return 0.5;
    }
    if (z > tailBound) {
        z = tailBound;
    } else if (z < -tailBound) {
        z = -tailBound;
    }
    if (z > 0.0) {
        myLib::AdaptiveGL integrator;
        const double integral = integrator.integrate(0.0, z, kernel);
        return integral / std::sqrt(2.0 * pi) + 0.5;
    }
    // z < 0, or z not a number, which makes the result not a number too.
    myLib::AdaptiveGL integrator;
    const double integral = integrator.integrate(z, 0.0, kernel);
    return 0.5 - integral / std::sqrt(2.0 * pi);
}

double normalCdfInverse(double p)
{
    return normalCdfInverseWith(normalCdf, normalDensity, p);
}

double normalCdfInverseWith(RealFn cdf, RealFn density, double p)
{
    // Written as !(p > 0) so that a p that is not a number is rejected too.
    if (!(p > 0.0) || p >= 1.0) {
        throw invalidPMessage;
    }
    if (p < pLowest || p > pHighest) {
        throw pTooCloseMessage;
    }
    double x = startValue;
    myLib::newtonSolve(x, p, cdf, density, tolerance);
    return x;
}

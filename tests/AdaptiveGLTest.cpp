// Results and costs of the adaptive Gauss-Legendre integrator, counted through the integrand.
#include "CountedKernel.h"
#include "myLib/AdaptiveGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Each refinement applies the 9-point rule to two halves.
constexpr long evaluationsPerRefine = 18;

using counted::countedKernel;
using counted::evaluations;

double countedCube(double x)
{
    ++evaluations;
    return x * x * x;
}

// Its integral from 0 diverges, and the rule's estimate over [0, w] is the same for every w:
// the piece at 0 never agrees with its halves, however narrow it gets.
double countedPole(double x)
{
    ++evaluations;
    return 1.0 / x;
}

double countedNaN(double)
{
    ++evaluations;
    return std::numeric_limits<double>::quiet_NaN();
}

struct Integral {
    RealFn f;
    double a, b;
    double expected;
    long refineCalls;
};

// Expected values: the kernel's integrals are sqrt(pi/2)*erf(b/sqrt 2), from a 40-digit
// reference; x^3 over [0, 4] is 64 exactly, and the rule is exact for it. Call counts follow
// from the rules: no accepted piece is 1.0 wide or wider, and the root always subdivides.
const Integral integrals[] = {
    {countedKernel, 0.0, 1.0, 0.85562439189214880, 3},
    {countedKernel, 0.0, 1.96, 1.1906537065307098, 3},
    {countedKernel, 0.0, 3.0, 1.2499304447415475, 7},
    {countedKernel, 0.0, 5.0, 1.2533134187865652, 15},
    {countedKernel, 0.0, 10.0, 1.2533141373155003, 31},
    {countedCube, 0.0, 4.0, 64.0, 15},
    {countedKernel, 0.7, 0.7, 0.0, 1},
};

TEST(AdaptiveGL, IntegralsAndTheirRefineCounts)
{
    for (const Integral& row : integrals) {
        SCOPED_TRACE(testing::Message() << "[" << row.a << ", " << row.b << "]");
        myLib::AdaptiveGL integrator;
        evaluations = 0;
        const double result = integrator.integrate(row.a, row.b, row.f);
        // A few units in the last place of the result (absolute for the empty interval).
        EXPECT_NEAR(result, row.expected, 4e-16 * std::fabs(row.expected));
        EXPECT_EQ(evaluations, row.refineCalls * evaluationsPerRefine);
    }
}

double inverseRoot(double x)
{
    return std::pow(x, -0.7);
}

// The integral of x^-0.7 over [0, 1] is 1/0.3: the pieces at the singularity agree only after
// more than 100 halvings, well within the depth bound of 200.
TEST(AdaptiveGL, AnIntegrableSingularityAtALimitConverges)
{
    myLib::AdaptiveGL integrator;
    // To the integrator's relative tolerance, 1e-14.
    EXPECT_NEAR(integrator.integrate(0.0, 1.0, inverseRoot), 1.0 / 0.3, 1e-14 / 0.3);
}

TEST(AdaptiveGL, SwappedLimitsNegateTheResult)
{
    const double limits[][2] = {{0.0, 1.0}, {-2.5, 0.0}, {0.0, 7.3}, {-3.0, 4.0}};
    for (const auto& ab : limits) {
        myLib::AdaptiveGL forward;
        myLib::AdaptiveGL backward;
        const double expected = -forward.integrate(ab[0], ab[1], gaussKernel);
        // The nodes are visited in the opposite order, so the sums may round differently.
        EXPECT_NEAR(backward.integrate(ab[1], ab[0], gaussKernel), expected,
                    2 * std::numeric_limits<double>::epsilon() * std::fabs(expected));
    }
}

TEST(AdaptiveGL, AnIntegrandThatIsNotANumberEndsAtTheFirstRefine)
{
    myLib::AdaptiveGL integrator;
    evaluations = 0;
    EXPECT_TRUE(std::isnan(integrator.integrate(0.0, 0.5, countedNaN)));
    EXPECT_EQ(evaluations, evaluationsPerRefine);
}

struct Pathological {
    const char* what;
    RealFn f;
    double a, b;
};

// Each needs more than the bound: too long for the width rule, never accurate, or an
// overflowing or infinite interval. All must come back promptly with NaN.
const Pathological pathological[] = {
    {"longer than 2^19", countedKernel, 0.0, 1.5e6},
    {"the whole double range", countedKernel, -1.7976931348623157e308, 1.7976931348623157e308},
    {"an infinite limit", countedKernel, 0.0, std::numeric_limits<double>::infinity()},
    {"a pole at a limit", countedPole, 0.0, 1.0},
};

TEST(AdaptiveGL, WorkBoundIsReachedAndReportedAsNaN)
{
    for (const Pathological& row : pathological) {
        SCOPED_TRACE(row.what);
        myLib::AdaptiveGL integrator;
        evaluations = 0;
        EXPECT_TRUE(std::isnan(integrator.integrate(row.a, row.b, row.f)));
        EXPECT_LE(evaluations, myLib::AdaptiveGL::maxRefineCalls * evaluationsPerRefine);
    }
}

TEST(AdaptiveGL, EmptyIntervalAtHugeMagnitudeIsZero)
{
    // The midpoint of two limits near -DBL_MAX must not overflow to -inf.
    for (double a : {-1e308, -1.7976931348623157e308, 1.7976931348623157e308}) {
        myLib::AdaptiveGL integrator;
        evaluations = 0;
        EXPECT_EQ(integrator.integrate(a, a, countedKernel), 0.0) << a;
        EXPECT_EQ(evaluations, evaluationsPerRefine);
    }
}

TEST(AdaptiveGL, AnObjectCanBeUsedAgainAfterReachingTheBound)
{
    myLib::AdaptiveGL integrator;
    EXPECT_TRUE(std::isnan(integrator.integrate(0.0, 1.5e6, gaussKernel)));
    EXPECT_NEAR(integrator.integrate(0.0, 1.0, gaussKernel), 0.855624391892149, 4e-16);
}

} // namespace

// myLib's double-double exponential and integrator against 40-digit references (mpmath).
#include "myLib/AdaptiveGLDD.h"
#include "myLib/DoubleDouble.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using myLib::DoubleDouble;

// The relative distance of hi + lo from the reference rhi + rlo, to about 2^-106.
double relativeError(DoubleDouble x, double rhi, double rlo)
{
    return std::fabs((x.hi - rhi) + (x.lo - rlo)) / std::fabs(rhi);
}

constexpr double exactBits = 0x1p-102;

TEST(DoubleDoubleExp, WithinItsBound)
{
    // a, scale, e^a 2^scale as hi + lo (mpmath, 60 digits).
    const struct {
        double a;
        int scale;
        double hi;
        double lo;
    } rows[] = {
        {-0.5, 0, 0.6065306597126334, -6.593178415491414e-19},
        {1e-20, 0, 1.0, 1e-20},
        {0.34657359027997264, 0, 1.414213562373095, 1.0897353451090442e-16},
        {100.0, 0, 2.6881171418161356e+43, -1.6101271449201627e+27},
        {-700.0, 600, 4.091288132246191e-124, 3.5219886172989894e-141},
        {-1.2345678901234567, 0, 0.2909604620972043, -1.7555277454405197e-17},
    };
    for (const auto& row : rows) {
        EXPECT_LE(relativeError(myLib::exp({row.a, 0.0}, row.scale), row.hi, row.lo), exactBits)
            << "a = " << row.a;
    }
    // Where the low part would be subnormal the result is 0, not a value with fewer digits.
    EXPECT_EQ(myLib::exp({-744.0, 0.0}).hi, 0.0);
    EXPECT_EQ(myLib::exp({-1e300, 0.0}).hi, 0.0);
}

DoubleDouble kernel(DoubleDouble x)
{
    return myLib::exp(x * x * -0.5);
}

TEST(AdaptiveGLDD, IntegralsWithinTheirToleranceAndBoundedWork)
{
    // The integral of exp(-x^2/2) (mpmath.quad, 40 digits).
    const struct {
        double a;
        double b;
        double hi;
        double lo;
    } rows[] = {
        {0.0, 1.0, 0.8556243918921488, 1.9739380056556195e-17},
        {-3.0, -2.5, 0.012181630107633457, -7.916510360036887e-19},
    };
    for (const auto& row : rows) {
        myLib::AdaptiveGLDD integrator;
        const DoubleDouble result = integrator.integrate({row.a, 0.0}, {row.b, 0.0}, kernel, 1e-30);
        EXPECT_LE(relativeError(result, row.hi, row.lo), 1e-30) << row.a << " to " << row.b;
    }
    // No tolerance can be met by a difference never below 0: the work bound stops it.
    myLib::AdaptiveGLDD integrator;
    EXPECT_TRUE(std::isnan(integrator.integrate({0.0, 0.0}, {1.0, 0.0}, kernel, 0.0).hi));
}

} // namespace

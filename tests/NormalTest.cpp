// Phi, its inverse and the density: printed values, exact cases, symmetry, the bits kept from
// the direct form, the joins between forms, the cost of the tail and the range of p.
#include "CountedKernel.h"
#include "Expected.h"
#include "NormalKeptResults.h"
#include "distribution/NormalDetail.h"
#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

using detail::normalCdfInverseWith;
using detail::normalCdfWithKernels;
using expected::printed;

constexpr double unitRoundoff = std::numeric_limits<double>::epsilon(); // one ulp of 1.0
constexpr double largest = std::numeric_limits<double>::max();

struct Printed {
    double x;
    const char* expected;
};

// Phi(z) from a 40-digit reference (mpmath ncdf), rounded to six digits; at z = -38 the
// digits of the nearest double, 2.88542835e-316 (true 2.885428360e-316). The last two lie a
// relative 1e-12 beside a point where the digits change: 4.172055000004e-7, 1.173384999999e-5.
const Printed cdfPrinted[] = {
    {1.96, "0.975002"},      {-1.96, "0.0249979"},  {1.0, "0.841345"},
    {-3.0, "0.0013499"},     {-5.0, "2.86652e-07"}, {0.5, "0.691462"},
    {10.0, "1"},             {-10.0, "7.61985e-24"}, {-20.0, "2.75362e-89"},
    {-38.0, "2.88543e-316"}, {-4.927142035893509, "4.17206e-07"},
    {-4.229053058174075, "1.17338e-05"},
};

TEST(NormalCdf, PrintedValues)
{
    for (const Printed& row : cdfPrinted) {
        EXPECT_EQ(printed(normalCdf(row.x)), row.expected) << "z = " << row.x;
    }
}

TEST(NormalCdf, ZeroGivesExactlyOneHalf)
{
    EXPECT_EQ(normalCdf(0.0), 0.5);
    EXPECT_EQ(normalCdf(-0.0), 0.5);
}

TEST(NormalCdf, UpperTailReachesOne)
{
    // The largest double below 1 at 8.3; exactly 1 from about 8.4 on.
    EXPECT_EQ(normalCdf(8.3), 1.0 - unitRoundoff / 2);
    EXPECT_EQ(normalCdf(8.4), 1.0);
}

TEST(NormalCdf, NeverAboveOne)
{
    // 0.5 + integral / sqrt(2 pi) rounds to 1 + 2^-52 at 8.3026, 8.87 and 8.96, among others
    // from 8 on; a grid of 4,001 z over [8, 12] met 233 such.
    for (double z : {8.3026, 8.87, 8.96}) {
        EXPECT_EQ(normalCdf(z), 1.0) << "z = " << z;
    }
    for (int k = 0; k <= 4000; ++k) {
        const double z = 8.0 + k / 1000.0;
        ASSERT_LE(normalCdf(z), 1.0) << "z = " << z;
    }
}

TEST(NormalCdf, SymmetryWithinAFewUlps)
{
    const double zs[] = {1e-8, 0.1, 0.5, 1.0, 1.5, 1.96, 2.5, 3.0, 4.0, 5.0, 6.5, 8.0, 12.0};
    for (double z : zs) {
        EXPECT_NEAR(normalCdf(z) + normalCdf(-z), 1.0, 4 * unitRoundoff) << "z = " << z;
    }
}

TEST(NormalCdf, NotANumberGivesNotANumber)
{
    EXPECT_TRUE(std::isnan(normalCdf(std::numeric_limits<double>::quiet_NaN())));
}

// Beyond |z| = 1e4 the kernel has long been exactly 0, so the answer is Phi at the bound, 1;
// below -40 Phi is under half the smallest subnormal, so its nearest double is 0.
const double hugeZ[] = {1e4, 1e5, 1e300, 1e308, largest, std::numeric_limits<double>::infinity()};

TEST(NormalCdf, EnormousMagnitudesFinishWithTheTailValues)
{
    for (double z : hugeZ) {
        EXPECT_EQ(normalCdf(z), 1.0) << "z = " << z;
        EXPECT_EQ(normalCdf(-z), 0.0) << "z = " << -z;
    }
}

using counted::countedKernel;
using counted::countedScaledKernel;

struct Cost {
    double z;
    long evaluations;
};

// Kernel evaluations of one Phi, 18 per refinement. The direct form costs 7 refinements for
// |z| in (2, 4), 15 in [4, 8), 31 in [8, 16) and so on, doubling with |z|; the lower tail
// must cost at most twice that in (-5, -3) and no more than it did before below -5 (14
// refinements at -6, 12 at -7, 8 from -8 down). Below -40 nothing is integrated.
const Cost tailCosts[] = {
    {-3.0, 7 * 18},  {-3.001, 13 * 18}, {-3.5, 11 * 18}, {-4.0, 11 * 18},
    {-5.0, 11 * 18}, {-6.0, 9 * 18},    {-7.0, 7 * 18},  {-8.0, 5 * 18},
    {-20.0, 6 * 18}, {-38.0, 6 * 18},   {-40.0, 6 * 18}, {-40.000001, 0},
    {-1e308, 0},
};

TEST(NormalCdf, TheLowerTailCostsAtMostTwiceTheDirectFormAndNoMoreThanBefore)
{
    for (const Cost& row : tailCosts) {
        counted::evaluations = 0;
        const double p = normalCdfWithKernels(countedKernel, countedScaledKernel, row.z);
        EXPECT_EQ(counted::evaluations, row.evaluations) << "z = " << row.z;
        EXPECT_EQ(p, normalCdf(row.z)) << "z = " << row.z;
    }
    // Every z of the band where the tail took over from the direct form.
    for (double z = -3.0005; z > -5.0; z -= 0.001) {
        counted::evaluations = 0;
        normalCdfWithKernels(countedKernel, countedScaledKernel, z);
        EXPECT_LE(counted::evaluations, 2 * (z > -4.0 ? 7 : 15) * 18) << "z = " << z;
    }
}

// The kept bits come from glibc's exp. MinGW-w64 links its own, which rounds about 0.1% of its
// arguments the other way: Phi = 0.5 - integral may then move by a unit or two in the last place
// of the integral (2^-54 below 0.5); of the kept z, -2 and -1 do on Windows.
void expectKept(double result, double kept, double z)
{
#ifdef _WIN32
    constexpr double integralLastPlaces = 0x1p-52; // four units of 2^-54
    EXPECT_NEAR(result, kept, integralLastPlaces) << std::hexfloat << "z = " << z;
#else
    EXPECT_EQ(result, kept) << std::hexfloat << "z = " << z;
#endif
}

TEST(NormalCdf, KeepsTheDirectFormsBitsFromMinusThreeUp)
{
    for (const kept::Bits& row : kept::cdf) {
        expectKept(normalCdf(row.input), row.result, row.input);
    }
}

TEST(NormalDensity, AtZeroIsOneOverRootTwoPi)
{
    // 1/sqrt(2 pi) = 0.398942280401432677939946..., correctly rounded.
    EXPECT_NEAR(normalDensity(0.0), 0.3989422804014327, 0.3989422804014327 * unitRoundoff);
}

// Quantiles printed to six digits, from the 40-digit reference (root of log mpmath.ncdf);
// 1e-10 is reached only through the bracketing fallback. The smallest normal double and
// 1 - 2^-53 (0.9999999999999999) are the ends of the accepted range. The last two lie a
// relative 1e-12 beside a point where the digits change: -4.495155000004, 4.716015000007.
const Printed inversePrinted[] = {
    {0.975, "1.95996"},  {0.025, "-1.95996"}, {0.999, "3.09023"},
    {0.001, "-3.09023"}, {1e-10, "-6.36134"}, {0.5, "0"},
    {1e-20, "-9.26234"}, {1e-300, "-37.0471"}, {std::numeric_limits<double>::min(), "-37.5194"},
    {0.9999999999999999, "8.20954"}, {3.4759644173636954e-06, "-4.49516"},
    {0.9999987974564417, "4.71602"},
};

TEST(NormalCdfInverse, PrintedValues)
{
    for (const Printed& row : inversePrinted) {
        EXPECT_EQ(printed(normalCdfInverse(row.x)), row.expected) << "p = " << row.x;
    }
}

TEST(NormalCdfInverse, OneHalfGivesExactlyZero)
{
    EXPECT_EQ(normalCdfInverse(0.5), 0.0);
}

TEST(NormalCdfInverse, OneInTenBillionStillComesThroughTheFallback)
{
    const double z = normalCdfInverse(1e-10);
    // Phi there is p to a relative 1e-10: the search's tolerance, 1e-12 relative in z, times
    // |z| and the density over Phi (both about 6.4) makes 4e-11.
    EXPECT_NEAR(normalCdf(z), 1e-10, 1e-10 * 1e-10);
    EXPECT_EQ(printed(z), "-6.36134");
}

TEST(NormalCdfInverse, KeepsTheDirectFormsBitsFromPhiOfMinusThreeToPhiOfThree)
{
    for (const kept::Bits& row : kept::cdfInverse) {
        EXPECT_EQ(normalCdfInverse(row.input), row.result) << std::hexfloat << "p = " << row.input;
    }
}

// Phi by the direct form for every z, 0.5 plus or minus the integral between 0 and z, as
// it was before the lower tail got a form of its own; for |z| up to 1e4.
double rulesCdf(double z)
{
    const double pi = 4.0 * std::atan(1.0);
    if (z == 0.0) {
        return 0.5;
    }
    myLib::AdaptiveGL integrator;
    if (z > 0.0) {
        return integrator.integrate(0.0, z, gaussKernel) / std::sqrt(2.0 * pi) + 0.5;
    }
    return 0.5 - integrator.integrate(z, 0.0, gaussKernel) / std::sqrt(2.0 * pi);
}

TEST(NormalCdf, TheDirectFormInTheseTestsIsTheRecordedOne)
{
    for (const kept::Bits& row : kept::cdf) {
        if (std::fabs(row.input) <= 1e4) {
            expectKept(rulesCdf(row.input), row.result, row.input);
        }
    }
}

// The kept bits on a far denser grid than the recorded one, from Phi(-3) to 0.5 and from 0.5
// to Phi(3) (0.998650101968369905473, mpmath): Newton's method reaches these roots from the
// median, without passing them, so Phi is evaluated only where it keeps the direct form.
TEST(NormalCdfInverse, KeepsTheDirectFormsBitsOnADenseGrid)
{
    const double lowest = 0.0013498980316300946;
    const double highest = 0.9986501019683699;
    const int steps = 1000;
    for (int k = 0; k <= steps; ++k) {
        const double p = lowest * std::pow(0.5 / lowest, double(k) / steps);
        for (double q : {p, std::fmin(1.0 - p, highest)}) {
            ASSERT_EQ(normalCdfInverse(q), normalCdfInverseWith(rulesCdf, normalDensity, q))
                << std::hexfloat << "p = " << q;
        }
    }
}

void expectThrows(double p, const char* expected)
{
    try {
        const double z = normalCdfInverse(p);
        ADD_FAILURE() << "p = " << p << " gave " << z;
    } catch (const char* message) {
        EXPECT_STREQ(message, expected) << "p = " << p;
    }
}

TEST(NormalCdfInverse, RejectsPOutsideTheOpenUnitInterval)
{
    const double bad[] = {0.0, -0.0, 1.0, -0.3, 1.5, -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (double p : bad) {
        expectThrows(p, "Invalid value for p.");
    }
}

TEST(NormalCdfInverse, RejectsPBelowTheSmallestNormalDouble)
{
    // Their quantiles lie below -37.519, where Phi is subnormal.
    const double smallest = std::numeric_limits<double>::min();
    const double tooClose[] = {std::numeric_limits<double>::denorm_min(), 1e-320, 1e-310,
                               std::nextafter(smallest, 0.0)};
    for (double p : tooClose) {
        expectThrows(p, "Value for p is too close to 0.");
    }
}

} // namespace

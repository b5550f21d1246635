// Phi, its inverse and the density: printed values, exact cases, symmetry, the bits kept from
// the rules' own form, the joins between forms, the cost of the tail and the range of p.
#include "CountedKernel.h"
#include "NormalKeptResults.h"
#include "distribution/NormalDetail.h"
#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

using detail::normalCdfInverseWith;
using detail::normalCdfWithKernels;

constexpr double unitRoundoff = std::numeric_limits<double>::epsilon(); // one ulp of 1.0
constexpr double largest = std::numeric_limits<double>::max();

// As the calculator prints a number: the stream's default format, six significant digits.
std::string printed(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

struct Printed {
    double x;
    const char* expected;
};

// Phi(z) from a 40-digit reference (mpmath ncdf), rounded to six digits; at z = -38 the
// digits of the nearest double, 2.88542835e-316 (true 2.885428360e-316).
const Printed cdfPrinted[] = {
    {1.96, "0.975002"},      {-1.96, "0.0249979"},  {1.0, "0.841345"},
    {-3.0, "0.0013499"},     {-5.0, "2.86652e-07"}, {0.5, "0.691462"},
    {10.0, "1"},             {-10.0, "7.61985e-24"}, {-20.0, "2.75362e-89"},
    {-38.0, "2.88543e-316"},
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

// Kernel evaluations of one Phi, 18 per refinement. The rules' form costs 15 refinements for
// |z| in [4, 8), 31 in [8, 16), 63 in [16, 32) and 127 beyond, doubling with |z|. Below -5 the
// tail takes 8 segments of one refinement each, and a few more where a segment's integral lies
// above the integrator's absolute floor (1e-14, reached from about z = -7.7 up); below -40
// nothing is integrated.
const Cost tailCosts[] = {
    {-4.0, 15 * 18},  {-5.0, 15 * 18},  {-5.000001, 14 * 18}, {-6.0, 14 * 18},
    {-7.0, 12 * 18},  {-7.5, 10 * 18},  {-8.0, 8 * 18},       {-10.0, 8 * 18},
    {-20.0, 8 * 18},  {-37.5, 8 * 18},  {-38.0, 8 * 18},      {-40.0, 8 * 18},
    {-40.000001, 0},  {-1e308, 0},
};

TEST(NormalCdf, TheLowerTailCostsAtMostWhatTheRulesFormCostsThere)
{
    for (const Cost& row : tailCosts) {
        counted::evaluations = 0;
        const double p = normalCdfWithKernels(countedKernel, countedScaledKernel, row.z);
        EXPECT_EQ(counted::evaluations, row.evaluations) << "z = " << row.z;
        EXPECT_EQ(p, normalCdf(row.z)) << "z = " << row.z;
    }
}

// The kept bits come from glibc's exp. MinGW-w64 links its own, which rounds about 0.1% of its
// arguments the other way: Phi = 0.5 - integral may then move by a unit or two in the last place
// of the integral (2^-54 below 0.5); of the kept z, -4, -2 and -1 do on Windows.
void expectKept(double result, double kept, double z)
{
#ifdef _WIN32
    constexpr double integralLastPlaces = 0x1p-52; // four units of 2^-54
    EXPECT_NEAR(result, kept, integralLastPlaces) << std::hexfloat << "z = " << z;
#else
    EXPECT_EQ(result, kept) << std::hexfloat << "z = " << z;
#endif
}

TEST(NormalCdf, KeepsTheRulesBitsFromMinusFiveUp)
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
// 1 - 2^-53 (0.9999999999999999) are the ends of the accepted range.
const Printed inversePrinted[] = {
    {0.975, "1.95996"},  {0.025, "-1.95996"}, {0.999, "3.09023"},
    {0.001, "-3.09023"}, {1e-10, "-6.36134"}, {0.5, "0"},
    {1e-20, "-9.26234"}, {1e-300, "-37.0471"}, {std::numeric_limits<double>::min(), "-37.5194"},
    {0.9999999999999999, "8.20954"},
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

long cdfEvaluations = 0;

double countedCdf(double z)
{
    ++cdfEvaluations;
    return normalCdf(z);
}

TEST(NormalCdfInverse, OneInTenBillionStillComesThroughTheFallback)
{
    cdfEvaluations = 0;
    const double z = normalCdfInverseWith(countedCdf, normalDensity, 1e-10);
    // Newton's method evaluates Phi once per update, 20 at most; the rest is the fallback's.
    EXPECT_GT(cdfEvaluations, 20);
    EXPECT_EQ(printed(z), "-6.36134");
}

TEST(NormalCdfInverse, KeepsTheRulesBitsFromThreeInTenMillionToOneMinusThat)
{
    for (const kept::Bits& row : kept::cdfInverse) {
        EXPECT_EQ(normalCdfInverse(row.input), row.result) << std::hexfloat << "p = " << row.input;
    }
}

// Phi by the rules' own form for every z, 0.5 plus or minus the integral between 0 and z, as
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

TEST(NormalCdf, TheRulesFormInTheseTestsIsTheRecordedOne)
{
    for (const kept::Bits& row : kept::cdf) {
        if (std::fabs(row.input) <= 1e4) {
            expectKept(rulesCdf(row.input), row.result, row.input);
        }
    }
}

// The kept bits on a far denser grid than the recorded one. For p from 2.87e-7 (root -4.9998)
// to 2.3e-6 Newton's method has not converged after its 20 updates, and the fallback walks
// down to Phi at about -6 and bisects from there; where Phi has the tail form below -5 it
// differs from the rules' by their error, 1e-16, far less than its distance from p there, so
// every comparison, and so every bit of the result, is the same.
TEST(NormalCdfInverse, KeepsTheRulesBitsOnADenseGrid)
{
    const double lowest = 2.87e-7;
    const int steps = 1000;
    for (int k = 0; k <= steps; ++k) {
        const double p = lowest * std::pow(0.5 / lowest, double(k) / steps);
        for (double q : {p, 1.0 - p}) {
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
        EXPECT_EQ(message, expected) << "p = " << p;
        EXPECT_STREQ(message, expected);
    }
}

TEST(NormalCdfInverse, RejectsPOutsideTheOpenUnitInterval)
{
    const double bad[] = {0.0, -0.0, 1.0, -0.3, 1.5, -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
    for (double p : bad) {
        expectThrows(p, invalidPMessage);
    }
    EXPECT_STREQ(invalidPMessage, "Invalid value for p.");
}

TEST(NormalCdfInverse, RejectsPBelowTheSmallestNormalDouble)
{
    // Their quantiles lie below -37.519, where Phi is subnormal.
    const double smallest = std::numeric_limits<double>::min();
    const double tooClose[] = {std::numeric_limits<double>::denorm_min(), 1e-320, 1e-310,
                               std::nextafter(smallest, 0.0)};
    for (double p : tooClose) {
        expectThrows(p, pTooCloseMessage);
    }
    EXPECT_STREQ(pTooCloseMessage, "Value for p is too close to 0.");
}

} // namespace

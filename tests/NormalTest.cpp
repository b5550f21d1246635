// Phi, its inverse and the density: printed values, exact cases, symmetry, the tail bound and
// the range of p.
#include "NormalKeptResults.h"
#include "distribution/Normal.h"
#include "myLib/AdaptiveGL.h"
#include "myLib/RootFinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

namespace {

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

// Phi(z) from a 40-digit reference (mpmath ncdf), rounded to six digits; for z = -10 the
// value is the rules' own rounding residue, 0.5 minus an integral just below sqrt(2 pi)/2.
const Printed cdfPrinted[] = {
    {1.96, "0.975002"}, {-1.96, "0.0249979"}, {1.0, "0.841345"}, {-3.0, "0.0013499"},
    {-5.0, "2.86652e-07"}, {0.5, "0.691462"}, {10.0, "1"}, {-10.0, "-1.11022e-16"},
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

// Beyond |z| = 1e4 the kernel has long been exactly 0, so the answer is Phi at the bound: 1
// above, a residue of the order of 1e-16 (or 0) below.
const double hugeZ[] = {1e4, 1e5, 1e300, 1e308, largest, std::numeric_limits<double>::infinity()};

TEST(NormalCdf, EnormousMagnitudesFinishWithTheTailValues)
{
    for (double z : hugeZ) {
        EXPECT_EQ(normalCdf(z), 1.0) << "z = " << z;
        const double lower = normalCdf(-z);
        EXPECT_LE(std::fabs(lower), 4 * unitRoundoff) << "z = " << -z;
        EXPECT_EQ(lower, normalCdf(-1e4)) << "z = " << -z;
    }
}

TEST(NormalCdf, KeepsTheRulesBitsFromMinusFiveUp)
{
    for (const kept::Bits& row : kept::cdf) {
        EXPECT_EQ(normalCdf(row.input), row.result) << std::hexfloat << "z = " << row.input;
    }
}

TEST(NormalDensity, AtZeroIsOneOverRootTwoPi)
{
    // 1/sqrt(2 pi) = 0.398942280401432677939946..., correctly rounded.
    EXPECT_NEAR(normalDensity(0.0), 0.3989422804014327, 0.3989422804014327 * unitRoundoff);
}

// Quantiles printed to six digits, from the 40-digit reference (mpmath's inverse of ncdf);
// 1e-10 is reached only through the bracketing fallback.
const Printed inversePrinted[] = {
    {0.975, "1.95996"}, {0.025, "-1.95996"}, {0.999, "3.09023"}, {0.001, "-3.09023"},
    {1e-10, "-6.36134"}, {0.5, "0"},
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
            EXPECT_EQ(rulesCdf(row.input), row.result) << std::hexfloat << "z = " << row.input;
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

TEST(NormalCdfInverse, AccurateToTheToleranceOfTheSearch)
{
    // Quantiles from the 40-digit reference; |dz| within the 1e-12 relative tolerance plus the
    // resolution of Phi (2e-16 absolute) divided by the density there.
    const double table[][2] = {
        {0.975, 1.959963984540054},   {0.9, 1.2815515655446004}, {0.6, 0.2533471031357997},
        {0.3, -0.5244005127080407},   {1e-3, -3.090232306167813}, {1e-6, -4.753424308822899},
    };
    for (const auto& row : table) {
        const double p = row[0];
        const double z = row[1];
        EXPECT_NEAR(normalCdfInverse(p), z, 1e-12 * std::fabs(z) + 2e-16 / normalDensity(z))
            << "p = " << p;
    }
}

TEST(NormalCdfInverse, RoundTrip)
{
    const double ps[] = {1e-12, 1e-9, 1e-6, 1e-3, 0.01, 0.1, 0.25, 0.5, 0.75, 0.9, 0.99,
                         0.999, 0.999999};
    for (double p : ps) {
        const double z = normalCdfInverse(p);
        // The search stops within 1e-12 of z, which moves Phi by at most that times phi(z);
        // Phi's own rounding adds a few times 1e-16.
        EXPECT_NEAR(normalCdf(z), p, 1e-12 * std::fabs(z) * normalDensity(z) + 4e-16)
            << "p = " << p;
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

TEST(NormalCdfInverse, RejectsPBelowTheResolutionOfPhi)
{
    // Within 1e-15 of 0 or 1 the computed Phi is rounding residue: 1e-20 would come out as
    // -8.25494 (true -9.26234) and 0.9999999999999999 as 8.1774 (true 8.20954).
    const double tooClose[] = {4.9e-324, 1e-300, 1e-20, 1e-16, 9.99e-16, 1.0 - 9e-16,
                               0.9999999999999999};
    for (double p : tooClose) {
        expectThrows(p, pTooCloseMessage);
    }
    EXPECT_STREQ(pTooCloseMessage, "Value for p is too close to 0 or 1.");
}

TEST(NormalCdfInverse, AcceptsTheEdgesOfTheRange)
{
    // The true quantiles of 1e-15 and 1 - 1e-15 are -7.94135 and 7.94135; at Phi's resolution
    // of about 1e-16 in p that is good to about 1e-2 in z.
    EXPECT_NEAR(normalCdfInverse(1e-15), -7.941345326170997, 2e-2);
    EXPECT_NEAR(normalCdfInverse(1.0 - 1e-15), 7.941345326170997, 2e-2);
}

} // namespace

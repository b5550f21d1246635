// Phi and its inverse against 40-digit references over the whole useful range, tails
// included: the error bounds of the method and the six printed digits.
#include "NormalReference.h"
#include "distribution/Normal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace {

// Phi is 0.5 plus or minus an integral whose pieces agree to 1e-14 relative, so its error is
// the rounding of a sum near 0.5 or 1: a few units of 1.1e-16 absolute, in every band of z.
// The largest error over the table is 2.2e-16 (at z = 4, a sum just below 1).
constexpr double cdfAbsoluteBound = 4e-16;

// The search stops at a relative step of 1e-12, and the computed Phi, good to about 2e-16
// absolute, moves the root by that divided by the density. The largest ratio of the error to
// this scale over the table is 0.66 (at p = 1e-14); c = 2 leaves a modest margin.
constexpr double searchTolerance = 1e-12;
constexpr double cdfResolution = 2e-16;
constexpr double inverseBoundFactor = 2.0;

double inverseBound(double z)
{
    return inverseBoundFactor * (searchTolerance * std::fabs(z) + cdfResolution / normalDensity(z));
}

// As the calculator prints a number: the stream's default format, six significant digits.
std::string printed(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

// The computed value's distance from the reference hi + lo; hi - y is exact for y near hi.
double error(double y, const reference::Row& row)
{
    return (y - row.hi) - row.lo;
}

TEST(NormalCdfAccuracy, WithinAFewTimes1e16Absolute)
{
    for (const reference::Row& row : reference::cdf) {
        EXPECT_LE(std::fabs(error(normalCdf(row.x), row)), cdfAbsoluteBound) << "z = " << row.x;
    }
}

TEST(NormalCdfAccuracy, PrintedDigitsAreTheTrueOnesWhereTheBoundDeterminesThem)
{
    int checked = 0;
    for (const reference::Row& row : reference::cdf) {
        if (row.margin > cdfAbsoluteBound) {
            EXPECT_EQ(printed(normalCdf(row.x)), row.digits) << "z = " << row.x;
            ++checked;
        }
    }
    // All rows from z = -5.5 up; below it Phi is under 1e-9 and its absolute error of about
    // 1e-16 reaches the sixth digit. The count keeps the check from going empty unnoticed.
    EXPECT_EQ(checked, 31);
}

TEST(NormalCdfInverseAccuracy, WithinTheConditioningOfTheProblem)
{
    for (const reference::Row& row : reference::cdfInverse) {
        const double z = normalCdfInverse(row.x);
        EXPECT_LE(std::fabs(error(z, row)), inverseBound(row.hi)) << "p = " << row.x;
    }
}

TEST(NormalCdfInverseAccuracy, PrintedDigitsAreTheTrueOnesWhereTheBoundDeterminesThem)
{
    int checked = 0;
    for (const reference::Row& row : reference::cdfInverse) {
        if (row.margin > inverseBound(row.hi)) {
            EXPECT_EQ(printed(normalCdfInverse(row.x)), row.digits) << "p = " << row.x;
            ++checked;
        }
    }
    // All rows from p = 3e-11 to 1 - 1e-10 but p = 0.5, whose exact 0 the test of the
    // calculator's own cases covers; further out the conditioning reaches the sixth digit.
    EXPECT_EQ(checked, 28);
}

} // namespace

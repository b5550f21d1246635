// Phi and its inverse against 40-digit references over the whole range, tails included: the
// error bounds of the method, the six printed digits, the nearest double where Phi is
// subnormal, and the joins between the forms.
#include "Expected.h"
#include "NormalReference.h"
#include "distribution/Normal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <string>

namespace {

using expected::printed;

constexpr double eps = std::numeric_limits<double>::epsilon();
constexpr double smallestSubnormal = std::numeric_limits<double>::denorm_min();

// From z = -3 up, Phi is 0.5 plus or minus an integral whose pieces agree to 1e-14 relative,
// so its error is the rounding of a sum near 0.5 or 1: a few units of 1.1e-16 absolute. The
// largest error over the table is 2.2e-16 (at z = 4, a sum just below 1).
constexpr double keptFormStart = -3.0;
constexpr double keptFormAbsoluteBound = 4e-16;

// Below -3 Phi is the integral of the tail itself, and its error is relative: the nodes near z
// are rounded to doubles (up to |x| ulp/2, changing the kernel by up to x^2 eps/2) and so is
// its exponent x^2/2 (x^2 eps/4), where x lies within a few 1/|z| of z. Over 20,000 random z
// in [-37.52, -3] and 17,000 more on a grid the largest error was 0.80 z^2 eps (2.2e-13 at
// z = -35.0); in (-5, -3) 0.63 z^2 eps.
double tailRelativeBound(double z)
{
    return z * z * eps;
}

// Returns the bound on |Phi(z) - p| for the computed p near Phi(z) = p; where Phi is
// subnormal, the final rounding adds half the smallest subnormal.
double cdfErrorBound(double z, double p)
{
    if (z >= keptFormStart) {
        return keptFormAbsoluteBound;
    }
    return tailRelativeBound(z) * p + smallestSubnormal / 2;
}

// The search stops at a relative step of 1e-12, and the error of the computed Phi moves the
// root by that divided by the density. Above Phi(3) the quantile is -Phi^-1(1 - p), so Phi's
// error is the one at -|z|, for 1 - p. The largest ratio of the error to this scale over the
// table is 0.38 (at p = 1 - 2^-53), and over 16,800 random p across the range 0.49 (at
// 8e-21, through the bisection); c = 2 leaves a margin.
constexpr double searchTolerance = 1e-12;
constexpr double inverseBoundFactor = 2.0;

double inverseBound(double p, double z)
{
    const double tail = std::fmin(p, 1.0 - p);
    return inverseBoundFactor *
           (searchTolerance * std::fabs(z) + cdfErrorBound(-std::fabs(z), tail) / normalDensity(z));
}

// The computed value's distance from the reference hi + lo; hi - y is exact for y near hi.
double error(double y, const reference::Row& row)
{
    return (y - row.hi) - row.lo;
}

TEST(NormalCdfAccuracy, RelativeErrorWithinTheBoundOfItsForm)
{
    for (const reference::Row& row : reference::cdf) {
        const double bound = cdfErrorBound(row.x, row.hi);
        EXPECT_LE(std::fabs(error(normalCdf(row.x), row)), bound)
            << "z = " << row.x << ", relative bound " << bound / row.hi;
    }
}

TEST(NormalCdfAccuracy, PrintedDigitsAreTheTrueOnesWhereTheBoundDeterminesThem)
{
    int checked = 0;
    for (const reference::Row& row : reference::cdf) {
        if (row.margin > cdfErrorBound(row.x, row.hi)) {
            EXPECT_EQ(printed(normalCdf(row.x)), row.digits) << "z = " << row.x;
            ++checked;
        }
    }
    // Every row: the tail form's relative error is far below the sixth digit, and from -3 up
    // no row lies within the direct form's absolute error of a point where the digits change. The
    // count keeps the check from going empty unnoticed.
    EXPECT_EQ(checked, int(std::size(reference::cdf)));
}

// Where Phi is subnormal the result is the nearest double, printed with the few digits it has.
TEST(NormalCdfAccuracy, SubnormalResultsAreTheNearestDouble)
{
    int checked = 0;
    for (const reference::SubnormalRow& row : reference::cdfSubnormal) {
        const double y = normalCdf(row.x);
        const double boundUnits = tailRelativeBound(row.x) * (row.nearest / smallestSubnormal);
        EXPECT_LE(std::fabs(y - row.nearest) / smallestSubnormal, boundUnits + 1.0)
            << "z = " << row.x;
        if (row.marginUnits > boundUnits) {
            EXPECT_EQ(y, row.nearest) << "z = " << row.x;
            EXPECT_EQ(printed(y), row.digits) << "z = " << row.x;
            ++checked;
        }
    }
    // From -37.8 down; above it a relative error of 1e-13 is more than a unit of 2^-1074.
    EXPECT_EQ(checked, 10);
}

TEST(NormalCdfInverseAccuracy, WithinTheConditioningOfTheProblem)
{
    for (const reference::Row& row : reference::cdfInverse) {
        const double z = normalCdfInverse(row.x);
        EXPECT_LE(std::fabs(error(z, row)), inverseBound(row.x, row.hi)) << "p = " << row.x;
    }
}

TEST(NormalCdfInverseAccuracy, PrintedDigitsAreTheTrueOnesWhereTheBoundDeterminesThem)
{
    int checked = 0;
    for (const reference::Row& row : reference::cdfInverse) {
        if (row.margin > inverseBound(row.x, row.hi)) {
            EXPECT_EQ(printed(normalCdfInverse(row.x)), row.digits) << "p = " << row.x;
            ++checked;
        }
    }
    // Every row but p = 0.5, whose exact 0 the test of the calculator's own cases covers.
    EXPECT_EQ(checked, int(std::size(reference::cdfInverse)) - 1);
}

// Phi at a few doubles on either side of each z where its form changes: each step must be the
// true one, phi(z) dz, within the error bounds of both sides.
TEST(NormalCdfAccuracy, TheFormsJoinWithinTheirErrors)
{
    const double joins[] = {keptFormStart, -37.5, -40.0};
    for (double join : joins) {
        double z = join;
        for (int i = 0; i < 4; ++i) {
            z = std::nextafter(z, -INFINITY);
        }
        double previous = normalCdf(z);
        for (int i = 0; i < 8; ++i) {
            const double next = std::nextafter(z, INFINITY);
            const double p = normalCdf(next);
            const double expectedStep = normalDensity(next) * (next - z);
            EXPECT_LE(std::fabs(p - previous - expectedStep),
                      cdfErrorBound(z, previous) + cdfErrorBound(next, p))
                << std::hexfloat << "z = " << next;
            z = next;
            previous = p;
        }
    }
}

// The quantile at a few doubles on either side of each p where its road changes: each step
// must be the true one, dp / phi(z), within the error bounds of both sides.
TEST(NormalCdfInverseAccuracy, TheRoadsJoinWithinTheirErrors)
{
    // Phi(-3), where the root leaves the direct form, Phi(3) (mpmath), and the smallest p.
    const double joins[] = {0.0013498980316300946, 0.9986501019683699,
                            std::numeric_limits<double>::min()};
    for (double join : joins) {
        double p = join;
        for (int i = 0; i < 4; ++i) {
            p = std::nextafter(p, 0.0);
        }
        double previous = join == std::numeric_limits<double>::min() ? NAN : normalCdfInverse(p);
        for (int i = 0; i < 8; ++i) {
            const double next = std::nextafter(p, 1.0);
            if (next < std::numeric_limits<double>::min()) {
                p = next;
                continue;
            }
            const double z = normalCdfInverse(next);
            if (!std::isnan(previous)) {
                const double expectedStep = (next - p) / normalDensity(z);
                EXPECT_LE(std::fabs(z - previous - expectedStep),
                          inverseBound(p, previous) + inverseBound(next, z))
                    << std::hexfloat << "p = " << next;
            }
            p = next;
            previous = z;
        }
    }
}

} // namespace

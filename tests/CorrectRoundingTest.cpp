// The six printed digits correctly rounded: the hardest inputs of every band and direction,
// the fast results kept where their digits are certain, and the one limit below z = -37.5.
#include "Expected.h"
#include "HardestInputs.h"
#include "NormalReference.h"
#include "distribution/Normal.h"
#include "distribution/NormalDetail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

using expected::printed;

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Expected digits: tests/HardestInputs.h (tools/reference.py --hardest, mpmath).
TEST(CorrectRounding, HardestInputsPrintTheirTrueDigits)
{
    for (const hardest::HardestRow& row : hardest::cdf) {
        EXPECT_EQ(printed(normalCdfToPrint(row.x)), row.digits)
            << "z = " << row.x << ", true " << row.value;
    }
    for (const hardest::HardestRow& row : hardest::cdfInverse) {
        EXPECT_EQ(printed(normalCdfInverseToPrint(row.x)), row.digits)
            << "p = " << row.x << ", true " << row.value;
    }
}

// The accurate Phi minus the reference's hi is its lo, within the difference's own doubt and
// the reference's 32 digits (tests/NormalReference.h, mpmath), which it has only where its lo
// is a normal number (z from about -36.4 up).
TEST(CorrectRounding, AccurateCdfWithinItsDoubt)
{
    constexpr double referenceDigits = 1e-31;
    constexpr double normalLo = 0x1p-969;
    for (const reference::Row& row : reference::cdf) {
        if (row.hi < normalLo) {
            continue;
        }
        const detail::CdfDifference d = detail::cdfMinus({row.x, 0.0}, row.hi, 0);
        const double scale = std::ldexp(1.0, d.binaryScale);
        const double error = (d.difference.hi - row.lo * scale) + d.difference.lo;
        EXPECT_LE(std::fabs(error), d.doubt + referenceDigits * row.hi * scale) << "z = " << row.x;
    }
}

// Every reference row lies far from a boundary (tests/NormalReference.h gives the margins):
// the fast result is returned bit for bit; below -37.5 always (its nearest double's digits).
TEST(CorrectRounding, CertainDigitsKeepTheFastResult)
{
    for (const reference::Row& row : reference::cdf) {
        EXPECT_TRUE(sameBits(normalCdfToPrint(row.x), normalCdf(row.x))) << "z = " << row.x;
    }
    for (const reference::SubnormalRow& row : reference::cdfSubnormal) {
        EXPECT_TRUE(sameBits(normalCdfToPrint(row.x), normalCdf(row.x))) << "z = " << row.x;
    }
    for (const reference::Row& row : reference::cdfInverse) {
        EXPECT_TRUE(sameBits(normalCdfInverseToPrint(row.x), normalCdfInverse(row.x)))
            << "p = " << row.x;
    }
}

TEST(CorrectRounding, EdgesAndBadInputAsTheFastPath)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(normalCdfToPrint(nan)));
    EXPECT_EQ(normalCdfToPrint(-1e308), 0.0);
    EXPECT_EQ(normalCdfToPrint(1e308), 1.0);
    EXPECT_EQ(normalCdfInverseToPrint(0.5), 0.0);
    // The quantiles of the doubles next to 0.5 are 2^-53 and 2^-54 times sqrt(2 pi) (mpmath).
    EXPECT_EQ(printed(normalCdfInverseToPrint(0.5 + 0x1p-53)), "2.78292e-16");
    EXPECT_EQ(printed(normalCdfInverseToPrint(0.5 - 0x1p-54)), "-1.39146e-16");
    const struct {
        double p;
        const char* message;
    } refused[] = {
        {0.0, invalidPMessage}, {1.0, invalidPMessage},
        {nan, invalidPMessage}, {-0.3, invalidPMessage},
        {1e-310, pTooCloseMessage},
    };
    for (const auto& row : refused) {
        try {
            normalCdfInverseToPrint(row.p);
            ADD_FAILURE() << "p = " << row.p << " was accepted";
        } catch (const char* message) {
            EXPECT_STREQ(message, row.message) << "p = " << row.p;
        }
    }
}

} // namespace

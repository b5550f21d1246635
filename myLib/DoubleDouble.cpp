#include "myLib/DoubleDouble.h"

#include <cmath>

namespace myLib {
namespace {

// Dekker's splitter 2^27 + 1: a double times it, less the difference, keeps the upper 26 bits,
// so that products of the halves are exact without a fused multiply-add.
constexpr double splitter = 134217729.0;

// s + e == a + b exactly, for any doubles (Knuth).
DoubleDouble twoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// s + e == a + b exactly, for |a| >= |b| (Dekker).
DoubleDouble quickTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// hi + lo == a, each with at most 26 significant bits.
DoubleDouble split(double a)
{
    const double t = splitter * a;
    const double hi = t - (t - a);
    return {hi, a - hi};
}

// p + e == a * b exactly (Dekker), for products far from overflow and underflow.
DoubleDouble twoProduct(double a, double b)
{
    const double p = a * b;
    const DoubleDouble as = split(a);
    const DoubleDouble bs = split(b);
    const double e = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return {p, e};
}

// ln 2 = ln2High + ln2Middle + ln2Low to 160 bits; the first two end in 13 zero bits, so that
// their products with an integer below 2^13 are exact.
constexpr double ln2High = 0x1.62e42fefa2000p-1;
constexpr double ln2Middle = 0x1.9ef35793c6000p-41;
constexpr double ln2Low = 0x1.673007e5ed5e8p-81;
constexpr double log2e = 0x1.71547652b82fep+0;

// e^r is found as (e^(r / 2^halvings))^(2^halvings): the reduced argument, below 3.4e-4 in
// magnitude, needs only 9 terms of its series for 2^-110, and each squaring keeps e^x - 1
// to its full relative precision.
constexpr int halvings = 10;
// 1/k! for k = 3..9, each to 106 bits (mpmath).
constexpr DoubleDouble inverseFactorial[] = {
    {0x1.5555555555555p-3, 0x1.5555555555555p-57},  {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},  {0x1.6c16c16c16c17p-10, -0x1.f49f49f49f49fp-65},
    {0x1.a01a01a01a01ap-13, 0x1.a01a01a01a01ap-73}, {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
};
// a * 2^n exactly, while both parts stay normal.
DoubleDouble scaled(DoubleDouble a, int n)
{
    return {std::ldexp(a.hi, n), std::ldexp(a.lo, n)};
}

// Below this power of two the low part of e^a * 2^scale would be subnormal.
constexpr int lowestExponent = -969;
constexpr int highestExponent = 1023;

} // namespace

DoubleDouble operator+(DoubleDouble a, DoubleDouble b)
{
    const DoubleDouble s = twoSum(a.hi, b.hi);
    const DoubleDouble t = twoSum(a.lo, b.lo);
    const DoubleDouble u = quickTwoSum(s.hi, s.lo + t.hi);
    return quickTwoSum(u.hi, u.lo + t.lo);
}

DoubleDouble operator-(DoubleDouble a, DoubleDouble b)
{
    return a + -b;
}

DoubleDouble operator*(DoubleDouble a, DoubleDouble b)
{
    const DoubleDouble p = twoProduct(a.hi, b.hi);
    return quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DoubleDouble operator*(DoubleDouble a, double b)
{
    const DoubleDouble p = twoProduct(a.hi, b);
    return quickTwoSum(p.hi, p.lo + a.lo * b);
}

DoubleDouble operator/(DoubleDouble a, double b)
{
    const double q1 = a.hi / b;
    const DoubleDouble p = twoProduct(q1, b);
    const DoubleDouble s = twoSum(a.hi, -p.hi);
    const double q2 = (s.hi + ((s.lo - p.lo) + a.lo)) / b;
    return quickTwoSum(q1, q2);
}

DoubleDouble exp(DoubleDouble a, int binaryScale)
{
    // a = n ln 2 + r with |r| <= ln 2 / 2 (a little more, from rounding n), n exact.
    const double t = a.hi * log2e;
    // Tested before n is made an integer, which would overflow for a huge or NaN t.
    if (!(t + binaryScale >= lowestExponent)) {
        return {0.0, 0.0};
    }
    if (t + binaryScale > highestExponent) {
        return {HUGE_VAL, 0.0};
    }
    const double n = static_cast<double>(static_cast<long long>(t + (t < 0.0 ? -0.5 : 0.5)));
    DoubleDouble r = a - twoProduct(n, ln2High);
    r = r - DoubleDouble{n * ln2Middle, 0.0};
    r = r - DoubleDouble{n * ln2Low, 0.0};
    r = scaled(r, -halvings);
    // e^r - 1 = r + r^2/2 + r^3 (1/3! + r (1/4! + ...)) by Horner's rule.
    DoubleDouble series = inverseFactorial[6];
    for (int k = 5; k >= 0; --k) {
        series = series * r + inverseFactorial[k];
    }
    DoubleDouble s = ((series * r + DoubleDouble{0.5, 0.0}) * r + DoubleDouble{1.0, 0.0}) * r;
    for (int i = 0; i < halvings; ++i) {
        // e^(2x) - 1 = (e^x - 1)(e^x - 1 + 2).
        s = s * (s + DoubleDouble{2.0, 0.0});
    }
    return scaled(s + DoubleDouble{1.0, 0.0}, static_cast<int>(n) + binaryScale);
}

} // namespace myLib

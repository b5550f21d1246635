// myLib::DoubleDouble: an unevaluated sum hi + lo of two doubles, about 106 significant bits,
// with its arithmetic and exponential built from IEEE additions and multiplications only.
#pragma once

#include <cmath>

namespace myLib {

// A value hi + lo with |lo| at most half an ulp of hi. While hi and lo are normal numbers
// each operation below has a relative error of a few units of 2^-104.
struct DoubleDouble {
    double hi = 0.0;
    double lo = 0.0;
};

// Returns -a exactly; never fails.
inline DoubleDouble operator-(DoubleDouble a)
{
    return {-a.hi, -a.lo};
}

// Returns |a| to double precision (|hi|), the size that tolerances are compared with; NaN for a
// value that is not a number.
inline double magnitude(DoubleDouble a)
{
    return std::fabs(a.hi);
}

// Returns a + b, the sum of two double-doubles; never fails.
DoubleDouble operator+(DoubleDouble a, DoubleDouble b);
// Returns a - b; never fails.
DoubleDouble operator-(DoubleDouble a, DoubleDouble b);
// Returns a * b; never fails (inexact beyond about 2^996, where the operands' split overflows).
DoubleDouble operator*(DoubleDouble a, DoubleDouble b);
// Returns a * b for a double b; never fails.
DoubleDouble operator*(DoubleDouble a, double b);
// Returns a / b for a double b other than 0; never fails.
DoubleDouble operator/(DoubleDouble a, double b);

// Returns e^a * 2^binaryScale, relative error about 2^-102 while the result and its low part
// are normal; 0 where e^a * 2^binaryScale is below 2^-969, so that its low part would be
// subnormal, and infinity above 2^1023. Never fails; |binaryScale| must stay below 7000, so
// that the reduction by n ln 2 (|n| below 2^13) is exact.
DoubleDouble exp(DoubleDouble a, int binaryScale = 0);

} // namespace myLib

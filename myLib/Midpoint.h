// Midpoint of two doubles that stays finite for finite ends of any magnitude.
#pragma once

#include <cmath>

namespace myLib {

// Returns (a + b) * 0.5; for finite a and b whose sum overflows, the halves' sum instead.
inline double midpoint(double a, double b)
{
    const double m = (a + b) * 0.5;
    // Two ends near the largest double overflow the sum to infinity; halving each first keeps
    // the midpoint inside the interval. Every midpoint of ordinary ends keeps its usual bits.
    if (std::isinf(m) && std::isfinite(a) && std::isfinite(b)) {
        return a * 0.5 + b * 0.5;
    }
    return m;
}

} // namespace myLib

// Writes the accurate Phi's form for each z read (one a line), for tools/accurate_error.py:
// z, the double-double part (hi, lo) and its binary scale, all in %a.
#include "distribution/NormalDetail.h"

#include <cstdio>

int main()
{
    double z = 0.0;
    while (std::scanf("%lf", &z) == 1) {
        // The base of z's form as target: the difference is then the form's part alone.
        const double base = z < detail::lowerTailStart    ? 0.0
                            : z > -detail::lowerTailStart ? 1.0
                                                          : 0.5;
        const detail::CdfDifference d = detail::cdfMinus(myLib::DoubleDouble{z, 0.0}, base, 0);
        std::printf("%a %a %a %d\n", z, d.difference.hi, d.difference.lo, d.binaryScale);
    }
    return 0;
}

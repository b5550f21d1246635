// myLib::AdaptiveGLDD: the definite integral of a double-double function over a finite
// interval by AdaptiveGL's recursively bisecting 9-point Gauss-Legendre rule, carried out in
// double-double arithmetic to an absolute tolerance, with a bound on its work.
#pragma once

#include "myLib/DoubleDouble.h"

namespace myLib {

// A function of one double-double variable.
using DoubleDoubleFn = DoubleDouble (*)(DoubleDouble);

class AdaptiveGLDD {
public:
    // Pieces are accepted only when narrower than 1.0, as AdaptiveGL's are; this bounds the
    // work of an integration, wide as it may be, at some 74,000 integrand evaluations.
    static constexpr int maxRefineCalls = 1 << 12;
    // As AdaptiveGL's: deeper splits would only chase rounding or a singularity.
    static constexpr int maxDepth = 200;

    // Returns the integral of f from a to b; a piece is accepted once narrower than 1.0 and
    // its halves agree with it within tolerance (absolute). Returns hi = NaN when that takes
    // more than maxRefineCalls refinements or maxDepth levels. Throws only what f throws.
    DoubleDouble integrate(DoubleDouble a, DoubleDouble b, DoubleDoubleFn f, double tolerance);

private:
    // Replaces total, the estimate of the integral over [a, b], with its refined value.
    void refine(DoubleDouble& total, DoubleDouble a, DoubleDouble b, int depth);
    // One application of the 9-point rule over [a, b] to func.
    DoubleDouble gaussLegendre9(DoubleDouble a, DoubleDouble b) const;

    DoubleDoubleFn func = nullptr;
    double tol = 0.0;
    int refineCalls = 0;
};

} // namespace myLib

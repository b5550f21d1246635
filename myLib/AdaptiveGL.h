// myLib::AdaptiveGL: the definite integral of a RealFn over a finite interval by recursively
// bisecting 9-point Gauss-Legendre quadrature, with a bound on the work of any integration.
#pragma once

#include "myLib/RealFn.h"

namespace myLib {

class AdaptiveGL {
public:
    // An interval of length L needs at least L accepted pieces (none is 1.0 wide or wider), and
    // so about 2L refine calls: 2^20 calls cover any interval up to 2^19 long, 32 times the
    // widest one the program asks for (Phi at its tail bound 1e4 takes 32,767 calls), while an
    // integration that hits the bound stops after some 19 million evaluations of the integrand.
    static constexpr int maxRefineCalls = 1 << 20;
    // A piece halved 200 times is narrower than 1e-60 of its interval: no double integrand has
    // structure there, so deeper splits only chase rounding or a singularity.
    static constexpr int maxDepth = 200;

    AdaptiveGL() = default;
    virtual ~AdaptiveGL() = default;

    // Returns the integral of f from a to b (negated when a > b). Returns NaN, "no estimate
    // within the bound", when it would take more than maxRefineCalls refinements or more than
    // maxDepth levels of bisection. Throws only what f throws.
    double integrate(double a, double b, RealFn f);

private:
    // Replaces total, the estimate of the integral over [a, b], with its refined value.
    void refine(double& total, double a, double b, int depth);
    // One application of the 9-point rule over [a, b] to func.
    double gaussLegendre9(double a, double b) const;

    RealFn func = nullptr;
    int refineCalls = 0;
};

} // namespace myLib

// The distribution's inner parts, for the tests and the benchmark: the kernel's limits and
// scaled form, and Phi and its inverse with the functions they call given as parameters.
#pragma once

#include "distribution/Normal.h"
#include "myLib/DoubleDouble.h"
#include "myLib/RealFn.h"

namespace detail {

// From 0 down to here Phi is the direct form (Normal.h), whose absolute rounding error (about
// 1e-16) stays a small share of Phi; below, the lower tail is integrated itself, with a
// relative error (docs/accuracy.md, "The lower tail").
inline constexpr double lowerTailStart = -3.0;

// gaussKernel returns 0 without calling exp below this exponent, where exp would round to 0
// through its slow underflow path.
inline constexpr double gaussKernelExpUnderflow = -746.0;

// scaledGaussKernel is the kernel e^gaussKernelScale times larger, for the far tail where the
// kernel itself is subnormal; the shift of an exponent in [512, 1024] by 512 is exact.
inline constexpr double gaussKernelScale = 512.0;
// e^-gaussKernelScale, correctly rounded (4.377491037053051454e-223, mpmath): the factor that
// scales an integral of scaledGaussKernel back down.
inline constexpr double gaussKernelUnscale = 0x1.44109edb20931p-739;

// Returns exp(-x*x/2 + gaussKernelScale); never fails.
double scaledGaussKernel(double x);

// Returns Phi(z) as normalCdf does, step for step, but integrating kernel and scaledKernel in
// place of gaussKernel and scaledGaussKernel: for instrumented kernels that must see the very
// same integrations.
double normalCdfWithKernels(RealFn kernel, RealFn scaledKernel, double z);

// Returns normalCdfInverse(p), step for step, with cdf and density in place of normalCdf and
// normalDensity; fails as normalCdfInverse does.
double normalCdfInverseWith(RealFn cdf, RealFn density, double p);

// The accurate Phi(z) minus a target m * 10^e, times 2^binaryScale, and its doubt: the bound
// on the difference's error. The accurate Phi is the same quadrature of the same kernel in
// double-double: 0.5 + the integral from 0 to z for |z| <= 3, the lower tail below -3, and
// 1 - the upper tail above 3, the tails 2^binaryScale times larger.
struct CdfDifference {
    myLib::DoubleDouble difference;
    double doubt = 0.0;
    int binaryScale = 0;
};

// Returns Phi(z) - m * 10^e by the accurate Phi, scaled, with its doubt; never fails (an
// integration stopped at its bound gives a difference that is not a number).
CdfDifference cdfMinus(myLib::DoubleDouble z, double m, int e);

} // namespace detail

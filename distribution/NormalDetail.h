// The distribution's inner parts, for the tests and the benchmark: the kernel's limits and
// scaled form, and Phi and its inverse with the functions they call given as parameters.
#pragma once

#include "distribution/Normal.h"
#include "myLib/RealFn.h"

namespace detail {

// gaussKernel returns 0 without calling exp for an exponent below this: exp(x) rounds to 0
// below about -745.13 anyway, but through its slow underflow path.
inline constexpr double gaussKernelExpUnderflow = -746.0;

// scaledGaussKernel is the kernel e^gaussKernelScale times larger, for the far tail where the
// kernel itself is subnormal. For x*x/2 in [512, 1024] (|x| from 32 to 45) the exponent's
// shift by 512 is exact, so it is gaussKernel's own exponent, only shifted.
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

} // namespace detail

// The standard normal distribution: the Gaussian kernel, the density, the cumulative
// distribution function by adaptive quadrature and its inverse by Newton's method.
#pragma once

// Thrown (as a bare string) by normalCdfInverse for a p outside (0, 1) or not a number.
inline constexpr char invalidPMessage[] = "Invalid value for p.";
// Thrown (as a bare string) by normalCdfInverse for a p inside (0, 1) but within 1e-15 of 0
// or 1, where the computed Phi cannot tell p from its neighbours.
inline constexpr char pTooCloseMessage[] = "Value for p is too close to 0 or 1.";

#include "myLib/RealFn.h"

// gaussKernel returns 0 without calling exp for an exponent below this: exp(x) rounds to 0
// below about -745.13 anyway, but through its slow underflow path.
inline constexpr double gaussKernelExpUnderflow = -746.0;

// Returns exp(-x*x/2), unnormalised; never fails.
double gaussKernel(double x);

// Returns the standard normal density exp(-x*x/2) / sqrt(2*pi); never fails.
double normalDensity(double x);

// Returns Phi(z), the probability that a standard normal variable is at most z, as 0.5 plus or
// minus the integral of the kernel between 0 and z; NaN for a z that is not a number.
double normalCdf(double z);

// Returns Phi(z) as normalCdf does, step for step, but integrating kernel in place of
// gaussKernel: for an instrumented kernel that must see the very same integration.
double normalCdfWithKernel(RealFn kernel, double z);

// Returns z with Phi(z) = p; throws invalidPMessage for p outside (0, 1), pTooCloseMessage for
// p within 1e-15 of 0 or 1, and passes the root finder's bracket message on.
double normalCdfInverse(double p);

// Returns normalCdfInverse(p), step for step, with cdf and density in place of normalCdf and
// normalDensity; fails as normalCdfInverse does.
double normalCdfInverseWith(RealFn cdf, RealFn density, double p);

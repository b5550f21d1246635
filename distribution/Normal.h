// The standard normal distribution: the Gaussian kernel, the density, the cumulative
// distribution function by adaptive quadrature and its inverse by Newton's method.
#pragma once

// Thrown (as a bare string) by normalCdfInverse for a p outside (0, 1) or not a number.
inline constexpr char invalidPMessage[] = "Invalid value for p.";
// Thrown (as a bare string) by normalCdfInverse for a p inside (0, 1) but below the smallest
// normal double, 2.2250738585072014e-308, whose quantile lies where Phi is subnormal.
inline constexpr char pTooCloseMessage[] = "Value for p is too close to 0.";

// The console prints a number with the stream's default precision, 6 significant digits: the
// digits that normalCdfToPrint and normalCdfInverseToPrint make correctly rounded.
inline constexpr int printedDigits = 6;

// Returns exp(-x*x/2), unnormalised; never fails.
double gaussKernel(double x);

// Returns the standard normal density exp(-x*x/2) / sqrt(2*pi); never fails.
double normalDensity(double x);

// Returns Phi(z), the probability that a standard normal variable is at most z: from z = -3 up
// by the direct form, 0.5 plus or minus the integral of the kernel between 0 and z (1 where
// that rounds above 1), below it the integral of the lower tail itself (the nearest double
// where Phi is subnormal, 0 below z = -40); NaN for a z that is not a number.
double normalCdf(double z);

// Returns z with Phi(z) = p; throws invalidPMessage for p outside (0, 1), pTooCloseMessage for
// p below the smallest normal double, and passes the root finder's bracket message on.
double normalCdfInverse(double p);

// Returns normalCdf(z) where its error bound leaves its printedDigits digits certain, otherwise
// the double nearest the correctly rounded Phi(z) of that many digits (normalCdf below -37.5,
// where Phi is subnormal or nearly so); never fails.
double normalCdfToPrint(double z);

// Returns normalCdfInverse(p), or the double nearest the correctly rounded quantile of
// printedDigits digits where its error bound leaves them in doubt; fails as normalCdfInverse.
double normalCdfInverseToPrint(double p);

#!/usr/bin/env python3
"""Writes tests/NormalReference.h: Phi(z) and its inverse to 40 significant digits, by mpmath.

Usage (from the project root):  python3 tools/reference.py > tests/NormalReference.h
                                python3 tools/reference.py --hardest > tests/HardestInputs.h

Each input is a double, written in the table with repr(), which reads back as the very same
double; the reference is computed from that double's exact value, so it belongs to the input
the test passes. Besides the value (split into a double hi and a double lo with hi + lo equal
to it within 1e-32 relative, so that errors far below one ulp can be measured), each row holds
the six significant digits the calculator prints for the true value (C's %g, precision 6) and
the distance from the true value to the nearest boundary where those six digits change.

Where Phi is subnormal (z below -37.519) a double holds only a few of its digits, and the
calculator prints its nearest double: a table of its own holds that nearest double, the digits
printed for it, and, in units of the smallest subnormal 2^-1074 (the distance itself is too
small for a double), how far the true value lies from a midpoint between two subnormals, where
the nearest double changes.
"""

import math
import random
import sys

import mpmath
from mpmath import mp, mpf

mp.dps = 60          # working precision: 20 digits beyond what is stored
STORED_DIGITS = 40

# z from the centre into both tails, down to the lowest z whose Phi is a normal double.
Z_VALUES = [
    -37.5, -37.0, -36.0, -35.0, -30.0, -25.0, -20.0, -15.0, -12.5, -10.0, -9.0, -8.5, -8.0,
    -7.5, -7.0, -6.5, -6.4, -6.3, -6.2, -6.0, -5.5, -5.0, -4.75, -4.5, -4.25, -4.0, -3.75,
    -3.5, -3.25, -3.0, -2.5, -2.0, -1.96, -1.5, -1.0, -0.5, -0.1, -1e-8, 1e-8, 0.1, 0.5, 1.0, 1.5, 1.96,
    2.0, 2.5, 3.0, 4.0, 5.0, 5.5, 6.0, 7.0, 8.0, 8.3, 8.5,
]

# z where Phi is subnormal (below -37.519), down to where its nearest double is 0 (below
# -38.48).
SUBNORMAL_Z_VALUES = [
    -37.55, -37.6, -37.7, -37.8, -37.9, -38.0, -38.1, -38.2, -38.3, -38.4, -38.45, -38.47,
    -38.5,
]

# p over the whole accepted range, from the smallest normal double up to the largest double
# below 1, 1 - 2^-53. 1 - x is evaluated in double arithmetic, so each is the double the
# calculator receives for that decimal.
P_VALUES = [
    2.2250738585072014e-308, 1e-307, 1e-300, 1e-250, 1e-200, 1e-150, 1e-100, 1e-50, 1e-30,
    1e-20, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 3e-12, 1e-11, 3e-11, 1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5,
    1e-4, 2e-4, 1e-3, 0.0013, 0.01, 0.025, 0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9,
    0.95, 0.975, 0.99, 0.999, 0.9987, 0.9998, 1 - 1e-5, 1 - 1e-7, 1 - 1e-9, 1 - 1e-10, 1 - 1e-11,
    1 - 1e-12, 1 - 1e-13, 1 - 1e-14, 1 - 1e-15, 1 - 4 * 2.0**-53, 1 - 2 * 2.0**-53, 1 - 2.0**-53,
]

SMALLEST_NORMAL = mpf(2) ** -1022
SMALLEST_SUBNORMAL = mpf(2) ** -1074


def phi(z):
    return mpmath.ncdf(z)


def lower_quantile(p):
    """z with Phi(z) = p for 0 < p <= 0.5, by Newton's method on log Phi, tame in the tail."""
    t = mpmath.sqrt(-2 * mpmath.log(p))
    # Abramowitz and Stegun 26.2.23, good to 4.5e-4: a start from which Newton converges.
    z = -(t - (mpf("2.515517") + mpf("0.802853") * t + mpf("0.010328") * t**2) /
          (1 + mpf("1.432788") * t + mpf("0.189269") * t**2 + mpf("0.001308") * t**3))
    log_p = mpmath.log(p)
    for _ in range(100):
        cdf = mpmath.ncdf(z)
        step = (mpmath.log(cdf) - log_p) * cdf / mpmath.npdf(z)
        z -= step
        if abs(step) <= mpf(2) ** (-mp.prec + 8) * (1 + abs(z)):
            return z
    raise ArithmeticError("no quantile for p = %r" % p)


def phi_inverse(p):
    """z with Phi(z) = p for 0 < p < 1; 1 - p is exact at the working precision."""
    p = mpf(p)
    if p == mpf(1) / 2:
        return mpf(0)
    z = lower_quantile(p) if p < mpf(1) / 2 else -lower_quantile(1 - p)
    assert abs(mpmath.ncdf(z) - p) <= min(p, 1 - p) * mpf(2) ** (-mp.prec + 16)
    return z


def split(x):
    """hi, lo: doubles with hi the nearest double to x and lo the nearest to the rest."""
    hi = float(x)
    lo = float(x - mpf(hi))
    return hi, lo


def six_digits(x):
    """x as C's printf %g prints it: six significant digits, correctly rounded."""
    if x == 0:
        return "0", mpf(0)
    exponent = int(mpmath.floor(mpmath.log10(abs(x))))
    step = mpf(10) ** (exponent - 5)
    rounded = mpmath.nint(x / step) * step
    # The six-digit decimal converts to a double that %.6g prints as those same digits.
    text = "%.6g" % float(rounded)
    # Boundaries lie half a step either side of the rounded value; below a power of ten the
    # step is ten times finer.
    magnitude = abs(rounded)
    up = mpf(10) ** (int(mpmath.floor(mpmath.log10(magnitude) + mpf(10) ** -30)) - 5)
    down = up / 10 if mpmath.almosteq(magnitude, up * 10 ** 5, rel_eps=mpf(10) ** -30,
                                     abs_eps=0) else up
    margin = min(magnitude + up / 2 - abs(x), abs(x) - (magnitude - down / 2))
    assert margin >= 0
    return text, margin


def row(x, y):
    assert y == 0 or abs(y) >= SMALLEST_NORMAL
    hi, lo = split(y)
    digits, margin = six_digits(y)
    exact = mpmath.nstr(y, STORED_DIGITS, min_fixed=-5, max_fixed=5)
    return "    {%s, %s, %s, \"%s\", %s}, // %s" % (
        repr(x), repr(hi), repr(lo), digits, repr(float(margin)), exact)


def subnormal_row(x, y):
    """The nearest double to 0 <= y < 2^-1022, its digits, and the distance from y to the
    nearest midpoint between subnormals in units of 2^-1074."""
    assert 0 <= y < SMALLEST_NORMAL
    units = y / SMALLEST_SUBNORMAL
    nearest = mpmath.nint(units)
    margin = mpf(1) / 2 - abs(units - nearest)
    value = float(mpmath.ldexp(nearest, -1074))
    assert value == float(y)
    exact = mpmath.nstr(y, STORED_DIGITS)
    return "    {%s, %s, \"%.6g\", %s}, // %s" % (
        repr(x), repr(value), value, repr(float(margin)), exact)


ROW = """\
// x: the input double; value = hi + lo, the exact result to about 32 digits;
// digits: the value as printed with six significant digits (%g), correctly
// rounded; margin: the distance from the value to the nearest point where those
// digits change (0 for an exact 0, whose digits no nearby value shares).
// The comment ends each row with the value to 40 digits.
struct Row {
    double x;
    double hi;
    double lo;
    const char* digits;
    double margin;
};

"""

SUBNORMAL_ROW = """\
// x: the input double; nearest: the double nearest to the value, below the
// smallest normal double; digits: nearest printed with six significant digits
// (%g); marginUnits: the distance from the value to the nearest midpoint between
// two subnormals, in units of the smallest subnormal 2^-1074.
struct SubnormalRow {
    double x;
    double nearest;
    const char* digits;
    double marginUnits;
};

"""


def write_table(out, comment, declaration, rows):
    out.write("// %s\n" % comment)
    out.write("inline constexpr %s[] = {\n" % declaration)
    for line in rows:
        out.write(line + "\n")
    out.write("};\n\n")


def boundary(x):
    """The point nearest above |x| where its six printed digits change (a midpoint between two
    six-digit decimals), with x's sign."""
    a = abs(x)
    step = mpf(10) ** (int(mpmath.floor(mpmath.log10(a))) - 5)
    b = (mpmath.floor(a / step) + mpf(1) / 2) * step
    return b if x > 0 else -b


def doubles_beside(x):
    """The two doubles next to the real x, below and above it."""
    d = float(x)
    if mpf(d) > x:
        return math.nextafter(d, -math.inf), d
    return d, math.nextafter(d, math.inf)


# Bands of z (for p to z: of the true quantile) for the hardest inputs and the boundary scans.
# Phi prints as 1 from z = 4.892 up, and is subnormal below -37.519; near 0 the quantile's
# band is sampled log-uniformly in |z| from 1e-16, the rest uniformly.
BANDS = {
    1: [(-37.5, -8.5), (-8.5, -5.0), (-5.0, -3.0), (-3.0, -0.01), (-0.01, 0.01), (0.01, 3.0),
        (3.0, 4.89)],
    2: [(-37.5, -8.5), (-8.5, -5.0), (-5.0, -3.0), (-3.0, -0.01), (-0.01, 0.01), (0.01, 3.0),
        (3.0, 5.0), (5.0, 8.2)],
}


def band_sample(rng, lo, hi, choice):
    """A random z in the band [lo, hi]."""
    if choice == 2 and (lo, hi) == (-0.01, 0.01):
        return rng.choice((-1, 1)) * mpf(10) ** rng.uniform(-16, -2)
    return mpf(rng.uniform(lo, hi))


def hardest(choice, lo, hi, count, rng):
    """For count boundaries in the band, the two input doubles beside the exact preimage of
    each, with their true answers: [(x, value)]."""
    rows = []
    while len(rows) < 2 * count:
        z = band_sample(rng, lo, hi, choice)
        if choice == 1:
            edge = boundary(phi(z))
            rows += [(x, phi(mpf(x))) for x in doubles_beside(phi_inverse(edge))]
        else:
            edge = boundary(z)
            rows += [(x, phi_inverse(x)) for x in doubles_beside(phi(edge)) if 0 < x < 1]
    return rows


HARDEST_PER_BAND = 20
HARDEST_ROW = """\
// x: the input double, one of the two beside the exact preimage of a point where the six
// printed digits change; digits: the true value's six digits (%g), correctly rounded; value:
// the true value to 40 digits.
struct HardestRow {
    double x;
    const char* digits;
    const char* value;
};

"""


def write_hardest(out):
    out.write("// The hardest inputs to print right: the doubles beside the preimages of points\n")
    out.write("// where the six printed digits change, %d boundaries a band, both directions.\n" %
              HARDEST_PER_BAND)
    out.write("// Generated by `python3 tools/reference.py --hardest > tests/HardestInputs.h`\n")
    out.write("// (Python 3, mpmath %s, 60-digit working precision); do not edit by hand.\n" %
              mpmath.__version__)
    out.write("#pragma once\n\nnamespace hardest {\n\n")
    out.write(HARDEST_ROW)
    rng = random.Random(20)
    for choice, name, what in ((1, "cdf", "Phi(z)"), (2, "cdfInverse", "z with Phi(z) = p")):
        out.write("// %s, band by band of z.\ninline constexpr HardestRow %s[] = {\n" % (what, name))
        for lo, hi in BANDS[choice]:
            out.write("    // z in [%g, %g]\n" % (lo, hi))
            for x, value in hardest(choice, lo, hi, HARDEST_PER_BAND, rng):
                digits, _ = six_digits(value)
                out.write("    {%r, \"%s\", \"%s\"},\n" % (
                    x, digits, mpmath.nstr(value, STORED_DIGITS, min_fixed=-5, max_fixed=5)))
        out.write("};\n\n")
    out.write("} // namespace hardest\n")


def main():
    out = sys.stdout
    if "--hardest" in sys.argv[1:]:
        write_hardest(out)
        return
    out.write("// Phi(z) and its inverse to 40 significant digits, for the accuracy tests.\n")
    out.write("// Generated by `python3 tools/reference.py > tests/NormalReference.h` (Python 3,\n")
    out.write("// mpmath %s, 60-digit working precision); do not edit by hand.\n" %
              mpmath.__version__)
    out.write("#pragma once\n\n")
    out.write("namespace reference {\n\n")
    out.write(ROW)
    write_table(out, "Phi(z) = P(Z <= z) = erfc(-z/sqrt 2)/2 (mpmath.ncdf).", "Row cdf",
                [row(z, phi(mpf(z))) for z in Z_VALUES])
    out.write(SUBNORMAL_ROW)
    write_table(out, "Phi(z) where it is subnormal.", "SubnormalRow cdfSubnormal",
                [subnormal_row(z, phi(mpf(z))) for z in SUBNORMAL_Z_VALUES])
    write_table(out, "z with Phi(z) = p (root of log mpmath.ncdf by Newton's method).",
                "Row cdfInverse", [row(p, phi_inverse(p)) for p in map(float, P_VALUES)])
    out.write("} // namespace reference\n")


if __name__ == "__main__":
    main()

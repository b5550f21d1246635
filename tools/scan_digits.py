#!/usr/bin/env python3
"""Finds where the calculator's six printed digits stop being the true ones.

Usage (from the project root, after a build):  python3 tools/scan_digits.py [build/default/normcalc]

Feeds the calculator z on a grid of step 0.001 over [-8.5, 8.5] and p on a grid of 50 points a
decade from 1e-15 to 1e-3 and from 1 - 1e-3 to 1 - 1e-15, compares every printed result with
the true value rounded to six digits (mpmath, 30 digits), and reports the mismatches nearest to
the centre: beyond them, towards the centre, every grid point prints the true digits.
"""

import subprocess
import sys

import mpmath
from mpmath import mp, mpf

mp.dps = 30


def six_digits(x):
    if x == 0:
        return "0"
    exponent = int(mpmath.floor(mpmath.log10(abs(x))))
    step = mpf(10) ** (exponent - 5)
    return "%.6g" % float(mpmath.nint(x / step) * step)


def run(exe, queries):
    """Answers of the calculator, in order, to (choice, value) queries."""
    text = "".join("%d %r\n" % q for q in queries) + "9\n"
    out = subprocess.run([exe], input=text.encode(), stdout=subprocess.PIPE, check=True).stdout
    answers = []
    for line in out.decode("cp932").splitlines():
        for prefix in ("z = p = ", "p = z = "):
            if line.startswith(prefix):
                answers.append(line[len(prefix):])
    assert len(answers) == len(queries), (len(answers), len(queries))
    return answers


def quantile(p):
    start = -mpmath.sqrt(2) * mpmath.erfinv(1 - 2 * mpf(p))
    return mpmath.findroot(lambda x: mpmath.ncdf(x) - mpf(p), start)


def main():
    exe = sys.argv[1] if len(sys.argv) > 1 else "build/default/normcalc"

    zs = [round(-8.5 + 0.001 * i, 3) for i in range(17001)]
    printed = run(exe, [(1, z) for z in zs])
    wrong = [z for z, got in zip(zs, printed) if got != six_digits(mpmath.ncdf(mpf(z)))]
    print("z grid: %d points, %d print other digits than the true ones" % (len(zs), len(wrong)))
    below = [z for z in wrong if z < 0]
    above = [z for z in wrong if z > 0]
    print("  highest such z below 0: %s" % (max(below) if below else "none"))
    print("  lowest such z above 0: %s" % (min(above) if above else "none"))

    lows = [10.0 ** (-3 - k / 50) for k in range(601)]
    highs = [1.0 - q for q in lows]
    ps = lows + highs
    printed = run(exe, [(2, p) for p in ps])
    wrong = [p for p, got in zip(ps, printed) if got != six_digits(quantile(p))]
    print("p grid: %d points, %d print other digits than the true ones" % (len(ps), len(wrong)))
    low = [p for p in wrong if p < 0.5]
    high = [p for p in wrong if p > 0.5]
    print("  largest such p below 0.5: %r" % (max(low) if low else None))
    print("  smallest such p above 0.5: %r (1 - %.3g)" % (
        (min(high), 1 - min(high)) if high else (None, 0)))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Scans the calculator's printed digits over the whole range of z and of p.

Usage (from the project root, after a build):
    python3 tools/scan_digits.py [build/default/normcalc]
    python3 tools/scan_digits.py --boundaries [build/default/normcalc]

Feeds the calculator, as one batch file each, z on a grid of step 0.001 over [-38.5, 9] and p on
a grid of 100 points a decade from 1e-307 to 0.5, the same for 1 - p down to 1e-16, the 16
doubles from 1 - 2^-53 down to 1 - 16 * 2^-53, and p from 0.001 to 0.999 in steps of 0.001.
Every printed answer is compared with the six digits of the nearest double to the true value
(mpmath, 30 digits; for a subnormal Phi those are the digits other tools print), and the scan
reports the answers with other digits (or a message instead of a number), the negative
probabilities, and the answers that go backwards as the input grows. A correct build reports
none of each, and the script then exits with status 0.

With --boundaries it feeds inputs whose true answer lies a relative 1e-12 beside a point where
the six printed digits change (between 0.5e-12 and 2e-12, on either side, half of them each),
600 a band, chosen by a fixed seed over the bands of z in BANDS: the hardest inputs for a
computation whose relative error stays below 5e-13, which prints every one of them right. It
reports the wrong answers of each band; for p to z, inputs near 1 whose doubles lie too far
apart to reach that close to a boundary are left out and counted.
"""

import os
import random
import subprocess
import sys
import tempfile

import mpmath
from mpmath import mp, mpf

from reference import phi_inverse

mp.dps = 30


def expected(x):
    """x as the calculator would print the nearest double to it: six significant digits."""
    return "%.6g" % float(x)


def run(exe, queries):
    """Answers of the calculator, in order, to (choice, value) queries, read from a file."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as batch:
        batch.write("".join("%d %r\n" % q for q in queries) + "9\n")
    try:
        with open(batch.name, "rb") as source:
            out = subprocess.run([exe], stdin=source, stdout=subprocess.PIPE, check=True).stdout
    finally:
        os.unlink(batch.name)
    # Each query leaves one line after its prompt: the result after its label, or a message.
    answers = []
    for line in out.decode("cp932").splitlines():
        if line.startswith(("z = ", "p = ")):
            answer = line[len("z = "):]
            answers.append(answer[len("p = "):] if answer.startswith(("p = ", "z = ")) else answer)
    assert len(answers) == len(queries), (len(answers), len(queries))
    return answers


def number(text):
    """The printed number, or None for a message."""
    try:
        return float(text)
    except ValueError:
        return None


def report(name, inputs, printed, truth, probability):
    wrong = [(x, got, want) for x, got, want in zip(inputs, printed, truth) if got != want]
    answered = [(x, number(got)) for x, got in zip(inputs, printed) if number(got) is not None]
    negative = [x for x, v in answered if probability and v < 0]
    backwards = [(answered[i][0], answered[i + 1][0]) for i in range(len(answered) - 1)
                 if answered[i + 1][1] < answered[i][1]]
    print("%s: %d inputs from %r to %r" % (name, len(inputs), inputs[0], inputs[-1]))
    print("  other digits than the true ones, or no number: %d" % len(wrong))
    for x, got, want in wrong[:10]:
        print("    %r prints %s, true %s" % (x, got, want))
    if probability:
        print("  negative probabilities: %d" % len(negative))
    print("  answers that go backwards as the input grows: %d" % len(backwards))
    for a, b in backwards[:10]:
        print("    from %r to %r" % (a, b))
    return len(wrong) + len(negative) + len(backwards)


# Bands of z (for p to z: of the true quantile) for the boundary scan. Phi prints as 1 from
# z = 4.892 up, and is subnormal below -37.519.
BANDS = {
    1: [(-37.5, -5.0), (-5.0, -3.0), (-3.0, 3.0), (3.0, 4.89)],
    2: [(-37.5, -5.0), (-5.0, -3.0), (-3.0, 3.0), (3.0, 5.0), (5.0, 8.2)],
}
PER_BAND = 600
NEAR = mpf("1e-12")             # the target distance from a boundary, relative
WINDOW = (mpf("0.5e-12"), mpf("2e-12"))


def boundary(x):
    """The point nearest to x where its six printed digits change (a midpoint between two
    six-digit decimals), with x's sign."""
    a = abs(x)
    step = mpf(10) ** (int(mpmath.floor(mpmath.log10(a))) - 5)
    b = (mpmath.floor(a / step) + mpf(1) / 2) * step
    return b if x > 0 else -b


def within(value, edge, side):
    """Whether value lies beside edge, on side (+1 away from 0, -1 towards it), by a relative
    distance inside WINDOW."""
    d = side * (abs(value) - abs(edge)) / abs(edge)
    return WINDOW[0] <= d <= WINDOW[1]


def z_beside(edge, side):
    """A double z whose Phi lies beside the boundary edge, or None."""
    z = float(phi_inverse(edge * (1 + side * NEAR)))
    for candidate in (z, float(mpmath.mpf(z) * (1 + mpf(2) ** -52)),
                      float(mpmath.mpf(z) * (1 - mpf(2) ** -52))):
        if within(mpmath.ncdf(mpf(candidate)), edge, side):
            return candidate
    return None


def p_beside(edge, side):
    """A double p whose quantile lies beside the boundary edge, or None: the doubles near 1
    can be too far apart to have one there."""
    ends = sorted(mpmath.ncdf(edge * (1 + side * w)) for w in WINDOW)
    p = float(mpmath.ncdf(edge * (1 + side * NEAR)))
    ulp = mpf(2) ** (mpmath.floor(mpmath.log(p, 2)) - 52)
    for candidate in (p, float(p + ulp), float(p - ulp)):
        if ends[0] <= candidate <= ends[1] and 0 < candidate < 1:
            return candidate
    return None


def beside_boundaries(choice, seed=15):
    """For each band: (inputs, the six digits of their true answers, count left out)."""
    rng = random.Random(seed)
    for lo, hi in BANDS[choice]:
        inputs, truth, left_out = [], [], 0
        for k in range(PER_BAND):
            side = 1 if k % 2 == 0 else -1
            z = mpf(rng.uniform(lo, hi))
            if choice == 1:
                edge = boundary(mpmath.ncdf(z))
                x = z_beside(edge, side)
                answer = None if x is None else mpmath.ncdf(mpf(x))
            else:
                edge = boundary(z)
                x = p_beside(edge, side)
                answer = edge * (1 + side * NEAR)
            if x is None:
                left_out += 1
                continue
            inputs.append(x)
            truth.append(expected(answer))
        yield (lo, hi), inputs, truth, left_out


def scan_boundaries(exe):
    faults = 0
    for choice, name in ((1, "z to p"), (2, "p to z")):
        for (lo, hi), inputs, truth, left_out in beside_boundaries(choice):
            printed = run(exe, [(choice, x) for x in inputs])
            wrong = [(x, got, want) for x, got, want in zip(inputs, printed, truth)
                     if got != want]
            print("%s, z in [%g, %g]: %d inputs, %d wrong%s" % (
                name, lo, hi, len(inputs), len(wrong),
                ", %d left out" % left_out if left_out else ""))
            for x, got, want in wrong[:5]:
                print("    %r prints %s, true %s" % (x, got, want))
            faults += len(wrong)
    print("wrong in all: %d" % faults)
    return 1 if faults else 0


def main():
    args = sys.argv[1:]
    boundaries = "--boundaries" in args
    args = [a for a in args if a != "--boundaries"]
    exe = args[0] if args else "build/default/normcalc"
    if boundaries:
        return scan_boundaries(exe)

    zs = [round(-38.5 + 0.001 * i, 3) for i in range(47501)]
    faults = report("z to p", zs, run(exe, [(1, z) for z in zs]),
                    [expected(mpmath.ncdf(mpf(z))) for z in zs], True)

    lows = [10.0 ** (-307 + k / 100) for k in range(30670)]
    highs = sorted(1.0 - 10.0 ** (-16 + k / 100) for k in range(1570))
    ulps = [1.0 - m * 2.0 ** -53 for m in range(16, 0, -1)]
    centre = [round(0.001 * k, 3) for k in range(1, 1000)]
    ps = sorted(set(lows + [0.5] + highs + ulps + centre))
    faults += report("p to z", ps, run(exe, [(2, p) for p in ps]),
                     [expected(phi_inverse(p)) for p in ps], False)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

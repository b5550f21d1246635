#!/usr/bin/env python3
"""Scans the calculator's printed digits over the whole range of z and of p.

Usage (from the project root, after a build):
    python3 tools/scan_digits.py [build/default/normcalc]
    python3 tools/scan_digits.py --boundaries [--near D] [build/default/normcalc]
    python3 tools/scan_digits.py --hardest [build/default/normcalc]

Feeds the calculator, as one batch file each, z on a grid of step 0.001 over [-38.5, 9] and p on
a grid of 100 points a decade from 1e-307 to 0.5, the same for 1 - p down to 1e-16, the 16
doubles from 1 - 2^-53 down to 1 - 16 * 2^-53, and p from 0.001 to 0.999 in steps of 0.001.
Every printed answer is compared with the six digits of the nearest double to the true value
(mpmath, 30 digits; for a subnormal Phi those are the digits other tools print), and the scan
reports the answers with other digits (or a message instead of a number), the negative
probabilities, and the answers that go backwards as the input grows. A correct build reports
none of each, and the script then exits with status 0.

With --boundaries it feeds inputs whose true answer lies a relative D (1e-12 unless --near
gives another) beside a point where the six printed digits change (between D/2 and 2D, on
either side, half of them each), 600 a band, chosen by a fixed seed (--seed N, 15 unless
given) over the bands of z in reference.BANDS. It reports the wrong answers of each band; for
p to z, inputs near 1 whose doubles lie too far apart to reach that close to a boundary are
left out and counted.

With --hardest it feeds, for 200 boundaries a band (the same bands and seed), the two doubles
beside the exact preimage of each boundary, whose true answers lie some 1e-16 to 1e-20 beside
it: no computation that prints a double correctly rounded gets them all right, only one that
decides the digits themselves.
"""

import os
import random
import subprocess
import sys
import tempfile

import mpmath
from mpmath import mp, mpf

from reference import BANDS, boundary, hardest, phi_inverse, six_digits

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


PER_BAND = 600
HARDEST_PER_BAND = 200


def within(value, edge, side, near):
    """Whether value lies beside edge, on side (+1 away from 0, -1 towards it), by a relative
    distance between near/2 and 2 near."""
    d = side * (abs(value) - abs(edge)) / abs(edge)
    return near / 2 <= d <= 2 * near


def z_beside(edge, side, near):
    """A double z whose Phi lies beside the boundary edge, or None."""
    z = float(phi_inverse(edge * (1 + side * near)))
    for candidate in (z, float(mpmath.mpf(z) * (1 + mpf(2) ** -52)),
                      float(mpmath.mpf(z) * (1 - mpf(2) ** -52))):
        if within(mpmath.ncdf(mpf(candidate)), edge, side, near):
            return candidate
    return None


def p_beside(edge, side, near):
    """A double p whose quantile lies beside the boundary edge, or None: the doubles near 1
    can be too far apart to have one there."""
    ends = sorted(mpmath.ncdf(edge * (1 + side * w)) for w in (near / 2, 2 * near))
    p = float(mpmath.ncdf(edge * (1 + side * near)))
    ulp = mpf(2) ** (mpmath.floor(mpmath.log(p, 2)) - 52)
    for candidate in (p, float(p + ulp), float(p - ulp)):
        if ends[0] <= candidate <= ends[1] and 0 < candidate < 1:
            return candidate
    return None


def beside_boundaries(choice, near, seed):
    """For each band: (inputs, the six digits of their true answers, count left out)."""
    rng = random.Random(seed)
    for lo, hi in BANDS[choice]:
        inputs, truth, left_out = [], [], 0
        for k in range(PER_BAND):
            side = 1 if k % 2 == 0 else -1
            z = mpf(rng.uniform(lo, hi))
            if choice == 1:
                edge = boundary(mpmath.ncdf(z))
                x = z_beside(edge, side, near)
                answer = None if x is None else mpmath.ncdf(mpf(x))
            else:
                edge = boundary(z)
                x = p_beside(edge, side, near)
                answer = edge * (1 + side * near)
            if x is None:
                left_out += 1
                continue
            inputs.append(x)
            truth.append(six_digits(answer)[0])
        yield (lo, hi), inputs, truth, left_out


def beside_preimages(choice, seed):
    """For each band: (inputs, the six digits of their true answers, 0): the hardest inputs."""
    rng = random.Random(seed)
    for lo, hi in BANDS[choice]:
        rows = hardest(choice, lo, hi, HARDEST_PER_BAND, rng)
        yield (lo, hi), [x for x, _ in rows], [six_digits(v)[0] for _, v in rows], 0


def scan_boundaries(exe, sets):
    faults = 0
    for choice, name in ((1, "z to p"), (2, "p to z")):
        for (lo, hi), inputs, truth, left_out in sets(choice):
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
    def option(name, default):
        if name not in args:
            return default
        i = args.index(name)
        value = args[i + 1]
        del args[i:i + 2]
        return value

    near = mpf(option("--near", "1e-12"))
    seed = int(option("--seed", "15"))
    boundaries = "--boundaries" in args
    preimages = "--hardest" in args
    args = [a for a in args if a not in ("--boundaries", "--hardest")]
    exe = args[0] if args else "build/default/normcalc"
    if boundaries:
        return scan_boundaries(exe, lambda choice: beside_boundaries(choice, near, seed))
    if preimages:
        mp.dps = 60
        return scan_boundaries(exe, lambda choice: beside_preimages(choice, seed))

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

#!/usr/bin/env python3
"""Scans the calculator's printed digits over the whole range of z and of p.

Usage (from the project root, after a build):  python3 tools/scan_digits.py [build/default/normcalc]

Feeds the calculator, as one batch file each, z on a grid of step 0.001 over [-38.5, 9] and p on
a grid of 100 points a decade from 1e-307 to 0.5, the same for 1 - p down to 1e-16, the 16
doubles from 1 - 2^-53 down to 1 - 16 * 2^-53, and p from 0.001 to 0.999 in steps of 0.001.
Every printed answer is compared with the six digits of the nearest double to the true value
(mpmath, 30 digits; for a subnormal Phi those are the digits other tools print), and the scan
reports the answers with other digits (or a message instead of a number), the negative
probabilities, and the answers that go backwards as the input grows. A correct build reports
none of each, and the script then exits with status 0.
"""

import os
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


def main():
    exe = sys.argv[1] if len(sys.argv) > 1 else "build/default/normcalc"

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

#!/usr/bin/env python3
"""Measures the accurate Phi's relative error against mpmath (50 digits), band by band.

Usage (from the project root, after `cmake --workflow --preset bench`):
    python3 tools/accurate_error.py [build/bench/accurate_cdf] [SEEDS]

For each of SEEDS seeds (5 unless given) it draws 3,000 z uniformly in [-37.5, 8.3], 1,000 in
[-3.2, 3.2] and 300 in [-1e-3, 1e-3], adds the joins of the forms, and reports the largest
relative error of each form's own part: the lower tail below -3, the integral from 0 to z for
|z| <= 3, the upper tail above 3.
"""

import random
import subprocess
import sys

import mpmath
from mpmath import mp, mpf

mp.dps = 50


def main():
    exe = sys.argv[1] if len(sys.argv) > 1 else "build/bench/accurate_cdf"
    seeds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    worst = {}
    count = 0
    for seed in range(1, seeds + 1):
        rng = random.Random(seed)
        zs = ([rng.uniform(-37.5, 8.3) for _ in range(3000)] +
              [rng.uniform(-3.2, 3.2) for _ in range(1000)] +
              [rng.uniform(-1e-3, 1e-3) for _ in range(300)] +
              [-37.5, -3.0, 3.0, -2.9999999999999996, 3.0000000000000004, -1e-17])
        out = subprocess.run([exe], input="".join("%r\n" % z for z in zs), check=True,
                             stdout=subprocess.PIPE, text=True).stdout
        for line in out.splitlines():
            z, hi, lo, scale = line.split()
            z = float.fromhex(z)
            part = (mpf(float.fromhex(hi)) + mpf(float.fromhex(lo))) * mpf(2) ** -int(scale)
            if z < -3:
                band, true = "tail, z < -20" if z < -20 else "tail, -20 <= z < -3", mpmath.ncdf(z)
            elif z > 3:
                band, true = "upper tail, 3 < z", mpmath.ncdf(z) - 1
            else:
                band, true = "integral, |z| <= 3", mpmath.ncdf(z) - mpf(1) / 2
            error = abs(part - true) / abs(true)
            count += 1
            if error > worst.get(band, (0, 0))[0]:
                worst[band] = (error, z)
    print("%d z" % count)
    for band in sorted(worst):
        print("  %s: largest relative error %.2g (z = %r)" % (band, worst[band][0], worst[band][1]))


if __name__ == "__main__":
    main()

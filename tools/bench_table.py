#!/usr/bin/env python3
"""Turns a normal_benchmark JSON report into the Markdown table of medians in docs/performance.md.

Usage:  build/bench/normal_benchmark --benchmark_repetitions=5 \\
            --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true \\
            --benchmark_out=bench.json --benchmark_out_format=json
        python3 tools/bench_table.py bench.json

Times are the medians of the CPU time per call; each case is shown with its exp floor and its
closed-form reference (erfc; for the inverse, the same search with every Phi by erfc), and the
ratio to the floor also from the fastest repetitions, which a busy neighbour disturbs least.
"""

import json
import sys


def fmt(ns):
    if ns >= 10000:
        return "%.0f µs" % (ns / 1000) if ns >= 100000 else "%.1f µs" % (ns / 1000)
    return "%.0f ns" % ns if ns >= 100 else "%.1f ns" % ns


def main():
    report = json.load(open(sys.argv[1]))
    stats = {"median": {}, "min": {}}
    calls = {}
    order = {}
    for b in report["benchmarks"]:
        name = b["run_name"]
        order.setdefault(name, b["family_index"])
        if b.get("aggregate_name") in stats:
            stats[b["aggregate_name"]][name] = b["cpu_time"]
            if "exp_calls" in b:
                calls[name] = b["exp_calls"]
    median, fastest = stats["median"], stats["min"]
    cases = sorted((n for n in median if "/" not in n), key=order.get)
    print("| call | exp calls | time | exp floor | × floor | × floor, fastest runs "
          "| closed form | × closed form |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for name in cases:
        floor = name + "/expFloor"
        closed = name + ("/erfcSearch" if name.startswith("PhiInverse") else "/erfc")
        t = median[name]
        print("| %s | %d | %s | %s | %.2f | %.2f | %s | %.0f |" % (
            name.replace("PhiInverse", "Φ⁻¹").replace("Phi", "Φ"), calls[floor], fmt(t),
            fmt(median[floor]), t / median[floor], fastest[name] / fastest[floor],
            fmt(median[closed]), t / median[closed]))


if __name__ == "__main__":
    main()

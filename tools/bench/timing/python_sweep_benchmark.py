#!/usr/bin/env python3
"""A sweep loaded on one thread against the same sweep on two, in one Python process.

Each round loads every case's file of the sweep with convergeout.load_sweep(...).datasets, once
with workers=1 and once with workers=2, in an order that turns, after a warm-up of each; the
datasets are freed outside the timing. The first round's values of the two are compared array
by array. Prints the medians with their ranges and the median of the rounds' ratios.

    tools/bench/timing/python_sweep_benchmark.py [--rounds N] [--workers N] SWEEP_FOLDER FILE

SWEEP_FOLDER holds one folder per case, each with FILE in it. Run it with the package importable
(PYTHONPATH=build/bench/python). scripts/bench.sh --python generates a sweep of 200 cases and
runs it.
"""

import argparse
import gc
import os
import statistics
import time

import numpy as np

import convergeout


def timed_sweep(folder, file, workers):
    sweep = convergeout.load_sweep(os.path.join(folder, "*"), file, workers=workers)
    start = time.perf_counter()
    datasets = sweep.datasets
    seconds = time.perf_counter() - start
    if sweep.refused:
        raise SystemExit(f"cases refused: {sweep.refused}")
    return seconds, datasets


def same_values(left, right):
    if list(left) != list(right):
        return False
    for case in left:
        for a, b in zip(left[case], right[case]):
            if list(a) != list(b):
                return False
            for x, y in zip(a.values(), b.values()):
                if x.dtype != y.dtype or not np.array_equal(x.view(np.uint8), y.view(np.uint8)):
                    return False
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("file")
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--workers", type=int, default=2)
    args = parser.parse_args()
    cases = sorted(os.listdir(args.folder))
    total = sum(os.path.getsize(os.path.join(args.folder, c, args.file)) for c in cases)
    print(f"== sweep of {len(cases)} cases, {total / 1e6:.0f} MB of {args.file} "
          f"(load average {' '.join(open('/proc/loadavg').read().split()[:3])})")
    sides = (1, args.workers)
    _, one = timed_sweep(args.folder, args.file, sides[0])
    _, many = timed_sweep(args.folder, args.file, sides[1])
    print(f"  values identical with {sides[0]} and {sides[1]} workers: {same_values(one, many)}")
    del one, many
    gc.collect()
    times = {side: [] for side in sides}
    for i in range(args.rounds):
        for side in (sides if i % 2 == 0 else sides[::-1]):
            seconds, datasets = timed_sweep(args.folder, args.file, side)
            times[side].append(seconds)
            del datasets
            gc.collect()
    for side, series in times.items():
        median = statistics.median(series)
        print(f"  workers={side}: median {median:.3f} s (range {min(series):.3f} to "
              f"{max(series):.3f}), {total / median / 1e6:.0f} MB/s")
    ratios = [a / b for a, b in zip(times[sides[0]], times[sides[1]])]
    print(f"  workers={sides[0]} / workers={sides[1]}: median of {len(ratios)} rounds "
          f"{statistics.median(ratios):.2f} (range {min(ratios):.2f} to {max(ratios):.2f})")
    print(f"  load average after: {' '.join(open('/proc/loadavg').read().split()[:3])}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""A sweep loaded on one thread against the same sweep on two, one Python process per load.

Each round starts one Python process per side (workers=1, workers=2; the order turns each round);
each imports convergeout, loads every case's file of the sweep once with
convergeout.load_sweep(..., workers=N).datasets, timed around that call alone, and reports the
seconds, as a user's script that loads a sweep runs. Before the rounds, one process loads the
sweep both ways and compares the values array by array. Prints the medians with their ranges and
the median of the rounds' ratios.

    tools/bench/timing/python_sweep_benchmark.py [--rounds N] [--workers N] SWEEP_FOLDER FILE

SWEEP_FOLDER holds one folder per case, each with FILE in it. Run it with the package importable
(PYTHONPATH=build/bench/python). scripts/bench.sh --python generates a sweep of 200 cases and
runs it.
"""

import argparse
import gc
import os
import statistics
import subprocess
import sys
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


def child(folder, file, workers):
    """In this (fresh) process: the seconds of one load of the sweep."""
    print(timed_sweep(folder, file, workers)[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("file")
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--child", type=int, help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.child:
        child(args.folder, args.file, args.child)
        return
    cases = sorted(os.listdir(args.folder))
    total = sum(os.path.getsize(os.path.join(args.folder, c, args.file)) for c in cases)
    load = lambda: " ".join(open("/proc/loadavg").read().split()[:3])
    print(f"== sweep of {len(cases)} cases, {total / 1e6:.0f} MB of {args.file}, a Python "
          f"process per load (load average {load()})")
    sides = (1, args.workers)
    _, one = timed_sweep(args.folder, args.file, sides[0])
    _, many = timed_sweep(args.folder, args.file, sides[1])
    print(f"  values identical with {sides[0]} and {sides[1]} workers: {same_values(one, many)}")
    del one, many
    gc.collect()
    times = {side: [] for side in sides}
    for i in range(args.rounds):
        for side in (sides if i % 2 == 0 else sides[::-1]):
            run = subprocess.run([sys.executable, os.path.abspath(__file__), "--child", str(side),
                                  args.folder, args.file], capture_output=True, text=True,
                                 check=True)
            times[side].append(float(run.stdout))
    for side, series in times.items():
        median = statistics.median(series)
        print(f"  workers={side}: median {median:.3f} s (range {min(series):.3f} to "
              f"{max(series):.3f}), {total / median / 1e6:.0f} MB/s")
    ratios = [a / b for a, b in zip(times[sides[0]], times[sides[1]])]
    print(f"  workers={sides[0]} / workers={sides[1]}: median of {len(ratios)} rounds "
          f"{statistics.median(ratios):.2f} (range {min(ratios):.2f} to {max(ratios):.2f})")
    print(f"  load average after: {load()}")


if __name__ == "__main__":
    main()

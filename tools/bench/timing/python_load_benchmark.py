#!/usr/bin/env python3
"""The Python package's speed and memory, in one Python process per measurement.

Speed, per file: convergeout.load, numpy.loadtxt and pandas.read_csv(delim_whitespace=True),
each once per round in an order that turns, for --rounds rounds (11 by default) after a warm-up; every result is freed outside the
timing. Figures are medians with the range of the rounds, ratios medians of the rounds' ratios.

Memory, per file, each in a fresh process: the rise of the peak RSS (VmHWM) over a load,
against the bytes of the values the load holds, and what Zone.to_pandas() (a copy) and
Dataset.to_pandas() add on top of it.

    tools/bench/timing/python_load_benchmark.py [--rounds N] FILE...

Run it with the package importable (PYTHONPATH=build/bench/python, or an installed package).
scripts/bench.sh --python builds, generates the two 100 MB files and runs it.
"""

import argparse
import gc
import json
import os
import statistics
import subprocess
import sys
import time

import numpy as np

import convergeout


def timed(call):
    start = time.perf_counter()
    result = call()
    return time.perf_counter() - start, result


def load_seconds(path):
    seconds, dataset = timed(lambda: convergeout.load(path))
    del dataset  # freed outside the timing
    gc.collect()
    return seconds


def speed(path, rounds):
    """Each round runs the three once, back to back, in an order that turns, so that what the
    machine does besides falls on all of them alike."""
    import pandas  # imported before the first round, so that no round pays for it

    sides = {
        "load": lambda: load_seconds(path),
        "numpy.loadtxt": lambda: timed(lambda: np.loadtxt(path, comments="#"))[0],
        "pandas.read_csv": lambda: timed(lambda: pandas.read_csv(
            path, delim_whitespace=True, comment="#", header=None))[0],
    }
    sides["load"]()  # warm-up: page cache, the add-on's first use
    times = {name: [] for name in sides}
    names = list(sides)
    for i in range(rounds):
        for name in names[i % len(names):] + names[:i % len(names)]:
            times[name].append(sides[name]())
            gc.collect()
    return times
def peak_rss_bytes():
    """This process's peak resident set since it started its program (VmHWM). ru_maxrss would
    not do: after fork and exec it starts at the parent's resident set."""
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    raise RuntimeError("no VmHWM in /proc/self/status")


def memory(path, what):
    """In this (fresh) process: how much the peak RSS rises over one load, or over what
    to_pandas() adds after it ("zone": zone 1's frame, a copy; "dataset": all zones)."""
    import pandas  # noqa: F401  imported before the first reading, as a user would have it
    convergeout.load(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "examples",
                                  "engine_cycle.out"))
    before = peak_rss_bytes()
    dataset = convergeout.load(path)
    after_load = peak_rss_bytes()
    arrays = {id(a): a for zone in dataset for a in zone.values()}
    result = {"values": sum(a.nbytes for a in arrays.values()), "rise": after_load - before}
    if what != "load":
        frame = dataset.zone(1).to_pandas() if what == "zone" else dataset.to_pandas()
        result["rise"] = peak_rss_bytes() - after_load
        result["frame"] = int(frame.memory_usage(index=True).sum())
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--rounds", type=int, default=11)
    # A child's measurement: --memory-of load|zone|dataset FILE
    parser.add_argument("--memory-of", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.memory_of:
        print(json.dumps(memory(args.files[0], args.memory_of)))
        return
    mb = 1e6
    for path in args.files:
        size = os.path.getsize(path)
        print(f"== {path} ({size / mb:.0f} MB)")
        times = speed(path, args.rounds)
        for name, series in times.items():
            print(f"  {name:16} median {statistics.median(series):7.3f} s "
                  f"(range {min(series):.3f} to {max(series):.3f})  "
                  f"{size / statistics.median(series) / mb:5.0f} MB/s")
        for slow, fast in (("numpy.loadtxt", "load"), ("pandas.read_csv", "load")):
            ratios = [a / b for a, b in zip(times[slow], times[fast])]
            print(f"  {slow} / {fast}: median of {len(ratios)} rounds "
                  f"{statistics.median(ratios):.2f} (range {min(ratios):.2f} to {max(ratios):.2f})")
        rise = {}
        for what in ("load", "zone", "dataset"):
            child = subprocess.run([sys.executable, os.path.abspath(__file__), "--memory-of",
                                    what, path], capture_output=True, text=True, check=True)
            rise[what] = json.loads(child.stdout)
        load = rise["load"]
        print(f"  peak RSS rise of load: {load['rise'] / mb:.1f} MB for {load['values'] / mb:.1f} "
              f"MB of values ({(load['rise'] - load['values']) / mb:+.1f} MB beyond them)")
        for what, name in (("zone", "Zone.to_pandas() of zone 1"),
                           ("dataset", "Dataset.to_pandas()")):
            print(f"  {name} adds {rise[what]['rise'] / mb:.1f} MB to the peak "
                  f"(its frame holds {rise[what]['frame'] / mb:.1f} MB)")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The Python package's speed and memory, in one Python process per measurement.

Speed, per file: convergeout.load, numpy.loadtxt and pandas.read_csv(delim_whitespace=True),
each once per round in an order that turns, for --rounds rounds (11 by default) after a warm-up; every result is freed outside the
timing. Figures are medians with the range of the rounds, ratios medians of the rounds' ratios.

Memory, per file, each in a fresh process: the rise of the peak RSS (VmHWM) over a load,
against the bytes of the values the load holds, and what Zone.to_pandas() (a copy) and
Dataset.to_pandas() add on top of it.

    tools/bench/timing/python_load_benchmark.py [--rounds N] FILE...

A case of files (--case), loaded one after another by convergeout.load on one thread, as a
user's script loads a case: each round starts one Python process per package (this one, and the
one on --baseline-path), which imports it, loads every file once for a warm-up and once timed,
and reports the timed seconds; the two alternate, first one then the other, round by round.

    tools/bench/timing/python_load_benchmark.py --case [--baseline-path DIR] [--rounds N] FILE...

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


def case_seconds(files):
    """In this (fresh) process: every file loaded once as a warm-up, then once timed."""
    for path in files:
        convergeout.load(path)
    gc.collect()
    start = time.perf_counter()
    for path in files:
        dataset = convergeout.load(path)
        del dataset
    return time.perf_counter() - start


def case(files, rounds, baseline_path):
    """The case loaded by this package and by the one on baseline_path, alternating by round."""
    here = os.environ.get("PYTHONPATH", "")
    sides = {"load": here}
    if baseline_path:
        sides["baseline"] = baseline_path
    total = sum(os.path.getsize(f) for f in files)
    print(f"== a case of {len(files)} files, {total / 1e6:.0f} MB, loaded one after another "
          f"(load average {' '.join(open('/proc/loadavg').read().split()[:3])})")
    times = {name: [] for name in sides}
    names = list(sides)
    for i in range(rounds):
        for name in names[i % len(names):] + names[:i % len(names)]:
            child = subprocess.run([sys.executable, os.path.abspath(__file__), "--case-child",
                                    *files], capture_output=True, text=True, check=True,
                                   env={**os.environ, "PYTHONPATH": sides[name]})
            times[name].append(float(child.stdout))
    for name, series in times.items():
        print(f"  {name:9} median {statistics.median(series):.3f} s (range {min(series):.3f} to "
              f"{max(series):.3f}), {total / statistics.median(series) / 1e6:.0f} MB/s")
    if baseline_path:
        ratios = [b / a for a, b in zip(times["load"], times["baseline"])]
        print(f"  baseline / load: median of {len(ratios)} rounds {statistics.median(ratios):.2f} "
              f"(range {min(ratios):.2f} to {max(ratios):.2f})")
    print(f"  load average after: {' '.join(open('/proc/loadavg').read().split()[:3])}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--case", action="store_true",
                        help="time the files as a case, loaded one after another")
    parser.add_argument("--baseline-path",
                        help="with --case: PYTHONPATH of an earlier convergeout to compare with")
    # A child's measurement: --memory-of load|zone|dataset FILE, or --case-child FILE...
    parser.add_argument("--memory-of", help=argparse.SUPPRESS)
    parser.add_argument("--case-child", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.memory_of:
        print(json.dumps(memory(args.files[0], args.memory_of)))
        return
    if args.case_child:
        print(case_seconds(args.files))
        return
    if args.case:
        case(args.files, args.rounds, args.baseline_path)
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

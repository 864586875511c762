#!/usr/bin/env python3
"""Two builds' loaders on one case, each in its own process, interleaved round by round.

A build's stand-in host and line file come with its add-on, so comparing whole builds needs a
process each: every round runs `cvl-bench-load --case --only loader --runs 1 --warmup 1` of one
build, then of the other (the order turns each round), and takes the loader's thread CPU time and
wall time as each process reports them (its warm-up round loads the case once, so that the
timed round finds the files cached and the allocator's memory in use). Prints the medians and
the median of the rounds' ratios, with their range.

    tools/bench/timing/compare_case_builds.py [--rounds N] OLD_BIN NEW_BIN FILE...
"""

import argparse
import re
import statistics
import subprocess

_RATE = re.compile(r"loader\s+(wall|cpu )\s+MB/s\s+median\s+([0-9.]+)")


def rates(binary, files):
    """(wall, cpu) MB/s of one timed round of the case in a fresh process."""
    run = subprocess.run([f"{binary}/cvl-bench-load", "--case", "--only", "loader", "--runs", "1",
                          "--warmup", "1", *files], capture_output=True, text=True, check=True)
    found = {kind.strip(): float(value) for kind, value in _RATE.findall(run.stdout)}
    return found["wall"], found["cpu"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("files", nargs="+")
    parser.add_argument("--rounds", type=int, default=11)
    args = parser.parse_args()
    load = lambda: " ".join(open("/proc/loadavg").read().split()[:3])
    print(f"== {len(args.files)} files as one case, {args.rounds} rounds, a process per build "
          f"and round (load average {load()})")
    sides = {"old": args.old, "new": args.new}
    got = {name: [] for name in sides}
    for i in range(args.rounds):
        for name in (("old", "new") if i % 2 == 0 else ("new", "old")):
            got[name].append(rates(sides[name], args.files))
    for which, index in (("wall", 0), ("cpu", 1)):
        for name in sides:
            series = [r[index] for r in got[name]]
            print(f"  {name} {which:4} MB/s median {statistics.median(series):7.1f} "
                  f"(range {min(series):.1f} to {max(series):.1f})")
        ratios = [n[index] / o[index] for o, n in zip(got["old"], got["new"])]
        print(f"  new/old {which:4}: median of {len(ratios)} rounds "
              f"{statistics.median(ratios):.2f} (range {min(ratios):.2f} to {max(ratios):.2f})")
    print(f"  load average after: {load()}")


if __name__ == "__main__":
    main()

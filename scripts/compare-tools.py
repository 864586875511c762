#!/usr/bin/python3
"""Whole-process comparison of the loader with numpy.loadtxt and pandas.read_csv.

Times, on the benchmark files that scripts/bench.sh generates, each of these as a process of
its own, and records its peak memory (maximum resident set size, from GNU time):

  minihost   the stand-in host loading the file through the add-on (minihost FILE)
  fair       the fair floor as a program (cvl-fair-floor): reads the file with pread, counts its
             lines, allocates the values as the stand-in host does and parses every token with
             std::from_chars
  floor      the mapped floor loop program (cvl-bench-load --only floor): maps the file and
             parses every token with std::from_chars into a preallocated array
  numpy      numpy.loadtxt(path, skiprows=5), with OPENBLAS_CORETYPE and OPENBLAS_L2_SIZE
             removed from that command's environment
  pandas     pandas.read_csv(path, skiprows=5, header=None, delim_whitespace=True)

plus the bare start-up of python3 with numpy and with pandas imported, for reference. One
warm-up round (which also brings the file into the page cache), then --runs rounds in which the
tools take turns. Reports the median wall time with its range, MB of file per second, each
tool's time over minihost's, and peak RSS; for minihost also the RSS beyond the host's value
arrays (points x columns x bytes per value, computed from the file's header). Times are wall
times and CPU times (user and system); on a busy machine the wall times include waiting for a
core. Each file is first dropped from the page cache and read back (see recache).

Usage: scripts/compare-tools.py [--runs N] [--tools fair,floor,numpy,pandas,startup] [--no-build]
                                [FILE...]
Uses only the standard library; numpy and pandas are Debian's, run by /usr/bin/python3.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PYTHON = "/usr/bin/python3"
TIME = "/usr/bin/time"
NUMPY_CODE = "import sys, numpy; numpy.loadtxt(sys.argv[1], skiprows=5)"
PANDAS_CODE = ("import sys, pandas; "
               "pandas.read_csv(sys.argv[1], skiprows=5, header=None, delim_whitespace=True)")


def without_openblas_settings():
    env = dict(os.environ)
    env.pop("OPENBLAS_CORETYPE", None)
    env.pop("OPENBLAS_L2_SIZE", None)
    return env


def measure(command, env=None):
    """Runs command; returns (wall seconds, CPU seconds, peak RSS in bytes). Raises on failure.

    The CPU time (user and system, the process and what it waited for) comes from wait4 on GNU
    time, which waits for the command; unlike the wall time it leaves out the time spent waiting
    for a core on a busy machine. The peak RSS comes from GNU time, not from this process's own
    wait4: a child's maximum RSS starts at the RSS of the process it was forked from, and this
    Python process is far larger than time (about 1 MB)."""
    with tempfile.NamedTemporaryFile("r") as report, tempfile.TemporaryFile() as errors:
        start = time.perf_counter()
        child = subprocess.Popen([TIME, "-f", "%M", "-o", report.name] + command,
                                 stdout=subprocess.DEVNULL, stderr=errors, env=env)
        _, wait_status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = status = os.waitstatus_to_exitcode(wait_status)
        cpu = usage.ru_utime + usage.ru_stime
        if status != 0:
            errors.seek(0)
            raise RuntimeError("%s failed (%d): %s" % (" ".join(command), status,
                                                       errors.read().decode(errors="replace")))
        peak_kib = int(report.read().split()[-1])
    return wall, cpu, peak_kib * 1024


def recache(path):
    """Drops path from the page cache and reads it back, so that it is cached as a read from disk
    caches it (in large folios where the kernel and file system use them) whatever wrote it: a
    file written in small pieces stays cached in 4 KiB pages, whose look-up costs each read of it
    about twice as much kernel time."""
    with open(path, "rb") as f:
        os.posix_fadvise(f.fileno(), 0, 0, os.POSIX_FADV_DONTNEED)
        while f.read(1 << 20):
            pass


def host_array_bytes(path):
    """Bytes of the host's value arrays for a file whose every column is loaded once:
    rows x (4 per "(number)" column, else 8)."""
    with open(path, "rb") as f:
        header = [f.readline() for _ in range(5)]
        rows = 0
        while True:
            block = f.read(1 << 24)
            if not block:
                break
            rows += block.count(b"\n")
            last = block[-1:]
    if last != b"\n":
        rows += 1
    units = header[3].split()[1:]
    per_row = sum(4 if unit.lower() == b"(number)" else 8 for unit in units)
    return rows, rows * per_row


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7, help="measured rounds (default 7)")
    parser.add_argument("--tools", default="",
                        help="comma-separated subset of the processes to run (minihost always"
                             " runs): fair, floor, numpy, pandas, startup")
    parser.add_argument("--no-build", action="store_true",
                        help="use the programs already built")
    parser.add_argument("files", nargs="*", help="output files (default: the 100 MB files)")
    args = parser.parse_args()

    data = os.environ.get("CVL_BENCH_DIR", "/tmp/cvl-bench")
    build = os.environ.get("CVL_BENCH_BUILD", os.path.join(ROOT, "build", "bench"))
    prepare = [os.path.join(ROOT, "scripts", "bench.sh"), "--prepare-only"]
    if args.no_build:
        prepare.append("--no-build")
    subprocess.run(prepare, check=True)
    files = args.files or [os.path.join(data, "single-100M.out"),
                           os.path.join(data, "regions-100M.out")]
    bin_dir = os.path.join(build, "bin")
    numpy_env = without_openblas_settings()

    def tools(path):
        return [
            ("minihost", [os.path.join(bin_dir, "minihost"), path], None),
            ("fair", [os.path.join(bin_dir, "cvl-fair-floor"), path], None),
            ("floor", [os.path.join(bin_dir, "cvl-bench-load"), "--only", "floor", "--runs", "1",
                       "--warmup", "0", path], None),
            ("numpy", [PYTHON, "-c", NUMPY_CODE, path], numpy_env),
            ("pandas", [PYTHON, "-c", PANDAS_CODE, path], None),
            ("python+numpy start-up", [PYTHON, "-c", "import numpy"], numpy_env),
            ("python+pandas start-up", [PYTHON, "-c", "import pandas"], None),
        ]

    load = open("/proc/loadavg").read().split()[:3]
    print("%d cores; load average at start: %s; %d rounds after 1 warm-up"
          % (os.cpu_count(), " ".join(load), args.runs))
    for path in files:
        recache(path)
    for path in files:
        size = os.path.getsize(path)
        rows, arrays = host_array_bytes(path)
        candidates = tools(path)
        if args.tools:
            wanted = set(args.tools.split(",")) | {"minihost"}
            candidates = [t for t in candidates
                          if t[0] in wanted or ("startup" in wanted and t[0].endswith("start-up"))]
        walls = {name: [] for name, _, _ in candidates}
        cpus = {name: [] for name, _, _ in candidates}
        peaks = {name: [] for name, _, _ in candidates}
        for round_number in range(args.runs + 1):
            # Each round starts with another tool, so no tool always follows the same one.
            shift = round_number % len(candidates)
            for name, command, env in candidates[shift:] + candidates[:shift]:
                wall, cpu, peak = measure(command, env)
                if round_number > 0:
                    walls[name].append(wall)
                    cpus[name].append(cpu)
                    peaks[name].append(peak)

        base = statistics.median(walls["minihost"])
        print()
        print("%s: %.1f MB, %d rows; host value arrays %.1f MB"
              % (path, size / 1e6, rows, arrays / 1e6))
        print("| process | wall s, median (min-max) | CPU s, median | MB/s (wall) |"
              " wall / minihost's, median of rounds (min-max) | CPU / minihost's, median of"
              " rounds (min-max) | peak RSS MB |")
        print("|---|---|---:|---:|---|---|---:|")
        for name, _, _ in candidates:
            median = statistics.median(walls[name])
            startup = name.endswith("start-up")
            ratios = [t / m for t, m in zip(walls[name], walls["minihost"])]
            cpu_ratios = [t / m for t, m in zip(cpus[name], cpus["minihost"])]
            print("| %s | %.3f (%.3f-%.3f) | %.3f | %s | %.2f (%.2f-%.2f) | %.2f (%.2f-%.2f) |"
                  " %.1f |"
                  % (name, median, min(walls[name]), max(walls[name]),
                     statistics.median(cpus[name]),
                     "-" if startup else "%.0f" % (size / 1e6 / median),
                     statistics.median(ratios), min(ratios), max(ratios),
                     statistics.median(cpu_ratios), min(cpu_ratios), max(cpu_ratios),
                     max(peaks[name]) / 1e6))
        overhead = max(peaks["minihost"]) - arrays
        print("minihost peak RSS beyond the host's value arrays: %.1f MB" % (overhead / 1e6))
        if "fair" in walls:
            print("minihost speed over the fair floor program: wall %.2f, CPU %.2f"
                  " (ratios of the medians)"
                  % (statistics.median(walls["fair"]) / base,
                     statistics.median(cpus["fair"]) / statistics.median(cpus["minihost"])))
        if "numpy" in walls and "pandas" in walls:
            print("ratio of the medians: numpy.loadtxt / minihost %.2f,"
                  " pandas.read_csv / minihost %.2f"
                  % (statistics.median(walls["numpy"]) / base,
                     statistics.median(walls["pandas"]) / base))
        sys.stdout.flush()


if __name__ == "__main__":
    main()

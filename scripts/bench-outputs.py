#!/usr/bin/python3
"""What minihost's outputs cost on top of the load: a plot, CSV files and (with --xlsx) a
workbook of a generated single-zone file (default 1 GB, 20 columns, as scripts/bench.sh makes
it).

Each case runs as a process of its own, timed by GNU time (wall, and CPU of the process and the
programs it waited for, so gnuplot's drawing counts). One warm-up round (which also brings the
file into the page cache), then --runs rounds in which the cases take turns. Reports the median
wall and CPU time with their ranges, and each case's extra time over the load alone.

Usage: scripts/bench-outputs.py [--runs N] [--size 1G] [--xlsx] [--no-build]
Environment: CVL_BENCH_DIR (files; default /tmp/cvl-bench), CVL_BENCH_BUILD (build folder;
default build/bench).
"""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TIME = "/usr/bin/time"


def timed(command):
    """Wall seconds, CPU seconds and peak RSS in MB of one run of command."""
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run([TIME, "-o", report.name, "-f", "%e %U %S %M"] + command, check=True,
                       stdout=subprocess.DEVNULL)
        wall, user, system, rss = report.read().split()
    return float(wall), float(user) + float(system), int(rss) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--size", default="1G")
    parser.add_argument("--xlsx", action="store_true", help="also a workbook (slow)")
    parser.add_argument("--no-build", action="store_true")
    options = parser.parse_args()
    build = os.path.join(ROOT, os.environ.get("CVL_BENCH_BUILD", "build/bench"))
    data = os.environ.get("CVL_BENCH_DIR", "/tmp/cvl-bench")
    if not options.no_build:
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                       check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "-j", str(os.cpu_count()), "--target",
                        "generate-out-file", "minihost", "convergeoutloader"],
                       check=True, stdout=subprocess.DEVNULL)
    os.makedirs(data, exist_ok=True)
    source = os.path.join(data, f"single-{options.size}.out")
    if not os.path.exists(source):
        subprocess.run([os.path.join(build, "bin", "generate-out-file"), "--output", source,
                        "--size", options.size, "--columns", "20"], check=True)
    minihost = os.path.join(build, "bin", "minihost")
    output = tempfile.mkdtemp(prefix="cvl-outputs-")
    cases = {
        "load": [],
        "load + plot": ["--plot", os.path.join(output, "plot.png")],
        "load + csv": ["--csv", os.path.join(output, "csv")],
    }
    if options.xlsx:
        cases["load + xlsx"] = ["--xlsx", os.path.join(output, "book.xlsx")]
    results = {name: [] for name in cases}
    try:
        for round_number in range(options.runs + 1):
            for name, arguments in cases.items():
                result = timed([minihost] + arguments + [source])
                if round_number > 0:
                    results[name].append(result)
    finally:
        shutil.rmtree(output)

    print(f"{source}: {os.path.getsize(source) / 1e6:.0f} MB, median of {options.runs} rounds")
    print(f"{'case':<12} {'wall s':>7} {'(range)':>15} {'CPU s':>7} {'(range)':>15} "
          f"{'extra CPU s':>11} {'RSS MB':>7}")
    load_cpu = statistics.median(cpu for _, cpu, _ in results["load"])
    for name, runs in results.items():
        walls = [wall for wall, _, _ in runs]
        cpus = [cpu for _, cpu, _ in runs]
        cpu = statistics.median(cpus)
        print(f"{name:<12} {statistics.median(walls):7.2f} "
              f"({min(walls):5.2f} to {max(walls):5.2f}) {cpu:7.2f} "
              f"({min(cpus):5.2f} to {max(cpus):5.2f}) {cpu - load_cpu:11.2f} "
              f"{max(rss for _, _, rss in runs):7.0f}")


if __name__ == "__main__":
    main()

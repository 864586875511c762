"""Loads in a long-lived process: threads, a forked pool, memory left behind, no pandas."""

import multiprocessing
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import convergeout
from conftest import EXAMPLES, REALDATA, ROOT

ROW = b" -1.780000000e+02  1.350356319e-01  5.917763189e-04  3.350229214e+02        17\n"
HEADER = (b"# CONVERGE\n# column 1 2 3 4 5\n# Crank Pressure Volume Temp Parcels\n"
          b"# (DEG) (MPa) (m^3) (K) (number)\n#\n")


@pytest.fixture(scope="module")
def big_file(tmp_path_factory):
    """About 60 MB of rows: a load long enough to watch."""
    path = tmp_path_factory.mktemp("big") / "big.out"
    path.write_bytes(HEADER + ROW * 750_000)
    return path


def test_other_threads_run_while_a_load_runs(big_file):
    finished = []
    loader = threading.Thread(target=lambda: finished.append(time.perf_counter()) or
                              finished.append(convergeout.load(big_file)) or
                              finished.append(time.perf_counter()))
    ticks = []
    loader.start()
    while loader.is_alive():
        ticks.append(time.perf_counter())
    loader.join()
    start, dataset, end = finished
    assert dataset.zone(1).points == 750_000
    during = [t for t in ticks if start <= t <= end]
    gaps = np.diff([start] + during + [end])
    # With the interpreter lock held for the load, this thread would stop for all of it.
    assert gaps.max() < (end - start) / 2, (gaps.max(), end - start)


def test_loads_from_many_threads_are_each_right():
    files = [EXAMPLES / "regions_cycle1.out", REALDATA / "mass_balance.out",
             REALDATA / "amr.out", REALDATA / "mech_check.out", EXAMPLES / "engine_cycle.out"]
    expected = {}
    for path in files:
        try:
            ds = convergeout.load(path)
            expected[path] = [a.copy() for z in ds for a in z.values()]
        except convergeout.LoadError as error:
            expected[path] = error.messages
    failures = []

    def work(offset):
        for i in range(12):
            path = files[(offset + i) % len(files)]
            try:
                ds = convergeout.load(path)
                got = [a for z in ds for a in z.values()]
                same = len(got) == len(expected[path]) and all(
                    np.array_equal(a, b) for a, b in zip(got, expected[path]))
            except convergeout.LoadError as error:
                same = error.messages == expected[path]
            if not same:
                failures.append(path)

    threads = [threading.Thread(target=work, args=(k,)) for k in range(6)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


def test_a_forked_pool_loads_and_returns_datasets():
    files = [str(EXAMPLES / name) for name in ("engine_cycle.out", "regions_cycle1.out")]
    convergeout.load(files[0])  # the parent has loaded before it forks
    with multiprocessing.get_context("fork").Pool(2) as pool:
        returned = pool.map(convergeout.load, files)
    for path, ds in zip(files, returned):
        here = convergeout.load(path)
        assert [z.name for z in ds] == [z.name for z in here]
        assert all(np.array_equal(a, b) for z, h in zip(ds, here)
                   for a, b in zip(z.values(), h.values()))


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * 4096


def test_a_refused_load_leaves_no_arrays_behind(tmp_path, big_file):
    bad = tmp_path / "bad.out"
    bad.write_bytes(big_file.read_bytes() + b"1 2 3\n")
    convergeout.load(EXAMPLES / "engine_cycle.out")
    before = resident_bytes()
    for _ in range(3):
        with pytest.raises(convergeout.LoadError, match=r"line 750006: Invalid or missing"):
            convergeout.load(bad)
    # The values of one load are 750,000 rows of 36 bytes: 27 MB.
    assert resident_bytes() - before < 8 << 20


def test_importing_and_loading_need_no_pandas():
    script = ("import sys; sys.modules['pandas'] = None\n"
              "import convergeout\n"
              "zone = convergeout.load('examples/engine_cycle.out').zone(1)\n"
              "assert zone.points == 300\n"
              "try:\n"
              "    zone.to_pandas()\n"
              "except ImportError as e:\n"
              "    print(e)\n")
    run = subprocess.run([sys.executable, "-c", script], cwd=ROOT, capture_output=True,
                         text=True, check=True)
    assert "to_pandas() needs pandas, which is not installed: install it" in run.stdout

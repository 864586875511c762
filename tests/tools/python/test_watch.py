"""steady, and python -m convergeout watch on a run that the test writes."""

import os
import subprocess
import sys

import numpy as np
import pytest

import convergeout
from conftest import EXAMPLES, write_out_file

# (values, window, cycles, steady, change): a plateau, a slow drift, too few points, and cycles
# whose means settle although every cycle swings widely.
SWING = np.sin(np.linspace(0, 2 * np.pi, 8, endpoint=False))
STEADY_CASES = [
    ([5.0] * 6 + [1.0, 1.0, 1.0, 1.0], 2, None, True, 0.0),
    (list(range(10)), 2, None, False, 2.0),
    ([1.0, 1.0, 1.0], 2, None, False, np.nan),
    (np.concatenate([SWING + 3, SWING + 1, SWING + 1, SWING]), 1, [0, 8, 16, 24], True, 0.0),
    (np.concatenate([SWING + 3, SWING + 1, SWING + 1.5, SWING]), 1, [0, 8, 16, 24], False, 0.5),
]


@pytest.mark.parametrize("values,window,cycles,expected,change", STEADY_CASES)
def test_steady_compares_the_last_window_with_the_one_before(values, window, cycles, expected,
                                                              change):
    found = convergeout.steady(values, window, rtol=1e-3, atol=1e-9, cycles=cycles)
    assert found.steady is expected and bool(found) is expected
    assert found.change == pytest.approx(change, abs=1e-12, nan_ok=True)
    if cycles is None:
        last = np.asarray(values[-window:], dtype=float)
        assert (found.mean, found.spread) == (last.mean(), last.max() - last.min())


def watch(*arguments, cwd=None):
    return subprocess.run([sys.executable, "-m", "convergeout", "watch", *map(str, arguments),
                           "--interval", "0", "--timeout", "0"], capture_output=True,
                          text=True, cwd=cwd, check=False)


def test_watch_prints_the_latest_values_and_draws_the_run(tmp_path):
    picture = tmp_path / "run.png"
    run = watch(EXAMPLES / "engine_cycle.out", "Pressure", "Integrated_HR", "--steady", 20,
                "--plot", picture)
    assert run.returncode == 0, run.stderr
    zone = convergeout.load(EXAMPLES / "engine_cycle.out").zone(1)
    lines = run.stdout.splitlines()
    assert lines[0] == (f"point 299  engine_cycle  Crank (DEG) = 119  Pressure (MPa) = "
                        f"{zone['Pressure'][-1]:.7g}  Integrated_HR (J) = "
                        f"{zone['Integrated_HR'][-1]:.7g}")
    assert lines[1].startswith("    Pressure (MPa): not steady")
    assert lines[2].startswith("    Integrated_HR (J): steady (mean 1440.23, change 0")
    assert picture.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert [p.name for p in tmp_path.iterdir()] == ["run.png"]  # no partial picture left


def test_watch_says_what_is_wrong(tmp_path):
    path = write_out_file(tmp_path / "thermo.out", ["1 2", "3 x"])
    refused = watch(path, "Pressure")
    assert refused.returncode == 1 and "line 7: Invalid or missing double" in refused.stderr
    assert refused.stdout.startswith("point 0  thermo  Crank (DEG) = 1  Pressure (MPa) = 2")
    unknown = watch(EXAMPLES / "engine_cycle.out", "Pres")
    assert unknown.returncode == 2 and 'no variable "Pres"' in unknown.stderr
    per_cycle = watch(write_out_file(tmp_path / "time.out", ["1 2"], units=("(s)", "(K)")),
                      "Pressure", "--steady", "1", "--per-cycle")
    assert per_cycle.returncode == 2 and "needs a crank angle" in per_cycle.stderr


def test_watch_plot_names_the_package_it_needs(tmp_path):
    # matplotlib made unimportable, as on a machine without it.
    (tmp_path / "matplotlib.py").write_text("raise ImportError('no matplotlib here')\n")
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(
        [str(tmp_path), os.environ.get("PYTHONPATH", "")]))
    run = subprocess.run([sys.executable, "-m", "convergeout", "watch",
                          str(EXAMPLES / "engine_cycle.out"), "Pressure", "--plot",
                          str(tmp_path / "p.png"), "--timeout", "0"], capture_output=True,
                         text=True, env=environment, check=False)
    assert run.returncode == 2 and "apt install python3-matplotlib" in run.stderr

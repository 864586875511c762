"""What the Python package's tests share: where things are, and minihost's view of a load."""

import json
import os
import subprocess
from pathlib import Path

import numpy as np

ROOT = Path(__file__).resolve().parents[3]
EXAMPLES = ROOT / "examples"
REALDATA = ROOT / "tests" / "data" / "realdata"
CORPUS = ROOT / "tools" / "fuzz" / "corpus"
MINIHOST = Path(os.environ.get("CVL_MINIHOST", ROOT / "build" / "default" / "bin" / "minihost"))


def minihost_json(folder, names):
    """What minihost --json reports for a load of names (relative to folder)."""
    run = subprocess.run([str(MINIHOST), "--json", *names], cwd=folder, capture_output=True,
                         check=False)
    return json.loads(run.stdout)


def host_text(text):
    """A text as minihost's JSON shows it: the host's bytes, odd ones replaced."""
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def assert_values_equal(array, expected, where):
    """array holds expected (minihost's JSON values) bit for bit; null matches a non-finite."""
    assert len(array) == len(expected), where
    if array.dtype == np.int32:
        assert array.tolist() == expected, where
        return
    finite = np.array([v is not None for v in expected], dtype=bool)
    assert np.array_equal(np.isfinite(array), finite), where
    numbers = np.array([v for v in expected if v is not None], dtype=np.float64)
    assert np.array_equal(array[finite].view(np.uint64), numbers.view(np.uint64)), where


def seed_files(seed, folder):
    """The one or two files of a fuzz seed, written into folder as the fuzz target splits them:
    a.out up to the file marker, b.out after it (a.out twice when nothing follows)."""
    data = seed.read_bytes()
    head, marker, tail = data.partition(b"%%next-file%%")
    (folder / "a.out").write_bytes(head)
    if not marker:
        return ["a.out"]
    (folder / "b.out").write_bytes(tail)
    return ["a.out", "b.out"] if tail else ["a.out", "a.out"]


def write_out_file(path, rows, names=("Crank", "Pressure"), units=("(DEG)", "(MPa)"),
                   locations=None):
    """A small output file: the five header lines, then the given data rows (texts)."""
    columns = " ".join(str(i + 1) for i in range(len(names)))
    lines = ["# CONVERGE test", f"# column {columns}", "# " + " ".join(names),
             "# " + " ".join(units), "# " + " ".join(locations or ())]
    path.write_text("\n".join(lines + list(rows)) + "\n")
    return path


# A solver's time.out as version 3.0.22 writes it: 11 named columns, the last a text column that
# is blank on the first row and holds words later, so the first row has 10 values.
TIME_OUT_NAMES = ("Cycle_Number", "Time", "Crank", "dt", "dt_conv", "dt_cfl", "dt_mach",
                  "dt_diff", "Cell_Count", "Wall_Time", "dt_limiter")
TIME_OUT_UNITS = ("(number)", "(s)", "(DEG)", "(s)", "(s)", "(s)", "(s)", "(s)", "(number)", "(s)",
                  "(none)")


def time_out_rows(count, start=0):
    """Rows of a time.out: 10 values, then from the second row a dt_limiter word."""
    rows = []
    for i in range(start, start + count):
        values = (f"{i:>16d} {i * 1e-5:16.7e} {-180 + i * 0.5:16.7e} {1e-5:16.7e} {2e-5:16.7e} "
                  f"{3e-5:16.7e} {4e-5:16.7e} {5e-5:16.7e} {1000 + i:16d} {i * 0.1:16.7e}")
        rows.append(values + ("" if i == 0 else "   #dt_grow"))
    return rows


def write_time_out(path, rows):
    return write_out_file(path, rows, names=TIME_OUT_NAMES, units=TIME_OUT_UNITS)


def write_spray_rate(path, rows=("-20.0 1.0e-06 2.0e-07", "-19.5 1.1e-06 2.1e-07")):
    """A 3.0.22 spray_rate_inj0.out: the first name and unit run into their lines' "#"."""
    lines = ["# CONVERGE 3.0.22   Run Date: Tue Mar  3 10:00:00 2020",
             "# column           1             2             3",
             "#___________Crank      Inj_Mass     Evap_Mass",
             "#___________(DEG)          (kg)          (kg)",
             "#"]
    path.write_text("\n".join(lines + list(rows)) + "\n")
    return path

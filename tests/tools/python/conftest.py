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

"""Nothing dropped in silence: columns a load did not take, and the header and tail options for
files the solver writes in ways the host refuses."""

import warnings

import numpy as np
import pytest

import convergeout
from conftest import (REALDATA, time_out_rows, write_out_file, write_spray_rate,
                      write_time_out)


def test_a_column_blank_on_the_first_row_is_named_and_warned_about(tmp_path):
    path = write_time_out(tmp_path / "time.out", time_out_rows(5))
    with pytest.warns(convergeout.ColumnsNotLoadedWarning) as warned:
        ds = convergeout.load(path)
    assert len(ds.variables) == 10 and ds.variables[-1] == "Wall_Time (s)"
    assert ds.columns_not_loaded == {str(path): ["dt_limiter"]}
    assert str(path) in str(warned[0].message) and '"dt_limiter"' in str(warned[0].message)
    assert ds.zone(1)["Cell_Count"].tolist() == [1000, 1001, 1002, 1003, 1004]
    assert convergeout.load(REALDATA / "amr.out").columns_not_loaded == {}


def test_a_header_the_solver_runs_into_its_hash_is_read_when_lenient(tmp_path):
    path = write_spray_rate(tmp_path / "spray_rate_inj0.out")
    with pytest.raises(convergeout.LoadError) as refused:
        convergeout.load(path)
    assert refused.value.messages == [f'File "{path}", line 3: Invalid comment line']
    assert 'begins with "#___________Crank"' in str(refused.value)
    assert 'header="lenient"' in refused.value.hint
    with pytest.warns(convergeout.HeaderToleratedWarning, match=r'line 3: "#___________Crank"'):
        ds = convergeout.load(path, header="lenient")
    assert ds.variables == ["Crank (DEG)", "Inj_Mass (kg)", "Evap_Mass (kg)"]
    assert ds.tolerated == [(str(path), 3, "#___________Crank"), (str(path), 4, "#___________(DEG)")]
    assert ds.zone(1)["Crank"].tolist() == [-20.0, -19.5]
    # A header the host reads is read the same either way, and nothing is noted.
    plain = convergeout.load(REALDATA / "mass_balance.out", header="lenient")
    assert plain.tolerated == [] and plain.variables == \
        convergeout.load(REALDATA / "mass_balance.out").variables
    # Only an underscore run joined to the "#": other first tokens stay refused.
    other = write_out_file(tmp_path / "other.out", ["1 2"])
    other.write_text(other.read_text().replace("# Crank", "#-Crank"))
    with pytest.raises(convergeout.LoadError) as still:
        convergeout.load(other, header="lenient")
    assert still.value.hint is None and still.value.line == 3


ROWS = ["1 2", "3 4", "5 6"]
# (what the file ends with after ROWS, the points tail="complete" loads, what it leaves out as
# (line, reason); the strict load's message text and line, or None where it loads)
TAILS = [
    ("7", 3, [(9, "no line end")], ("Invalid or missing double precision value", 9)),
    ("7 8", 3, [(9, "no line end")], None),
    ("7\n", 3, [(9, "short row")], ("Invalid or missing double precision value", 9)),
    ("7\n8", 3, [(9, "short row"), (10, "no line end")],
     ("Invalid or missing double precision value", 9)),
    ("", 3, [], None),
]


@pytest.mark.parametrize("end,points,left_out,strict", TAILS)
def test_a_file_still_being_written_loads_up_to_its_last_whole_row(tmp_path, end, points,
                                                                   left_out, strict):
    path = write_out_file(tmp_path / "thermo.out", ROWS)
    path.write_bytes(path.read_bytes() + end.encode())
    if strict is None:
        convergeout.load(path)
    else:
        with pytest.raises(convergeout.LoadError) as refused:
            convergeout.load(path)
        assert (refused.value.messages[0].split(": ", 1)[1], refused.value.line) == strict
        assert 'tail="complete"' in refused.value.hint
    with warnings.catch_warnings(record=True) as warned:
        warnings.simplefilter("always")
        ds = convergeout.load(path, tail="complete")
    zone = ds.zone(1)
    assert zone.points == points and zone["Crank"].tolist() == [1.0, 3.0, 5.0][:points]
    assert ds.left_out == [(str(path), line, reason) for line, reason in left_out]
    assert [w.category for w in warned] == [convergeout.TailLeftOutWarning] * len(left_out)


def test_complete_leaves_out_nothing_but_the_tail(tmp_path):
    # A fault before the last row stays a fault: the same message as the strict load's.
    bad = write_out_file(tmp_path / "bad.out", ["1 2", "3", "5 6", "7"])
    with pytest.raises(convergeout.LoadError) as refused:
        convergeout.load(bad, tail="complete")
    assert refused.value.messages == [f'File "{bad}", line 7: Invalid or missing double '
                                      "precision value"]
    # A last row with a word where a number belongs is no row cut short.
    word = write_out_file(tmp_path / "word.out", ["1 2", "3 x"])
    with pytest.raises(convergeout.LoadError) as refused:
        convergeout.load(word, tail="complete")
    assert refused.value.line == 7
    # Each file of a load is completed on its own; the whole ones are untouched.
    first = write_out_file(tmp_path / "first.out", ROWS)
    second = write_out_file(tmp_path / "second.out", ROWS + ["9"])
    second.write_bytes(second.read_bytes() + b"11 1")
    with pytest.warns(convergeout.TailLeftOutWarning):
        ds = convergeout.load(first, second, tail="complete")
    assert [z.points for z in ds] == [3, 3]
    assert ds.left_out == [(str(second), 9, "short row"), (str(second), 10, "no line end")]
    assert np.array_equal(ds.zone(1)["Crank"], ds.zone(2)["Crank"])


def test_both_options_together_on_a_solver_file_still_being_written(tmp_path):
    path = write_spray_rate(tmp_path / "spray.out", ["-20.0 1.0e-06 2.0e-07", "-19.5 1.1e-06"])
    with pytest.warns(convergeout.ConvergeoutWarning):
        ds = convergeout.load(path, header="lenient", tail="complete")
    assert ds.zone(1).points == 1 and ds.left_out == [(str(path), 7, "short row")]
    assert len(ds.tolerated) == 2


def test_a_file_too_large_to_be_read_whole_is_completed_too(tmp_path):
    # Over 32 MiB, the line file reads through a window: the view must end there as well.
    path = write_out_file(tmp_path / "big.out", [])
    row = b"1.000000000e+00 2.000000000e+00\n"
    rows = (34 << 20) // len(row)
    path.write_bytes(path.read_bytes() + row * rows + b"3.0 4")
    with pytest.warns(convergeout.TailLeftOutWarning):
        ds = convergeout.load(path, tail="complete")
    assert ds.zone(1).points == rows and ds.left_out == [(str(path), 6 + rows, "no line end")]

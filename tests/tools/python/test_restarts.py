"""A run stopped and restarted: its pieces joined into one series."""

import numpy as np
import pytest

import convergeout
from conftest import EXAMPLES, write_out_file


def piece(path, cranks, total=None, regions=False):
    """A regions file whose rows are at these crank angles; Heat accumulates from 0 per piece."""
    heat = np.cumsum(np.ones(len(cranks))) if total is None else total
    rows = [f"{c:.1f} {10 + c:.3f} {11 + c:.3f} {h:.1f}" for c, h in zip(cranks, heat)]
    return write_out_file(path, rows, names=("Crank", "Pressure", "Pressure", "Heat"),
                          units=("(DEG)", "(MPa)", "(MPa)", "(J)"),
                          locations=("(none)", "Cyl", "Port", "(none)") if regions else None)


def test_pieces_join_where_each_restart_began(tmp_path):
    first = piece(tmp_path / "run1.out", np.arange(-10, 5), regions=True)  # -10 .. 4
    second = piece(tmp_path / "run2.out", np.arange(2, 9), regions=True)   # restart from 2
    third = piece(tmp_path / "run3.out", np.arange(9, 12), regions=True)   # 9 .. 11
    ds = convergeout.load_restarts([first, second, third], on="Crank")
    assert ds.files == [str(first), str(second), str(third)]
    assert [z.region for z in ds] == ["Cyl", "Port"]
    cyl, port = ds.zone(1), ds.zone(2)
    assert cyl["Crank"].tolist() == list(range(-10, 12)) and port["Crank"] is cyl["Crank"]
    assert cyl.piece.tolist() == [0] * 12 + [1] * 7 + [2] * 3
    assert port["Pressure"].tolist() == [11.0 + c for c in range(-10, 12)]
    # A cumulative column is left as each piece wrote it.
    assert cyl["Heat"].tolist()[10:14] == [11.0, 12.0, 1.0, 2.0]
    frame = ds.to_pandas()
    assert frame["piece"].tolist()[:13] == [0] * 12 + [1] and frame.index.is_unique
    assert not cyl.piece.flags.writeable


PIECE_FAULTS = [
    # (the second piece's crank angles, its names, what the error says)
    ([5, 4, 6], ("Crank", "Pressure", "Pressure", "Heat"),
     'piece 2 .*: "Crank \\(DEG\\)" decreases at point 1'),
    ([5, 6], ("Crank", "Pressure", "Pressure", "Heat2"),
     "piece 2 .* its variables differ: lacks 'Heat \\(J\\)'; adds 'Heat2 \\(J\\)'"),
]


@pytest.mark.parametrize("cranks,names,words", PIECE_FAULTS)
def test_pieces_that_do_not_continue_a_run_are_refused(tmp_path, cranks, names, words):
    first = piece(tmp_path / "a.out", [0, 1, 2])
    second = write_out_file(tmp_path / "b.out", [f"{c} 1 2 3" for c in cranks], names=names,
                            units=("(DEG)", "(MPa)", "(MPa)", "(J)"))
    with pytest.raises(ValueError, match=words):
        convergeout.load_restarts([first, second])


def test_restart_input_that_cannot_be_joined(tmp_path):
    regions = piece(tmp_path / "regions.out", [0, 1], regions=True)
    plain = piece(tmp_path / "plain.out", [2, 3])
    with pytest.raises(ValueError, match=r"its variables differ|its zones are"):
        convergeout.load_restarts([regions, plain])
    for paths in ([], EXAMPLES / "engine_cycle.out"):
        with pytest.raises(ValueError, match="a list of the run's pieces"):
            convergeout.load_restarts(paths)
    one = convergeout.load_restarts([EXAMPLES / "engine_cycle.out"])
    assert one.zone(1).points == 300 and set(one.zone(1).piece.tolist()) == {0}

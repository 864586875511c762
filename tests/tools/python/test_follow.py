"""follow: a file that a solver is still writing, read once, a poll at a time, by the loader's
rules. Each test grows the file between next() calls; none waits."""

import os
import random
import warnings

import numpy as np
import pytest

import convergeout
from convergeout import _follow
from conftest import (EXAMPLES, REALDATA, time_out_rows, write_out_file, write_spray_rate,
                      write_time_out)


def grown_in_steps(path, data, cuts):
    """The datasets that follow gives while data is written to path in pieces ending at cuts,
    with a next() after each piece that completes a row: each gives every row then whole."""
    path.write_bytes(b"")
    rows = convergeout.follow(path, interval=0, timeout=0)
    given, points, start = [], 0, 0
    for cut in cuts + [len(data)]:
        with open(path, "ab") as run:
            run.write(data[start:cut])
        start = cut
        whole = max(data[:cut].count(b"\n") - 5, 0)
        if whole > points:
            given.append(next(rows))
            assert given[-1].zone(1).points == whole - points
            points = whole
    rows.close()
    return given


def with_crlf(data):
    return data.replace(b"\n", b"\r\n")


# (file, how its bytes are changed): files with shared columns, integer columns, regions that
# lack variables, a column not loaded, and line ends of two bytes.
FOLLOWED = [
    (EXAMPLES / "regions_cycle1.out", None),
    (EXAMPLES / "engine_cycle.out", with_crlf),
    (REALDATA / "source_energy.out", None),
    (REALDATA / "amr.out", None),
    ("time.out", None),
]


@pytest.mark.parametrize("source,change", FOLLOWED, ids=lambda v: getattr(v, "name", v))
def test_rows_given_as_they_arrive_equal_a_load_of_the_whole_file(tmp_path, monkeypatch,
                                                                   source, change):
    if source == "time.out":
        source = write_time_out(tmp_path / "source.out", time_out_rows(30))
    data = source.read_bytes()
    data = change(data) if change else data
    path = tmp_path / "followed.out"
    reads = []
    real_preadv = os.preadv

    def counted_preadv(fd, buffers, offset):
        got = real_preadv(fd, buffers, offset)
        reads.append((offset, got))
        return got

    monkeypatch.setattr(os, "preadv", counted_preadv)
    # Cuts anywhere: inside the header, inside a number, just after a line end.
    chooser = random.Random(len(data))
    cuts = sorted(chooser.sample(range(1, len(data)), 40)) + [data.index(b"\n") + 1]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", convergeout.ColumnsNotLoadedWarning)
        given = grown_in_steps(path, data, sorted(set(cuts)))
        whole = convergeout.load(path)

    # Each byte read once, in order, and no more than the file holds.
    assert sum(n for _, n in reads) == len(data)
    assert [offset for offset, _ in reads] == list(np.cumsum([0] + [n for _, n in reads])[:-1])
    assert len(given) > 10
    assert_same_rows(given, whole)


def assert_same_rows(given, whole):
    """The datasets given hold, one after the other, the rows of the dataset whole."""
    points = 0
    for ds in given:
        assert ds.variables == whole.variables and ds.files == whole.files
        assert ds.columns_not_loaded == whole.columns_not_loaded
        assert {z.first_point for z in ds} == {points}
        points += ds.zone(1).points
    assert points == whole.zone(1).points
    for zone in whole:
        pieces = [ds.zone(zone.number) for ds in given]
        assert {(p.name, p.region) for p in pieces} == {(zone.name, zone.region)}
        assert {tuple(p.missing) for p in pieces} == {tuple(zone.missing)}
        for name, values in zone.items():
            joined = np.concatenate([p[name] for p in pieces])
            assert joined.dtype == values.dtype
            assert np.array_equal(joined.view(np.uint8), values.view(np.uint8)), name
    # Shared columns stay shared within each part.
    assert all(ds.zone(z.number).shared == z.shared for ds in given for z in whole)


def test_a_file_read_in_small_parts_gives_the_same_rows(tmp_path, monkeypatch):
    # Polls of 50 bytes into a buffer that starts at 16: a header and rows longer than a read,
    # kept across polls, moved to the buffer's front and grown.
    monkeypatch.setattr(_follow, "_MOST_PER_READ", 50)
    monkeypatch.setattr(_follow, "_FIRST_BUFFER", 16)
    path = tmp_path / "regions.out"
    path.write_bytes((EXAMPLES / "regions_cycle1.out").read_bytes())
    given = list(convergeout.follow(path, interval=0, timeout=0))
    assert len(given) > 100
    assert_same_rows(given, convergeout.load(path))


# (a row the loader refuses, as the third of four; its message)
REFUSED_ROWS = [
    ("3 1e-400 7", "Invalid or missing double precision value"),  # rounds to zero
    ("3 1_000 7", "Invalid or missing double precision value"),   # Python reads it, not the loader
    ("3 0x1A 7", "Invalid or missing double precision value"),
    ("3 4 2.5", "Invalid or missing integer value"),
    ("3 4 7 8", "Too many values"),
    ("", "Invalid or missing double precision value"),
]


@pytest.mark.parametrize("row,message", REFUSED_ROWS)
def test_a_row_the_loader_refuses_ends_it_after_the_rows_before(tmp_path, row, message):
    rows = ["1 2 3", "2 3 4", row, "4 5 6"]
    names, units = ("Crank", "Pressure", "Count"), ("(DEG)", "(MPa)", "(number)")
    path = write_out_file(tmp_path / "thermo.out", rows[:2], names, units)
    followed = convergeout.follow(path, interval=0, timeout=0)
    assert next(followed).zone(1)["Crank"].tolist() == [1.0, 2.0]
    write_out_file(path, rows, names, units)
    with pytest.raises(convergeout.LoadError) as refused:
        next(followed)
    with pytest.raises(convergeout.LoadError) as loaded:
        convergeout.load(path)
    assert refused.value.messages == loaded.value.messages
    assert refused.value.messages == [f'File "{path}", line 8: {message}']
    assert (refused.value.file, refused.value.line) == (str(path), 8)


def test_the_rows_before_a_fault_in_the_same_poll_come_first(tmp_path):
    path = write_out_file(tmp_path / "thermo.out", ["1 2", "3 4", "5 x y", "7 8"])
    followed = convergeout.follow(path, interval=0, timeout=0)
    assert next(followed).zone(1)["Pressure"].tolist() == [2.0, 4.0]
    with pytest.raises(convergeout.LoadError, match="line 8: Invalid or missing double"):
        next(followed)


def test_a_replaced_or_shortened_file_is_read_again_from_its_start(tmp_path):
    path = write_out_file(tmp_path / "thermo.out", ["1 2", "3 4", "5 6"])
    followed = convergeout.follow(path, interval=0, timeout=0)
    assert next(followed).zone(1).points == 3
    # A restarted run cuts its file short and writes it again.
    write_out_file(path, ["10 20"])
    with pytest.warns(convergeout.FileReplacedWarning, match="cut short"):
        ds = next(followed)
    assert ds.zone(1)["Crank"].tolist() == [10.0] and ds.zone(1).first_point == 0
    # Another writes a new file and moves it into place; the new header counts.
    other = write_out_file(tmp_path / "new.out", ["7 8 9"], names=("Time", "P", "T"),
                           units=("(s)", "(Pa)", "(K)"))
    os.replace(other, path)
    with pytest.warns(convergeout.FileReplacedWarning, match="replaced by another file"):
        ds = next(followed)
    assert ds.variables == ["Time (s)", "P (Pa)", "T (K)"] and ds.zone(1).first_point == 0
    with open(path, "a") as run:
        run.write("10 11 12\n")
    ds = next(followed)
    assert ds.zone(1).first_point == 1
    assert ds.to_pandas().index.get_level_values("point").tolist() == [1]
    assert ds.zone(1).to_pandas().index.tolist() == [1]


def test_headers_are_read_by_the_loaders_rules(tmp_path):
    spray = write_spray_rate(tmp_path / "spray_rate_inj0.out")
    with pytest.raises(convergeout.LoadError) as refused:
        next(convergeout.follow(spray, interval=0, timeout=0))
    with pytest.raises(convergeout.LoadError) as loaded:
        convergeout.load(spray)
    assert refused.value.messages == loaded.value.messages
    with pytest.warns(convergeout.HeaderToleratedWarning):
        ds = next(convergeout.follow(spray, interval=0, timeout=0, header="lenient"))
    assert ds.zone(1)["Crank"].tolist() == [-20.0, -19.5] and len(ds.tolerated) == 2
    # A header still being written, or one without its first row whole, gives nothing yet.
    unfinished = tmp_path / "unfinished.out"
    unfinished.write_bytes(write_out_file(tmp_path / "whole.out", ["1 2"]).read_bytes()[:-1])
    assert list(convergeout.follow(unfinished, interval=0, timeout=0)) == []


@pytest.mark.parametrize("arguments,error", [
    ({"path": "no_such.out"}, FileNotFoundError),
    ({"interval": -1}, ValueError),
    ({"timeout": "soon"}, ValueError),
    ({"header": "loose"}, ValueError),
])
def test_bad_arguments_are_refused_before_anything_is_read(tmp_path, arguments, error):
    given = {"path": write_out_file(tmp_path / "thermo.out", ["1 2"])}
    given.update(arguments)
    with pytest.raises(error):
        convergeout.follow(**given)

"""A load gives Python what it gives the host: minihost --json's dataset and messages."""

import shutil

import numpy as np
import pytest

import convergeout
from conftest import (CORPUS, EXAMPLES, REALDATA, ROOT, assert_values_equal, host_text,
                      minihost_json, seed_files)

# (folder, names): the examples, the real files alone and in pairs, loaded from their folder.
FILE_CASES = [
    (EXAMPLES, ["engine_cycle.out"]),
    (EXAMPLES, ["regions_cycle1.out"]),
    (EXAMPLES, ["regions_cycle1.out", "regions_cycle2.out"]),
    (EXAMPLES, ["regions_cycle2.out", "engine_cycle.out"]),
    (REALDATA, ["amr.out"]),
    (REALDATA, ["cell_count_regions.out"]),
    (REALDATA, ["mass_balance.out", "mass_balance.out"]),
    (REALDATA, ["source_energy.out"]),
    (REALDATA, ["mech_check.out"]),
    (REALDATA, ["mass_balance.out", "amr.out"]),
]
# Every seed of the fuzz corpus but those that differ only in the host faults they plan.
SEEDS = sorted(p for p in CORPUS.iterdir() if not p.name.startswith("fault-"))


def check_against_minihost(folder, names, monkeypatch):
    monkeypatch.chdir(folder)
    report = minihost_json(folder, names)
    loaded = (report["instructions"] is not None and not report["messages"]
              and report["dataset"] is not None)
    if not loaded:
        with pytest.raises(convergeout.LoadError) as refused:
            convergeout.load(*names)
        assert [host_text(m) for m in refused.value.messages] == report["messages"], names
        return
    ds = convergeout.load(*names)
    expected = report["dataset"]
    assert ds.title == expected["title"]
    assert [host_text(v) for v in ds.variables] == expected["variables"], names
    assert len(ds) == len(expected["zones"]), names
    for zone, zone_expected in zip(ds, expected["zones"]):
        where = f"{names}, zone {zone.number}"
        assert host_text(zone.name) == zone_expected["name"], where
        assert zone.points == zone_expected["points"], where
        numbers = zone.numbers
        for number, (name, kind, share, values) in enumerate(zip(
                ds.variables, zone_expected["types"], zone_expected["shareZones"],
                zone_expected["values"]), start=1):
            if number not in numbers:
                # The host's array of a variable the zone has no column for: zeros, which
                # Python leaves out.
                assert set(values) == {0}, f"{where}, {name!r} absent"
                continue
            array = zone.variable(number)
            assert (3 if array.dtype == np.int32 else 2) == kind, f"{where}, {name!r}"
            assert zone.shared.get(name, 0) == share, f"{where}, {name!r}"
            assert_values_equal(array, values, f"{where}, {name!r}")


@pytest.mark.parametrize("folder,names", FILE_CASES, ids=lambda c: str(c))
def test_files_load_as_minihost_shows_them(folder, names, monkeypatch):
    check_against_minihost(folder, names, monkeypatch)


@pytest.mark.parametrize("seed", SEEDS, ids=lambda p: p.name)
def test_fuzz_seeds_load_as_minihost_shows_them(seed, tmp_path, monkeypatch):
    check_against_minihost(tmp_path, seed_files(seed, tmp_path), monkeypatch)


def test_zones_know_their_files_and_share_within_a_file(tmp_path):
    first = shutil.copy(EXAMPLES / "regions_cycle1.out", tmp_path / "run.out")
    (tmp_path / "restart").mkdir()
    second = shutil.copy(EXAMPLES / "regions_cycle2.out", tmp_path / "restart" / "run.out")
    ds = convergeout.load(first, second, first)
    assert [z.file for z in ds] == [str(first)] * 3 + [str(second)] * 3 + [str(first)] * 3
    assert ds.files == [str(first), str(second), str(first)]
    for start in (1, 4, 7):
        owner = ds.zone(start)
        assert owner.shared == {}
        for number in (start + 1, start + 2):
            zone = ds.zone(number)
            assert zone.shared == {"Crank (DEG)": start, "Time (s)": start, "Cycle_Number": start}
            for name in zone.shared:
                assert zone[name] is owner[name]
            assert zone["Pressure (MPa)"] is not owner["Pressure (MPa)"]
    assert ds.zone(1)["Crank"] is not ds.zone(7)["Crank"]


def test_paths_may_be_path_objects_bytes_or_text(monkeypatch):
    monkeypatch.chdir(ROOT)
    name = "examples/engine_cycle.out"
    reference = convergeout.load(name).zone(1)["Pressure"]
    for path in (ROOT / name, name.encode(), ROOT / "examples" / ".." / name):
        assert np.array_equal(convergeout.load(path).zone(1)["Pressure"], reference), path
    with pytest.raises(ValueError, match="NUL"):
        convergeout.load("examples/engine\0cycle.out")
    with pytest.raises(TypeError):
        convergeout.load(3)

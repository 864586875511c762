"""Dataset, Zone, LoadError and load_case, as a user reaches them."""

import gc
import pickle
import shutil

import numpy as np
import pytest

import convergeout
from conftest import EXAMPLES, REALDATA, write_out_file


@pytest.fixture(scope="module")
def regions():
    return convergeout.load(EXAMPLES / "regions_cycle1.out", EXAMPLES / "regions_cycle2.out")


# (key, the full name it finds and its unit, or the words its KeyError must hold)
LOOKUPS = [
    ("Pressure (MPa)", ("Pressure (MPa)", "MPa"), None),
    ("Pressure", ("Pressure (MPa)", "MPa"), None),
    ("Cycle_Number", ("Cycle_Number", None), None),
    ("pressure", None, ['no variable "pressure"', '"Pressure (MPa)"', '"Cell_Count"']),
    ("Pressure (bar)", None, ['no variable "Pressure (bar)"']),
    ("MPa", None, ['no variable "MPa"']),
]


@pytest.mark.parametrize("key,found,words", LOOKUPS)
def test_zone_lookup_by_full_name_or_without_unit(regions, key, found, words):
    zone = regions.zone(2)
    if found is not None:
        assert zone[key] is zone[found[0]]
        assert key in zone
        assert regions.unit(key) == found[1]
        return
    assert key not in zone
    with pytest.raises(KeyError) as missing:
        zone[key]
    for word in words:
        assert word in str(missing.value), (key, str(missing.value))
    with pytest.raises(KeyError):
        regions.unit(key)


def test_a_name_two_units_share_is_ambiguous(tmp_path):
    path = write_out_file(tmp_path / "two.out", ["1 2 3"], names=("Crank", "P", "P"),
                          units=("(DEG)", "(MPa)", "(bar)"))
    zone = convergeout.load(path).zone(1)
    assert zone["P (bar)"][0] == 3
    with pytest.raises(KeyError, match=r'"P" could be variable 2 "P \(MPa\)", 3 "P \(bar\)": give '
                                       r"the full name"):
        zone["P"]
    with pytest.raises(ValueError, match="use units=True"):
        zone.to_pandas(units=False)


def test_zone_is_a_read_only_mapping_of_arrays(regions):
    zone = regions.zone(1)
    assert list(zone) == list(zone.keys()) == regions.variables
    assert len(zone) == 7
    assert [a.dtype for a in zone.values()] == [np.float64] * 2 + [np.int32] + \
        [np.float64] * 3 + [np.int32]
    assert all(zone[name] is array for name, array in zone.items())
    assert dict(zone)["Mass (kg)"] is zone["Mass"]
    array = zone["Pressure"]
    assert not array.flags.writeable and array.base is not None
    with pytest.raises(ValueError, match="read-only"):
        array[0] = 1.0
    with pytest.raises(TypeError):
        zone["Pressure"] = array
    assert repr(zone) == "<convergeout.Zone 1 'regions_cycle1 Intake': 300 points, 7 variables>"


def test_dataset_zones_by_number_and_name(regions):
    assert len(regions) == 6 and regions.zones[0] is regions.zone(1)
    assert [z.number for z in regions] == [1, 2, 3, 4, 5, 6]
    assert regions.zone("regions_cycle2 Exhaust") is regions.zone(6) is regions.zone(np.int64(6))
    for key, error in [(0, KeyError), (7, KeyError), ("Exhaust", KeyError), (True, TypeError),
                       (2.0, TypeError)]:
        with pytest.raises(error):
            regions.zone(key)
    twice = convergeout.load(EXAMPLES / "engine_cycle.out", EXAMPLES / "engine_cycle.out")
    with pytest.raises(KeyError, match="zones 1, 2 are all named 'engine_cycle'"):
        twice.zone("engine_cycle")
    assert regions.name_without_unit("Temperature") == "Temperature"
    assert regions.unit("Cell_Count") is None
    assert "6 zones, 7 variables, from regions_cycle1.out, regions_cycle2.out" in repr(regions)


def test_arrays_outlive_their_dataset():
    ds = convergeout.load(REALDATA / "mass_balance.out")
    kept = ds.zone(2)["Mass_Flow_Rate (kg/s)"]
    shared = ds.zone(2)["Crank"]
    expected = kept.copy(), shared.copy()
    del ds
    gc.collect()
    assert np.array_equal(kept, expected[0]) and np.array_equal(shared, expected[1])


def test_pickling_keeps_values_names_and_sharing(regions):
    for copy in (pickle.loads(pickle.dumps(regions)),
                 pickle.loads(pickle.dumps(regions, protocol=pickle.HIGHEST_PROTOCOL))):
        assert copy.variables == regions.variables and copy.files == regions.files
        for zone, original in zip(copy, regions):
            assert (zone.name, zone.number, zone.points, zone.file, zone.shared) == \
                (original.name, original.number, original.points, original.file, original.shared)
            for array, expected in zip(zone.values(), original.values()):
                assert array.dtype == expected.dtype and np.array_equal(array, expected)
                assert not array.flags.writeable
        assert copy.zone(2)["Crank"] is copy.zone(1)["Crank"]
    zone = pickle.loads(pickle.dumps(regions.zone(5)))
    assert zone["Pressure"][3] == regions.zone(5)["Pressure"][3] and zone.number == 5


def test_zone_to_pandas_copies_or_shares(regions):
    zone = regions.zone(2)
    copied = zone.to_pandas()
    assert list(copied.columns) == regions.variables and len(copied) == 300
    for name in zone:
        assert copied[name].dtype == zone[name].dtype
        assert np.array_equal(copied[name].to_numpy(), zone[name])
        assert not np.shares_memory(copied[name].to_numpy(), zone[name])
    shared = zone.to_pandas(copy=False, units=False)
    assert list(shared.columns)[:4] == ["Crank", "Time", "Cycle_Number", "Pressure"]
    assert np.shares_memory(shared["Pressure"].to_numpy(), zone["Pressure"])
    with pytest.raises(ValueError, match="read-only"):
        shared.iloc[0, 3] = 5.0
    copied.iloc[0, 3] = 5.0  # a copy is the caller's own
    assert zone["Pressure"][0] != 5.0


def test_dataset_to_pandas_stacks_the_zones(regions):
    frame = regions.to_pandas()
    assert frame.index.names == ["zone", "zone_name", "region", "file", "point"]
    assert len(frame) == 3 * 300 + 3 * 360 and frame.index.is_unique
    assert list(frame.columns) == regions.variables
    for zone in regions:
        part = frame.loc[zone.number]
        assert set(part.index.droplevel("point")) == {(zone.name, zone.region, zone.file)}
        assert list(part.index.get_level_values("point")) == list(range(zone.points))
        for name in zone:
            assert np.array_equal(part[name].to_numpy(), zone[name]), (zone.name, name)
    assert str(frame["Cell_Count"].dtype) == "Int32"


def test_texts_keep_bytes_that_are_not_utf8(tmp_path):
    path = tmp_path / "latin.out"
    path.write_bytes(b"# CONVERGE\n# column 1 2\n# Temp\xe9rature Dr\xfcck\n# (K) (bar)\n#\n1 2\n")
    ds = convergeout.load(path)
    assert ds.variables == ["Temp\udce9rature (K)", "Dr\udcfcck (bar)"]
    assert ds.variables[1].encode("utf-8", "surrogateescape") == b"Dr\xfcck (bar)"
    assert ds.zone(1)["Dr\udcfcck"][0] == 2.0 and ds.unit("Dr\udcfcck") == "bar"


# (file text after the header, the message's text after its place, the line it names)
REFUSALS = [
    (["1 2", "3"], "Invalid or missing double precision value", 7),
    (["1 2", "1 2", "1 2 3"], "Too many values", 8),
    (["x 1"], "Invalid first line of data", 6),
    (["1 2 3"], "Too many values on the first data row", 6),
    ([], "File does not contain any data points", 5),
]


@pytest.mark.parametrize("rows,text,line", REFUSALS)
def test_refusals_name_the_file_and_line(tmp_path, rows, text, line):
    path = write_out_file(tmp_path / "bad.out", rows)
    with pytest.raises(convergeout.LoadError) as refused:
        convergeout.load(path)
    error = refused.value
    assert error.messages[0] == f'File "{path}", line {line}: {text}'
    assert str(error).split("\n")[0] == error.messages[0]
    assert (error.file, error.line) == (str(path), line)
    copy = pickle.loads(pickle.dumps(error))
    assert (copy.messages, copy.file, copy.line, copy.hint, str(copy)) == \
        (error.messages, error.file, error.line, error.hint, str(error))


def test_refusals_without_a_line(tmp_path):
    banner = tmp_path / "other.out"
    banner.write_text("# OTHER\n")
    first = write_out_file(tmp_path / "first.out", ["1 2"])
    third = write_out_file(tmp_path / "third.out", ["1 2 3"], names=("a", "b", "c"),
                           units=("(x)", "(y)", "(z)"))
    cases = [
        ([banner], ["Only allowed to read in CONVERGE generated out files"], None, None),
        ([first, third], [f'File "{third}", line 3: Incompatible datasets.  Number of variables '
                          "are not equal"], str(third), 3),
    ]
    for paths, messages, file, line in cases:
        with pytest.raises(convergeout.LoadError) as refused:
            convergeout.load(*paths)
        assert (refused.value.messages, refused.value.file, refused.value.line) == \
            (messages, file, line), paths


def test_load_case_sets_refused_files_aside(tmp_path):
    shutil.copy(EXAMPLES / "engine_cycle.out", tmp_path)
    shutil.copy(REALDATA / "mech_check.out", tmp_path)
    (tmp_path / "restart").mkdir()
    shutil.copy(EXAMPLES / "engine_cycle.out", tmp_path / "restart")
    (tmp_path / "notes.txt").write_text("not an output file")
    datasets, refused = convergeout.load_case(tmp_path)
    assert list(datasets) == ["engine_cycle"] and list(refused) == [str(tmp_path / "mech_check.out")]
    assert refused[str(tmp_path / "mech_check.out")].line == 2
    datasets, refused = convergeout.load_case(tmp_path, pattern="**/*.out")
    assert list(datasets) == ["engine_cycle.out", "restart/engine_cycle.out"]
    assert datasets["restart/engine_cycle.out"].zone(1).file == str(tmp_path / "restart" /
                                                                   "engine_cycle.out")
    with pytest.warns(convergeout.ConvergeoutWarning, match="matches '\\*.txt': nothing was loaded"):
        assert convergeout.load_case(tmp_path / "restart", pattern="*.txt") == ({}, {})

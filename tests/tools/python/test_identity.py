"""Absent values stay absent, and every variable, zone and file keeps its identity in frames."""

import re
import shutil

import numpy as np
import pandas as pd
import pytest

import convergeout
from conftest import EXAMPLES, REALDATA, write_out_file

ENERGY = REALDATA / "source_energy.out"
ENERGY_VARIABLES = ["Crank (DEG)", "Source_8_0 Integrated_HR", "Source_8_0 HR_Rate",
                    "Source_9_1 Integrated_HR", "Source_9_1 HR_Rate"]


@pytest.fixture(scope="module")
def energy():
    return convergeout.load(ENERGY)


def test_a_zone_has_only_the_variables_its_file_gives_it(energy):
    assert energy.variables == ENERGY_VARIABLES
    # (zone, its name, its region, the variables it has)
    expected = [(1, "source_energy (J)", "(J)", [1, 2]),
                (2, "source_energy (J/DEG)", "(J/DEG)", [1, 3]),
                (3, "source_energy (J)", "(J)", [1, 4]),
                (4, "source_energy (J/DEG)", "(J/DEG)", [1, 5])]
    for number, name, region, numbers in expected:
        zone = energy.zone(number)
        assert (zone.name, zone.region, zone.numbers) == (name, region, numbers), number
        assert list(zone) == [ENERGY_VARIABLES[n - 1] for n in numbers], number
        assert zone.missing == [v for i, v in enumerate(ENERGY_VARIABLES, 1) if i not in numbers]
        absent = next(n for n in range(2, 6) if n not in numbers)
        for ask in (lambda: zone[ENERGY_VARIABLES[absent - 1]], lambda: zone.variable(absent)):
            with pytest.raises(KeyError, match=re.escape(
                    f'zone {number} "{name}" has no values of variable {absent} '
                    f'"{ENERGY_VARIABLES[absent - 1]}"')):
                ask()
        assert ENERGY_VARIABLES[absent - 1] not in zone
    # The crank angle is stored once and shared.
    assert all(energy.zone(n)["Crank"] is energy.zone(1)["Crank"] for n in (2, 3, 4))


def test_a_frame_shows_what_a_zone_lacks_as_missing(energy):
    frame = energy.to_pandas()
    assert list(frame.columns) == ENERGY_VARIABLES and frame.index.is_unique
    for zone in energy:
        part = frame.loc[zone.number]
        for number, name in enumerate(ENERGY_VARIABLES, start=1):
            if number in zone.numbers:
                assert np.array_equal(part[name].to_numpy(), zone[name]), (zone.number, name)
            else:
                assert part[name].isna().all(), (zone.number, name)
    # The two zones named "source_energy (J)" stay apart.
    assert frame.xs("(J)", level="region").index.get_level_values("zone").unique().tolist() == [1, 3]


def test_integer_variables_are_nullable_int32_whether_or_not_a_value_is_missing(tmp_path):
    one = write_out_file(tmp_path / "one.out", ["1 7", "2 8"], names=("Crank", "Steps"),
                         units=("(DEG)", "(number)"))
    regions = write_out_file(tmp_path / "regions.out", ["1 7 9"], names=("Crank", "Steps", "Mass"),
                             units=("(DEG)", "(number)", "(kg)"), locations=("(none)", "A", "B"))
    for path, steps in ((one, [7, 8]), (regions, [7, pd.NA])):
        frame = convergeout.load(path).to_pandas()
        assert str(frame["Steps"].dtype) == "Int32", path
        assert frame["Steps"].tolist() == steps, path


def test_a_name_that_several_columns_bear_is_reached_by_number(tmp_path):
    path = write_out_file(tmp_path / "twice.out", ["1 2 3", "4 5 6"],
                          names=("Crank", "Pressure", "Pressure"), units=("(DEG)", "(MPa)", "(MPa)"))
    ds = convergeout.load(path)
    zone = ds.zone(1)
    assert ds.variables == ["Crank (DEG)", "Pressure (MPa)", "Pressure (MPa)"]
    for key in ("Pressure", "Pressure (MPa)"):
        with pytest.raises(KeyError, match=r'could be variable 2 "Pressure \(MPa\)", 3 '
                                           r'"Pressure \(MPa\)"'):
            zone[key]
    assert zone.variable(2).tolist() == [2, 5] and zone.variable(3).tolist() == [3, 6]
    assert list(zone) == ds.variables and len(zone) == 3
    for bad, error in ((0, KeyError), (4, KeyError), ("2", TypeError), (True, KeyError)):
        with pytest.raises(error):
            zone.variable(bad)
    frame = ds.to_pandas()
    assert frame.iloc[:, 1].tolist() == [2, 5] and frame.iloc[:, 2].tolist() == [3, 6]


def test_every_load_has_a_unique_index_that_names_zone_and_file(tmp_path):
    (tmp_path / "a").mkdir()
    (tmp_path / "b").mkdir()
    first = shutil.copy(EXAMPLES / "engine_cycle.out", tmp_path / "a" / "thermo.out")
    second = shutil.copy(EXAMPLES / "engine_cycle.out", tmp_path / "b" / "thermo.out")
    for paths in ([first, first], [first, second], [ENERGY]):
        frame = convergeout.load(*paths).to_pandas()
        assert frame.index.is_unique, paths
        files = frame.index.get_level_values("file").unique().tolist()
        assert files == list(dict.fromkeys(str(p) for p in paths)), paths
    frame = convergeout.load(first, second).to_pandas()
    assert frame.loc[2].index.get_level_values("file").unique().tolist() == [str(second)]


def test_a_variable_takes_the_place_of_the_point(energy):
    frame = energy.to_pandas(index="Crank", units=False)
    assert frame.index.names == ["zone", "zone_name", "region", "file", "Crank"]
    assert "Crank" not in frame.columns
    crank = energy.zone(2)["Crank"]
    assert np.array_equal(frame.loc[2].index.get_level_values("Crank"), crank)
    with pytest.raises(KeyError, match='no variable "Angle"'):
        energy.to_pandas(index="Angle")


def test_notebooks_show_units_zones_and_points_and_complete_keys(energy):
    page = energy._repr_html_()
    for text in ("Source_8_0", "Integrated_HR", "<td>DEG</td>", "(J/DEG)", "14492"):
        assert text in page, text
    zone_page = energy.zone(2)._repr_html_()
    assert "Zone 2" in zone_page and "HR_Rate" in zone_page and "No values of 3" in zone_page
    assert energy.zone(2)._ipython_key_completions_() == ["Crank (DEG)", "Source_8_0 HR_Rate",
                                                          "Crank"]

"""Engine cycle results, worked by hand on made traces written as the solver writes them."""

import math

import numpy as np
import pytest

import convergeout
from convergeout import engine
from conftest import write_out_file

NAMES = ("Crank", "Pressure", "Volume", "Integrated_HR")
UNITS = ("(DEG)", "(MPa)", "(m^3)", "(J)")
# A crank-slider engine: bore, stroke and connecting rod (m), clearance volume (m^3).
BORE, STROKE, ROD, CLEARANCE = 0.08, 0.09, 0.15, 5e-5
AREA = math.pi * BORE ** 2 / 4


def slider_volume(crank):
    r, angle = STROKE / 2, np.radians(crank)
    return CLEARANCE + AREA * (r + ROD - r * np.cos(angle)
                               - np.sqrt(ROD ** 2 - (r * np.sin(angle)) ** 2))


def engine_zone(path, crank, pressure, volume, heat, names=NAMES, units=UNITS):
    columns = np.column_stack([crank, pressure, volume, heat])
    rows = [" ".join(repr(float(v)) for v in row) for row in columns]
    return convergeout.load(write_out_file(path, rows, names, units)).zone(1)


def ramp(crank, start, length, total, before=0.0):
    """Integrated heat: `before`, then `total` more released at an even rate over `length`."""
    return before + total * np.clip((crank - start) / length, 0, 1)


CYCLE = np.arange(-360.0, 360.0)


def test_one_cycle_worked_by_hand(tmp_path):
    # Pressure: 1 MPa, rising 0.25 MPa/deg from -20 to 10 (peak 8.5), falling 0.125 MPa/deg to 70.
    pressure = 1 + np.interp(CYCLE, [-20, 10, 70], [0, 7.5, 0])
    heat = ramp(CYCLE, 0, 40, 100.0, before=7.0)   # 100 J from 0 to 40 deg, after 7 J
    zone = engine_zone(tmp_path / "thermo.out", CYCLE, pressure, slider_volume(CYCLE), heat)
    found = engine.cycle_results(zone)
    assert (found["peak_pressure"], found["peak_pressure_crank"]) == (8.5, 10.0)
    # np.gradient's central difference has the full slope from -19 on; -20 has half of it.
    assert (found["max_pressure_rise"], found["max_pressure_rise_crank"]) == (0.25, -19.0)
    assert [found[k] for k in ("ca10", "ca50", "ca90", "burn_duration")] == [4.0, 20.0, 36.0,
                                                                              32.0]
    assert found["displacement"] == pytest.approx(AREA * STROKE, rel=1e-12)
    assert found["complete"] is True
    assert set(found) == set(engine.KEYS) | {"units"}


def test_work_and_imep_are_trapezoids_of_p_dv(tmp_path):
    volume = slider_volume(CYCLE)
    pressure = 2 + 1000 * volume  # linear in V: the trapezoids are exact
    zone = engine_zone(tmp_path / "thermo.out", CYCLE, pressure, volume,
                       ramp(CYCLE, 0, 40, 1.0))
    first, last = volume[0], volume[-1]
    work = 2 * (last - first) + 500 * (last ** 2 - first ** 2)
    found = engine.cycle_results(zone)
    assert found["work"] == pytest.approx(work, rel=1e-9, abs=1e-18)
    assert found["imep"] == pytest.approx(work / (AREA * STROKE), rel=1e-9, abs=1e-15)
    given = engine.cycle_results(zone, displacement=1e-3, si=True)
    assert given["work"] == pytest.approx(1e6 * work, rel=1e-9, abs=1e-12)
    assert given["imep"] == pytest.approx(1e6 * work / 1e-3, rel=1e-9, abs=1e-9)
    assert (given["units"]["work"], given["units"]["imep"]) == ("J", "Pa")
    # From a later start, only the rows from there on: no whole cycle.
    half = engine.cycle_results(zone, cycle_start=-180.0)
    begin = volume[180]
    assert half["work"] == pytest.approx(2 * (last - begin) + 500 * (last ** 2 - begin ** 2),
                                         rel=1e-9, abs=1e-18)
    assert half["complete"] is False


def test_each_cycle_is_taken_on_its_own(tmp_path):
    crank = np.arange(-360.0, 1100.0)
    # Cycle 0: a triangle of heat release rate from -10 to 30 deg (100 J); cycle 1: a ramp from
    # 720 to 760 deg (100 J more, the integral going on); the start of cycle 2 releases nothing.
    rising = 2.5 * np.clip(crank + 10, 0, 20) ** 2 / 20
    falling = 2.5 * np.clip(30 - crank, 0, 20) ** 2 / 20
    heat = np.where(crank <= 10, rising, 100 - falling) + ramp(crank, 720, 40, 100.0)
    heat[crank < -10] = 0
    volume = slider_volume(crank)
    zone = engine_zone(tmp_path / "thermo.out", crank, 1 + volume, volume, heat)
    with pytest.warns(convergeout.ConvergeoutWarning, match="never rises"):
        frame = engine.cycle_results_by_cycle(zone, cycle_start=-360.0)
    assert frame.index.tolist() == [0, 1, 2] and frame["start"].tolist() == [-360, 360, 1080]
    assert frame["complete"].tolist() == [True, True, False]
    # Between rows the integral is interpolated linearly: at -2 deg 8 J, at -1 deg 10.125 J.
    assert frame.loc[0, "ca10"] == pytest.approx(-2 + 2 / 2.125, abs=1e-12)
    assert frame.loc[0, "ca50"] == pytest.approx(10.0, abs=1e-12)
    assert frame.loc[0, "ca90"] == pytest.approx(21 + 0.125 / 2.125, abs=1e-12)
    assert frame.loc[1, ["ca10", "ca50", "ca90"]].tolist() == [724.0, 740.0, 756.0]
    assert np.isnan(frame.loc[2, "ca50"]) and np.isnan(frame.loc[2, "burn_duration"])
    assert frame.attrs["units"]["ca50"] == "DEG"
    alone = engine.cycle_results(zone, cycle_start=360.0)
    assert [alone[k] for k in engine.KEYS] == frame.loc[1, list(engine.KEYS)].tolist()


# The header of a solver 3.0.22 thermo.out: 17 columns, an empty location row.
THERMO_NAMES = ("Crank", "Pressure", "Max_Pres", "Min_Pres", "Mean_Temp", "Max_Temp", "Min_Temp",
                "Volume", "Mass", "Density", "Integrated_HR", "HR_Rate", "C_p", "C_v", "Gamma",
                "Kin_Visc", "Dyn_Visc")
THERMO_UNITS = ("(DEG)", "(MPa)", "(MPa)", "(MPa)", "(K)", "(K)", "(K)", "(m^3)", "(kg)",
                "(kg/m^3)", "(J)", "(J/time)", "(J/kg-K)", "(J/kg-K)", "(none)", "(m^2/s)",
                "(N*s/m^2)")


def test_a_solver_thermo_out_is_read_by_its_column_names(tmp_path):
    crank = np.arange(-20.0, 41.0)
    pressure = 1 + np.interp(crank, [-10, 5, 40], [0, 3, 0])
    heat = ramp(crank, 0, 20, 50.0)
    other = {"Max_Pres": 2 * pressure, "Min_Pres": pressure / 2,
             "HR_Rate": np.gradient(heat, crank), "Volume": slider_volume(crank)}
    columns = [other.get(name, crank if name == "Crank" else
                         pressure if name == "Pressure" else
                         heat if name == "Integrated_HR" else np.full(crank.size, 1.25))
               for name in THERMO_NAMES]
    rows = [" ".join(f"{v:.9e}" for v in row) for row in np.column_stack(columns)]
    zone = convergeout.load(write_out_file(tmp_path / "thermo.out", rows, THERMO_NAMES,
                                           THERMO_UNITS)).zone(1)
    found = engine.cycle_results(zone)
    assert (found["peak_pressure"], found["peak_pressure_crank"]) == (4.0, 5.0)
    assert (found["ca50"], found["complete"]) == (10.0, False)
    assert found["units"] == {
        "peak_pressure": "MPa", "peak_pressure_crank": "DEG", "max_pressure_rise": "MPa/DEG",
        "max_pressure_rise_crank": "DEG", "ca10": "DEG", "ca50": "DEG", "ca90": "DEG",
        "burn_duration": "DEG", "work": "MPa·m^3", "imep": "MPa", "displacement": "m^3",
        "complete": None}
    named = engine.cycle_results(zone, pressure="Max_Pres (MPa)")
    assert named["peak_pressure"] == 8.0


# (the rows: crank, pressure, volume, heat; the keywords; what the ValueError says)
REFUSED = [
    ([[0, 1, 1e-4, 0], [1, 2, 2e-4, 1], [1, 3, 3e-4, 2]], {},
     'does not increase strictly: at point 2'),
    ([[0, 1, 1e-4, 0], [1, 2, 2e-4, 1]], {"volume": "Vol"}, 'no volume column "Vol"'),
    ([[0, 1, 1e-4, 0], [1, 2, 1e-4, 1]], {}, "does not change over the rows: give the "
                                              "displacement"),
    ([[0, 1, 1e-4, 0], [1, 2, 2e-4, 1]], {"displacement": 0}, "displacement=0"),
    ([[0, 1, 1e-4, 0]], {}, "at least two rows"),
    ([[0, 1, 1e-4, 0], [1, 2, 2e-4, 1]], {"cycle_start": 1}, "at least two rows"),
]


@pytest.mark.parametrize("rows,keywords,message", REFUSED)
def test_what_cannot_be_computed_is_refused_with_its_reason(tmp_path, rows, keywords, message):
    rows = np.array(rows, dtype=float)
    zone = engine_zone(tmp_path / "thermo.out", *rows.T)
    with pytest.raises(ValueError, match=message):
        engine.cycle_results(zone, **keywords)


def test_si_converts_the_units_it_knows(tmp_path):
    # 1 bar over 1 L of 2 L swept, given in the file's units: 100 J, an IMEP of 0.5 bar.
    zone = engine_zone(tmp_path / "thermo.out", [0, 1], [1, 1], [1, 2], [0, 1],
                       units=("(DEG)", "(bar)", "(L)", "(J)"))
    found = engine.cycle_results(zone, displacement=2, si=True)
    assert found["work"] == pytest.approx(100.0) and found["imep"] == pytest.approx(0.5e5)
    assert (found["displacement"], found["units"]["displacement"]) == (2e-3, "m^3")
    assert engine.cycle_results(zone, displacement=2)["imep"] == 0.5
    psi = engine_zone(tmp_path / "psi.out", [0, 1], [1, 2], [1, 2], [0, 1],
                      units=("(DEG)", "(psi)", "(m^3)", "(J)"))
    with pytest.raises(ValueError, match="cannot convert the pressure unit 'psi'"):
        engine.cycle_results(psi, si=True)
    assert engine.cycle_results(psi)["units"]["imep"] == "psi"


def test_a_sweep_gives_a_row_per_case_and_cycle_with_its_parameters(tmp_path):
    crank = np.arange(-360.0, 1080.0)
    for rpm, start in ((1500, 0), (2000, 6)):
        (tmp_path / f"rpm{rpm}").mkdir()
        heat = ramp(crank, start, 40, 100.0) + ramp(crank, 720 + start, 40, 100.0)
        engine_zone(tmp_path / f"rpm{rpm}" / "thermo.out", crank, 1 + 0 * crank,
                    slider_volume(crank), heat)
    sweep = convergeout.load_sweep(str(tmp_path / "rpm*"), "thermo.out", params="names")
    frame = sweep.cycle_results(cycle_start=-360.0)
    assert frame.index.names == ["case", "zone", "zone_name", "region", "cycle"]
    assert frame.index.get_level_values("cycle").tolist() == [0, 1, 0, 1]
    assert frame["rpm"].tolist() == [1500, 1500, 2000, 2000] and frame["rpm"].dtype == np.int64
    assert frame["ca50"].tolist() == [20.0, 740.0, 26.0, 746.0]
    assert frame.columns.tolist()[:3] == ["rpm", "start", "peak_pressure"]
    broken = convergeout.load_sweep(str(tmp_path / "rpm*"), "thermo.out", params="names")
    with pytest.raises(ValueError, match="case 'rpm1500', zone 1: .*no heat column"):
        broken.cycle_results(heat="Heat")

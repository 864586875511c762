"""Engine cycle results from a ``thermo.out``: peak pressure, pressure rise, burn angles, work and
IMEP, over the rows given or per 720-degree cycle.

Every number is computed from the rows as the file gives them, in the file's own units, by the
definitions below; nothing is smoothed, filtered or made up, and no unit is converted unless
``si=True`` asks for it.

- ``peak_pressure`` and ``peak_pressure_crank``: the largest pressure and its crank angle.
- ``max_pressure_rise`` and ``max_pressure_rise_crank``: the largest pressure rise per degree,
  ``numpy.gradient(pressure, crank)``, and its crank angle.
- ``ca10``, ``ca50``, ``ca90``: the first crank angle, linearly interpolated between rows, at
  which the integrated heat release, taken relative to its first row, reaches 10, 50 and 90% of
  its largest value over the rows; ``burn_duration`` is ``ca90 - ca10``. A heat release that
  never rises above its first row gives ``NaN`` for these, with a warning.
- ``work``: the integral of p dV over the rows (trapezoids along the rows); ``imep`` is
  ``work / displacement``, where ``displacement`` is given or taken as the largest minus the
  smallest volume over the rows.
- ``complete``: whether the rows span a whole cycle of 720 degrees, each row counting for the
  crank step that follows it (the last row for the step before it), so that rows at -360, -359,
  ..., 359 degrees are a whole cycle.

The first occurrence wins where a largest value occurs more than once.

Functions
---------
cycle_results(zone, ...)
    The results over a zone's rows, or over one cycle of them.
cycle_results_by_cycle(zone, ...)
    One row of results per 720-degree cycle, as a pandas frame.
Sweep.cycle_results(...)
    One frame for a whole sweep: a row per case, zone and cycle.
"""

from __future__ import annotations

import math
import warnings
from collections.abc import Mapping
from typing import Any, Dict, List, Optional, Tuple

import numpy as np

from . import _native
from ._dataset import Zone, pandas_module
from ._errors import ConvergeoutWarning

#: The crank angle of one engine cycle, in degrees: two turns of the crank.
CYCLE_DEGREES = 720.0

#: The keys of a result, in order.
KEYS = ("peak_pressure", "peak_pressure_crank", "max_pressure_rise", "max_pressure_rise_crank",
        "ca10", "ca50", "ca90", "burn_duration", "work", "imep", "displacement", "complete")

# Factors to SI units, for si=True: pressure to Pa, volume to m^3.
_TO_PASCAL = {"Pa": 1.0, "kPa": 1e3, "MPa": 1e6, "GPa": 1e9, "bar": 1e5}
_TO_CUBIC_METRE = {"m^3": 1.0, "cm^3": 1e-6, "mm^3": 1e-9, "L": 1e-3}
_BURN_FRACTIONS = (("ca10", 0.1), ("ca50", 0.5), ("ca90", 0.9))


class _Column:
    """One column of a zone that a result uses: its name, its values, and its unit."""

    def __init__(self, name: str, values: np.ndarray, unit: Optional[str]) -> None:
        self.name, self.values, self.unit = name, values, unit


def _column(zone, role: str, given: Optional[str], default: str) -> _Column:
    """The column that `given` (or else `default`) names in zone: a full name or a name
    without its unit, as a zone takes it. ValueError naming it when there is none."""
    wanted = given if given is not None else default
    where = (f'zone {zone.number} "{zone.name}"' if isinstance(zone, Zone) else "the mapping")
    if isinstance(zone, Zone):
        try:
            position = zone._names.find(wanted)
            values = zone._values_at(position)
        except KeyError as missing:
            raise ValueError(f'{where} has no {role} column "{wanted}" ({missing.args[0]}); '
                             f'name it with {role}="..."') from None
        full = zone._names.full[position]
    elif isinstance(zone, Mapping):
        found = [key for key in zone if key == wanted] or \
            [key for key in zone if _native.split_unit(key)[0] == wanted]
        if len(found) != 1:
            reason = "none" if not found else f"several: {found}"
            raise ValueError(f'{where} has no one {role} column "{wanted}" ({reason}); name it '
                             f'with {role}="..."')
        full, values = found[0], zone[found[0]]
    else:
        raise TypeError(f"cycle results are taken from a convergeout.Zone or a mapping of "
                        f"column name to values, not {type(zone).__name__}")
    return _Column(full, np.asarray(values, dtype=np.float64), _native.split_unit(full)[1])


def _columns(zone, crank, pressure, volume, heat) -> Tuple[_Column, ...]:
    return (_column(zone, "crank", crank, "Crank"),
            _column(zone, "pressure", pressure, "Pressure"),
            _column(zone, "volume", volume, "Volume"),
            _column(zone, "heat", heat, "Integrated_HR"))


def _check_crank(crank: _Column, rows: slice = slice(None)) -> None:
    angles = crank.values[rows]
    if angles.size < 2:
        raise ValueError(f'"{crank.name}": cycle results need at least two rows, not '
                         f"{angles.size}")
    steps = np.diff(angles)
    if not np.all(steps > 0):
        at = int(np.argmin(steps > 0)) + 1
        raise ValueError(f'"{crank.name}" does not increase strictly: at point '
                         f"{at + (rows.start or 0)} it goes from {angles[at - 1]!r} to "
                         f"{angles[at]!r} (a restarted run? join its pieces with load_restarts)")


def _factor(table: Dict[str, float], unit: Optional[str], what: str) -> float:
    if unit not in table:
        raise ValueError(f"si=True cannot convert the {what} unit {unit!r}: known are "
                         f"{', '.join(table)}; leave si=False to keep the file's units")
    return table[unit]


def _units(crank: _Column, pressure: _Column, volume: _Column, si: bool) -> Dict[str, Any]:
    angle = crank.unit
    p = "Pa" if si else pressure.unit
    v = "m^3" if si else volume.unit
    work = "J" if si else (f"{p}·{v}" if p and v else None)
    return {"peak_pressure": p, "peak_pressure_crank": angle,
            "max_pressure_rise": f"{p}/{angle}" if p and angle else None,
            "max_pressure_rise_crank": angle, "ca10": angle, "ca50": angle, "ca90": angle,
            "burn_duration": angle, "work": work, "imep": p, "displacement": v,
            "complete": None}


def _burn_angles(angles: np.ndarray, heat: np.ndarray, name: str) -> Dict[str, float]:
    released = heat - heat[0]
    top = float(np.max(released))
    if not top > 0:
        warnings.warn(f'"{name}" never rises above its first row ({heat[0]!r}) over the rows '
                      "from crank angle {:g} to {:g}: CA10, CA50, CA90 and the burn duration "
                      "are NaN".format(angles[0], angles[-1]), ConvergeoutWarning, stacklevel=4)
        return {key: math.nan for key, _ in _BURN_FRACTIONS}
    found = {}
    for key, fraction in _BURN_FRACTIONS:
        target = fraction * top
        after = int(np.argmax(released >= target))  # > 0: the first row released nothing
        before = after - 1
        share = (target - released[before]) / (released[after] - released[before])
        found[key] = float(angles[before] + share * (angles[after] - angles[before]))
    return found


def _results(crank: _Column, pressure: _Column, volume: _Column, heat: _Column, rows: slice,
             displacement: Optional[float], si: bool) -> Dict[str, Any]:
    angles = crank.values[rows]
    p = pressure.values[rows]
    v = volume.values[rows]
    to_cubic_metres = 1.0
    if si:
        p = p * _factor(_TO_PASCAL, pressure.unit, "pressure")
        to_cubic_metres = _factor(_TO_CUBIC_METRE, volume.unit, "volume")
        v = v * to_cubic_metres
    peak = int(np.argmax(p))
    rise = np.gradient(p, angles)
    fastest = int(np.argmax(rise))
    burn = _burn_angles(angles, heat.values[rows], heat.name)
    work = float(np.sum(0.5 * (p[1:] + p[:-1]) * np.diff(v)))
    if displacement is None:
        swept = float(np.max(v) - np.min(v))
        if not swept > 0:
            raise ValueError(f'"{volume.name}" does not change over the rows: give the '
                             "displacement")
    else:
        swept = float(displacement) * to_cubic_metres
    span = angles[-1] - angles[0] + (angles[-1] - angles[-2])
    return {"peak_pressure": float(p[peak]), "peak_pressure_crank": float(angles[peak]),
            "max_pressure_rise": float(rise[fastest]),
            "max_pressure_rise_crank": float(angles[fastest]),
            **burn, "burn_duration": burn["ca90"] - burn["ca10"],
            "work": work, "imep": work / swept, "displacement": swept,
            "complete": bool(span >= CYCLE_DEGREES * (1 - 1e-12))}


def _check_displacement(displacement) -> None:
    if displacement is not None and not (isinstance(displacement, (int, float, np.number))
                                         and displacement > 0):
        raise ValueError(f"displacement={displacement!r}: the swept volume is a number above 0, "
                         "in the volume column's unit")


def cycle_results(zone, crank: Optional[str] = None, pressure: Optional[str] = None,
                  volume: Optional[str] = None, heat: Optional[str] = None,
                  displacement: Optional[float] = None, cycle_start: Optional[float] = None,
                  *, si: bool = False) -> Dict[str, Any]:
    """The engine results of a zone's rows: peak pressure, pressure rise, burn angles, work,
    IMEP (the definitions are in the module's help).

    Parameters
    ----------
    zone : Zone
        A zone of a loaded ``thermo.out`` (or a mapping of column name to values).
    crank, pressure, volume, heat : str, optional
        The columns to use, a full name or a name without its unit; by default ``"Crank"``,
        ``"Pressure"``, ``"Volume"`` and ``"Integrated_HR"``.
    displacement : float, optional
        The swept volume, in the volume column's unit; by default the largest minus the
        smallest volume over the rows.
    cycle_start : float, optional
        Only the rows of the cycle that begins at this crank angle: from it to 720 degrees
        later, that end not included. By default every row.
    si : bool, default False
        Pressures in Pa, volumes in m^3 and work in J, from the units the file gives (MPa, kPa,
        bar; cm^3, L, ...); by default the file's own units.

    Returns
    -------
    dict
        The results under the keys of ``convergeout.engine.KEYS``, as floats (``complete`` a
        bool), and ``"units"``: a dict with the same keys giving each one's unit (``"MPa"``,
        ``"MPa/DEG"``, ``"MPa·m^3"``, ...), ``None`` where there is none.

    Raises
    ------
    ValueError
        A column is missing (the message names it); the crank angle does not increase strictly;
        fewer than two rows; a volume that does not change and no displacement.

    Warns
    -----
    ConvergeoutWarning
        The heat release never rises above its first row: the burn angles are NaN.

    Examples
    --------
    >>> import convergeout
    >>> from convergeout import engine
    >>> zone = convergeout.load("examples/engine_cycle.out").zone(1)
    >>> results = engine.cycle_results(zone)
    >>> round(results["ca50"], 2), results["units"]["ca50"]
    (16.76, 'DEG')
    >>> round(results["imep"], 3), results["units"]["imep"], results["complete"]
    (1.293, 'MPa', False)
    >>> round(engine.cycle_results(zone, si=True)["work"], 1)    # in J
    701.7
    """
    _check_displacement(displacement)
    columns = _columns(zone, crank, pressure, volume, heat)
    rows = slice(None)
    if cycle_start is not None:
        angles = columns[0].values
        first, end = np.searchsorted(angles, [cycle_start, cycle_start + CYCLE_DEGREES])
        rows = slice(int(first), int(end))
    _check_crank(columns[0], rows)
    found = _results(*columns, rows, displacement, si)
    found["units"] = _units(columns[0], columns[1], columns[2], si)
    return found


def _cycles(angles: np.ndarray, start: float) -> List[Tuple[int, float, slice]]:
    """The cycles of the rows from `start` on: (number from 0, start angle, rows) for each that
    has at least two rows."""
    number = np.floor((angles - start) / CYCLE_DEGREES)
    cycles = []
    for k in np.unique(number[number >= 0]):
        where = np.flatnonzero(number == k)
        if where.size >= 2:
            cycles.append((int(k), start + k * CYCLE_DEGREES,
                           slice(int(where[0]), int(where[-1]) + 1)))
    return cycles


def _by_cycle_rows(zone, crank=None, pressure=None, volume=None, heat=None, displacement=None,
                  cycle_start=None, si=False) -> Tuple[List[Dict[str, Any]], Dict[str, Any]]:
    """The results of each cycle of a zone, as (a list of dicts with "cycle" and "start" first,
    the units): what cycle_results_by_cycle and Sweep.cycle_results put in frames."""
    _check_displacement(displacement)
    columns = _columns(zone, crank, pressure, volume, heat)
    _check_crank(columns[0])
    angles = columns[0].values
    start = float(angles[0]) if cycle_start is None else float(cycle_start)
    rows = [{"cycle": number, "start": begins, **_results(*columns, rows, displacement, si)}
            for number, begins, rows in _cycles(angles, start)]
    return rows, _units(columns[0], columns[1], columns[2], si)


def cycle_results_by_cycle(zone, crank: Optional[str] = None, pressure: Optional[str] = None,
                           volume: Optional[str] = None, heat: Optional[str] = None,
                           displacement: Optional[float] = None,
                           cycle_start: Optional[float] = None, *, si: bool = False):
    """The engine results of each 720-degree cycle of a zone's rows, as a pandas frame.

    The rows are split into cycles from ``cycle_start`` (by default the first row's crank
    angle): cycle k holds the rows from ``cycle_start + 720 k`` up to, not including, 720
    degrees later. Each cycle's results are those of :func:`cycle_results` over its rows (its
    heat release taken relative to its own first row); rows before ``cycle_start`` and cycles
    of fewer than two rows are left out. The last cycle of a run that stopped early has
    ``complete`` False.

    The parameters are those of :func:`cycle_results`.

    Returns
    -------
    pandas.DataFrame
        One row per cycle, indexed by ``cycle`` (from 0); a ``start`` column (the crank angle
        the cycle begins at), then a column per key of ``convergeout.engine.KEYS``.
        ``frame.attrs["units"]`` gives each column's unit.

    Raises
    ------
    ImportError
        pandas is not installed.

    Examples
    --------
    >>> import convergeout
    >>> from convergeout import engine
    >>> zone = convergeout.load("examples/engine_cycle.out").zone(1)
    >>> frame = engine.cycle_results_by_cycle(zone, cycle_start=-180.0)
    >>> frame[["start", "ca50", "complete"]].round(2)
           start   ca50  complete
    cycle
    0     -180.0  16.76     False
    """
    pandas = pandas_module()
    rows, units = _by_cycle_rows(zone, crank, pressure, volume, heat, displacement,
                                 cycle_start, si)
    frame = pandas.DataFrame(rows, columns=["cycle", "start", *KEYS]).set_index("cycle")
    frame.attrs["units"] = {"start": units["ca10"], **units}
    return frame

"""steady: whether a run's values have settled, point by point or cycle by cycle."""

from __future__ import annotations

import math
from typing import NamedTuple, Optional, Sequence

import numpy as np


class Steadiness(NamedTuple):
    """What :func:`steady` found. True in a condition when the values are steady."""
    steady: bool       #: the last window's mean moved by no more than the tolerance
    mean: float        #: the mean of the last window
    change: float      #: how far it moved from the mean of the window before (absolute)
    tolerance: float   #: atol + rtol * abs(mean)
    spread: float      #: the largest minus the smallest value in the last window
    windows: int       #: the points (or cycles) compared: 2 * window, or fewer when too few

    def __bool__(self) -> bool:
        return self.steady


def steady(values: Sequence[float], window: int, rtol: float = 1e-3, atol: float = 0.0,
           cycles: Optional[Sequence[int]] = None) -> Steadiness:
    """Whether a series has reached a steady state: the mean over its last ``window`` points
    moved by no more than ``atol + rtol * |mean|`` from the mean over the ``window`` points
    before them.

    With ``cycles``, the positions at which the cycles of an engine run begin, each whole
    cycle counts as one value, its mean: ``window`` is then a number of cycles, and the change
    is that of a cycle's mean from cycle to cycle (with ``window=1``). The cycle still under
    way (from the last position on) is left out. Fewer than ``2 * window`` points or cycles are
    never steady, and their change is NaN: nothing is made up.

    Parameters
    ----------
    values : array-like
        The series, in the order of the run (a zone's values, such as ``zone["Pressure"]``).
    window : int
        How many points (or cycles) make one window.
    rtol, atol : float
        The relative and absolute tolerance of the change, as in ``numpy.isclose``.
    cycles : sequence of int, optional
        The positions (from 0) in ``values`` at which cycles begin, in order: for a crank
        angle, ``numpy.searchsorted(crank, starts)`` for starts 720 degrees apart.

    Returns
    -------
    Steadiness
        ``steady`` (and the result's truth), ``mean``, ``change``, ``tolerance``, ``spread``
        (the largest minus the smallest value, or cycle mean, in the last window) and
        ``windows`` (how many points or cycles were compared).

    Examples
    --------
    >>> import numpy as np
    >>> import convergeout
    >>> settling = 300 + 50 * np.exp(-np.arange(400) / 40)    # a temperature settling at 300
    >>> convergeout.steady(settling, window=50, rtol=1e-3).steady
    True
    >>> early = convergeout.steady(settling[:150], window=50, rtol=1e-3)
    >>> early.steady, round(early.mean, 2), round(early.change, 2), round(early.spread, 2)
    (False, 302.37, 5.91, 2.9)
    >>> cycle = np.tile(np.sin(np.linspace(0, 2 * np.pi, 720, endpoint=False)), 4) + 1
    >>> bool(convergeout.steady(cycle, window=1, cycles=[0, 720, 1440, 2160]))
    True
    """
    if isinstance(window, bool) or not isinstance(window, (int, np.integer)) or window < 1:
        raise ValueError(f"window={window!r}: a window is a number of points (or cycles), 1 or "
                         "more")
    for name, tolerance in (("rtol", rtol), ("atol", atol)):
        if not tolerance >= 0:
            raise ValueError(f"{name}={tolerance!r}: a tolerance is 0 or more")
    series = np.asarray(values, dtype=np.float64)
    if series.ndim != 1:
        raise ValueError(f"values are one series of numbers, not an array of shape "
                         f"{series.shape}")
    if cycles is not None:
        series = _cycle_means(series, cycles)
    last = series[-window:]
    mean = float(np.mean(last)) if last.size else math.nan
    spread = float(np.ptp(last)) if last.size else math.nan
    tolerance = atol + rtol * abs(mean)
    if series.size < 2 * window:
        return Steadiness(False, mean, math.nan, tolerance, spread, int(series.size))
    change = abs(mean - float(np.mean(series[-2 * window:-window])))
    return Steadiness(bool(change <= tolerance), mean, change, tolerance, spread, 2 * window)


def _cycle_means(series: np.ndarray, cycles: Sequence[int]) -> np.ndarray:
    """The mean of each whole cycle: from each start to the next."""
    starts = np.asarray(cycles, dtype=np.int64)
    if starts.ndim != 1 or np.any(np.diff(starts) <= 0) or \
            (starts.size and (starts[0] < 0 or starts[-1] > series.size)):
        raise ValueError("cycles are the positions at which cycles begin: increasing, within "
                         f"the {series.size} values")
    return np.array([series[a:b].mean() for a, b in zip(starts[:-1], starts[1:])])

"""Long frames: the zones of one or more datasets as one pandas.DataFrame, a row per point.

A frame's columns are variables matched across datasets by full name (the k-th column of a name
with the k-th of that name: a file may repeat a name); a value that a zone has not is missing.
Its index is unique: [case,] zone, zone_name, region, file, then point or a variable's values.
"""

from __future__ import annotations

from typing import Any, Dict, List, NamedTuple, Optional, Sequence, Tuple

import numpy as np

from ._variables import VariableNames

#: The levels after the case: the zone's number, its name, its region, its file, the point.
ZONE_LEVELS = ("zone", "zone_name", "region", "file")

Key = Tuple[str, int]  # a variable's full name, and which of the columns of that name


def variable_keys(full: Sequence[str]) -> List[Key]:
    seen: Dict[str, int] = {}
    keys = []
    for name in full:
        keys.append((name, seen.get(name, 0)))
        seen[name] = seen.get(name, 0) + 1
    return keys


class ZoneSource(NamedTuple):
    """What a frame needs of one zone: its labels, per variable key its values (an array, or
    None for a zone of a header read without its rows), and the number of its first point."""
    number: int
    name: str
    region: Optional[str]
    file: Optional[str]
    points: int
    values: Dict[Key, Optional[np.ndarray]]
    piece: Optional[np.ndarray]
    first_point: int = 0


class Layout(NamedTuple):
    """The columns of a frame: which variable keys, their labels, and their types."""
    keys: List[Key]
    labels: List[str]
    integer: List[bool]
    index: Optional[Key]  # the variable in place of the point, or None
    index_label: str


def dataset_sources(dataset) -> List[ZoneSource]:
    keys = variable_keys(dataset._names.full)
    return [ZoneSource(z.number, z.name, z.region, z.file, z.points,
                       {keys[p]: a for p, a in zip(z._numbers, z._arrays)}, z.piece,
                       z.first_point)
            for z in dataset]


def layout(described: Sequence[Tuple[Sequence[str], Sequence[bool]]], units: bool,
           variables: Optional[Sequence[str]] = None, index: Optional[str] = None) -> Layout:
    """The columns of a frame over datasets of these (variable names, integer flags): every
    variable key in order of first appearance (or those that `variables` names, in its order),
    typed Int32 where every dataset has it as an integer, else float64."""
    order: Dict[Key, bool] = {}
    for full, integer in described:
        for key, is_integer in zip(variable_keys(full), integer):
            order[key] = order.get(key, True) and bool(is_integer)
    keys = list(order)
    names = VariableNames([name for name, _ in keys])
    labels = names.column_names(units)

    def resolve(name: str) -> int:
        return names.find(name)

    index_at = resolve(index) if index is not None else None
    chosen = ([resolve(v) for v in variables] if variables is not None else
              list(range(len(keys))))
    chosen = [at for at in dict.fromkeys(chosen) if at != index_at]
    return Layout([keys[at] for at in chosen], [labels[at] for at in chosen],
                  [order[keys[at]] for at in chosen],
                  keys[index_at] if index_at is not None else None,
                  labels[index_at] if index_at is not None else "point")


def build_frame(pandas, parts: Sequence[Tuple[Optional[str], Sequence[ZoneSource]]],
                columns: Layout, params: Optional[Dict[str, Dict[str, Any]]] = None,
                param_types: Optional[Dict[str, Any]] = None):
    """The long frame of the zones of parts, each (case or None, zones), in order. With cases,
    the index starts with a `case` level and each case's params are columns (typed by
    param_types, name to numpy dtype), before a `piece` column (series joined from pieces) and
    the variables."""
    zones = [(case, zone) for case, sources in parts for zone in sources]
    lengths = [zone.points for _, zone in zones]
    total = sum(lengths)
    doubles = [j for j, integer in enumerate(columns.integer) if not integer]
    block = np.empty((total, len(doubles)), order="F")
    for at, j in enumerate(doubles):
        _fill(block[:, at], zones, columns.keys[j])
    frame = pandas.DataFrame(block, columns=[columns.labels[j] for j in doubles], copy=False)
    for j, integer in enumerate(columns.integer):
        if integer:
            frame.insert(j, columns.labels[j], _integers(pandas, total, zones, columns.keys[j]),
                         allow_duplicates=True)
    at = 0
    if any(zone.piece is not None for _, zone in zones):
        frame.insert(0, "piece", np.concatenate(
            [zone.piece if zone.piece is not None else np.zeros(zone.points, np.int64)
             for _, zone in zones]), allow_duplicates=True)
    with_cases = any(case is not None for case, _ in zones)
    if with_cases and param_types:
        for name, dtype in param_types.items():
            values = np.empty(total, dtype)
            start = 0
            for (case, _), length in zip(zones, lengths):
                values[start:start + length] = (params or {}).get(case, {}).get(name, np.nan)
                start += length
            frame.insert(at, name, values, allow_duplicates=True)
            at += 1
    points = None
    if columns.index is not None:
        points = np.empty(total)
        _fill(points, zones, columns.index)
    frame.index = _index(pandas, zones, lengths, with_cases, points, columns.index_label)
    return frame


def _fill(out: np.ndarray, zones, key: Key) -> None:
    start = 0
    for _, zone in zones:
        values = zone.values.get(key)
        out[start:start + zone.points] = values if values is not None else np.nan
        start += zone.points


def _integers(pandas, total: int, zones, key: Key):
    values = np.zeros(total, np.int32)
    absent = np.zeros(total, bool)
    start = 0
    for _, zone in zones:
        found = zone.values.get(key)
        if found is not None:
            values[start:start + zone.points] = found
        else:
            absent[start:start + zone.points] = True
        start += zone.points
    return pandas.arrays.IntegerArray(values, absent)


def _index(pandas, zones, lengths, with_cases: bool, points, point_label: str):
    def factor(keys):
        levels = list(dict.fromkeys(k for k in keys if k is not None))
        where = {k: i for i, k in enumerate(levels)}
        codes = [where[k] if k is not None else -1 for k in keys]
        return levels, np.repeat(np.asarray(codes, np.int64), lengths)

    columns = ([[case for case, _ in zones]] if with_cases else []) + [
        [zone.number for _, zone in zones], [zone.name for _, zone in zones],
        [zone.region for _, zone in zones], [zone.file for _, zone in zones]]
    levels, codes = [], []
    for keys in columns:
        level, code = factor(keys)
        levels.append(level)
        codes.append(code)
    if points is None:
        firsts = [zone.first_point for _, zone in zones]
        low = min(firsts, default=0)
        levels.append(np.arange(low, max((f + n for f, n in zip(firsts, lengths)), default=0)))
        codes.append(np.concatenate([np.arange(f - low, f - low + n)
                                     for f, n in zip(firsts, lengths)])
                     if lengths else np.zeros(0, np.int64))
    else:
        code, level = pandas.factorize(points)
        levels.append(level)
        codes.append(code)
    names = (["case"] if with_cases else []) + list(ZONE_LEVELS) + [point_label]
    return pandas.MultiIndex(levels=levels, codes=codes, names=names, verify_integrity=False)

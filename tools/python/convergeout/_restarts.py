"""load_restarts: the output file of a run that was stopped and restarted, its pieces joined
into one series."""

from __future__ import annotations

import os
from typing import Dict, List, Optional, Sequence

import numpy as np

from ._dataset import Dataset, PathLike, Zone, load_quietly
from ._errors import give_warnings
from ._variables import VariableNames


def _difference(first: Dataset, other: Dataset) -> Optional[str]:
    """How other's variables differ from first's, or None when they do not."""
    if first.variables == other.variables:
        if first._integer == other._integer:
            return None
        changed = [name for name, a, b in zip(first.variables, first._integer, other._integer)
                   if a != b]
        return "types differ for " + ", ".join(f'"{n}"' for n in changed)
    missing = [n for n in first.variables if n not in other.variables]
    added = [n for n in other.variables if n not in first.variables]
    parts = ([f"lacks {', '.join(repr(n) for n in missing)}"] if missing else []) + \
        ([f"adds {', '.join(repr(n) for n in added)}"] if added else [])
    return "; ".join(parts) or "the variables are in another order"


def load_restarts(paths: Sequence[PathLike], on: Optional[str] = None, *,
                  header: str = "strict", tail: str = "strict") -> Dataset:
    """The same output file from the pieces of one run that was stopped and restarted, joined
    into one continuous series along ``on``.

    Each piece is loaded alone (as :func:`load` loads it). Its zones are matched with the first
    piece's by position and region, and each zone's values are joined in the order the pieces
    are given. Where a later piece starts at or before the end of an earlier one (a restart from
    an earlier point, which the run then computed again), the earlier piece's rows from that
    point on are left out. ``Zone.piece`` tells which piece each point comes from (a ``piece``
    column in frames). Columns that accumulate over the run (integrated heat release, injected
    mass) are left as each piece wrote them: a restart that began its sums again shows it.

    Parameters
    ----------
    paths : sequence of str or os.PathLike
        The pieces, in the order the run wrote them.
    on : str, optional
        The variable the series runs along (full name or without unit); by default the first
        variable, the crank angle or the time.
    header, tail : str
        As for :func:`load`: ``tail="complete"`` for a last piece that is still being written.

    Returns
    -------
    Dataset
        One zone per zone of a piece, with copies of the joined values; ``files`` lists the
        pieces.

    Raises
    ------
    ValueError
        No piece; pieces whose variables or zones differ (the message names the piece and the
        difference); a piece whose own ``on`` values decrease.
    FileNotFoundError, LoadError
        A piece that does not load, as :func:`load` raises it.

    Examples
    --------
    >>> import convergeout
    >>> ds = convergeout.load_restarts(["examples/regions_cycle1.out",
    ...                                 "examples/regions_cycle2.out"], on="Crank")
    >>> zone = ds.zone(1)
    >>> zone.points, int(zone.piece[0]), int(zone.piece[-1])
    (660, 0, 1)
    """
    if isinstance(paths, (str, bytes, os.PathLike)) or len(paths) == 0:
        raise ValueError("load_restarts takes a list of the run's pieces, at least one")
    pieces: List[Dataset] = []
    notes = []
    for path in paths:
        dataset, piece_notes = load_quietly([path], header=header, tail=tail)
        pieces.append(dataset)
        notes += piece_notes
    give_warnings(notes, stacklevel=2)
    first = pieces[0]
    along = first._names.find(on) if on is not None else 0
    regions = [z.region for z in first]
    for k, piece in enumerate(pieces[1:], start=1):
        difference = _difference(first, piece)
        if difference is not None:
            raise ValueError(f"piece {k + 1} ({piece.files[0]}) does not continue piece 1 "
                             f"({first.files[0]}): its variables differ: {difference}")
        if [z.region for z in piece] != regions:
            raise ValueError(f"piece {k + 1} ({piece.files[0]}) does not continue piece 1: its "
                             f"zones are {[z.region for z in piece]}, not {regions}")

    # Which rows of each piece stay: all but those at or after the next piece's start.
    keep: List[int] = []
    starts: List[Optional[float]] = []
    for k, piece in enumerate(pieces):
        values = next((z._values_at(along) for z in piece if along in z._slot), None)
        if values is None:
            raise ValueError(f"piece {k + 1} ({piece.files[0]}) has no values of "
                             f'"{first.variables[along]}" to join the pieces along')
        if values.size > 1 and np.any(np.diff(values) < 0):
            at = int(np.argmax(np.diff(values) < 0)) + 1
            raise ValueError(f"piece {k + 1} ({piece.files[0]}): "
                             f'"{first.variables[along]}" decreases at point {at}, so the piece '
                             "is not one run's rows in order")
        keep.append(values.size)
        starts.append(float(values[0]) if values.size else None)
    for k in range(1, len(pieces)):
        if starts[k] is None:
            continue
        for earlier in range(k):
            values = next(z._values_at(along) for z in pieces[earlier] if along in z._slot)
            keep[earlier] = min(keep[earlier], int(np.searchsorted(values[:keep[earlier]],
                                                                   starts[k], side="left")))

    names = VariableNames(first.variables)
    zones = []
    joined: Dict[tuple, np.ndarray] = {}
    for z, zone in enumerate(first):
        numbers = zone._numbers
        arrays = []
        for position in numbers:
            share = dict(zip(zone._numbers, zone._shared)).get(position, 0)
            key = (share or zone.number, position)
            if key not in joined:
                joined[key] = np.concatenate([piece.zones[z]._values_at(position)[:n]
                                              for piece, n in zip(pieces, keep)])
            arrays.append(joined[key])
        piece_of = np.repeat(np.arange(len(pieces), dtype=np.int64), keep)
        zones.append(Zone(zone.name, zone.number, int(sum(keep)), zone.file, names, numbers,
                          arrays, zone._shared, zone.region, piece_of))
    return Dataset(first.title, first.variables, zones, [p.files[0] for p in pieces],
                   first._integer, {f: c for p in pieces for f, c in
                                    p.columns_not_loaded.items()},
                   [t for p in pieces for t in p.tolerated],
                   [o for p in pieces for o in p.left_out])

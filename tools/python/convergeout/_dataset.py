"""load, Dataset and Zone: one load of CONVERGE output files, its zones and their values."""

from __future__ import annotations

import operator
import os
from collections.abc import ItemsView, Mapping, ValuesView
from typing import TYPE_CHECKING, Dict, Iterator, List, Optional, Sequence, Tuple, Union

import numpy as np

from . import _native
from ._errors import LoadError

if TYPE_CHECKING:  # pandas is optional: only to_pandas() needs it
    import pandas

#: A file name: text, bytes, or a path object such as pathlib.Path.
PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_PANDAS_MISSING = (
    "to_pandas() needs pandas, which is not installed: install it (on Debian or Ubuntu "
    "'apt install python3-pandas', elsewhere 'pip install pandas') and call it again"
)


def _pandas():
    try:
        import pandas
    except ImportError as missing:
        raise ImportError(_PANDAS_MISSING) from missing
    return pandas


def _file_name(path: PathLike) -> bytes:
    name = os.fsencode(path)
    if b"\0" in name:
        raise ValueError(f"a file name cannot hold a NUL character: {path!r}")
    return name


def load(path: PathLike, *more_paths: PathLike) -> Dataset:
    """Load one CONVERGE output file, or several compatible ones, into one :class:`Dataset`.

    Files loaded together must have the same variables, in the same order and of the same
    types: the cycles of one run, or a restart after its run. Each file adds its own zones, one
    per region its header names (or one named after the file), numbered in the order given.

    Parameters
    ----------
    path, *more_paths : str or os.PathLike
        The files, in the order their zones are to be numbered. Each name is passed to the
        loader as ``os.fsencode`` gives it.

    Returns
    -------
    Dataset
        The values are the loader's own arrays, shown to numpy without a copy and read-only.

    Raises
    ------
    LoadError
        The loader refused the files: a file that cannot be opened, a header or data row at
        fault, or files that do not fit together. Its message names the file and the line.
        Nothing is loaded then.

    Examples
    --------
    >>> import convergeout
    >>> ds = convergeout.load("examples/regions_cycle1.out", "examples/regions_cycle2.out")
    >>> [zone.name for zone in ds]
    ['regions_cycle1 Intake', 'regions_cycle1 Cylinder', 'regions_cycle1 Exhaust',
     'regions_cycle2 Intake', 'regions_cycle2 Cylinder', 'regions_cycle2 Exhaust']
    >>> float(ds.zone(2)["Pressure"].max())
    4.90587393
    """
    paths = (path,) + more_paths
    names = [_file_name(p) for p in paths]
    messages, loaded = _native.load(names)
    if loaded is None:
        raise LoadError(messages)
    return Dataset._from_load(loaded, [os.fsdecode(p) for p in paths])


class Zone(Mapping):
    """One zone of a :class:`Dataset`: a read-only mapping from variable name to values.

    A zone holds one value array per variable of the dataset, all ``points`` long: a
    ``numpy.float64`` or ``numpy.int32`` array as the file gives the column. Arrays are
    read-only views of the loader's memory; one live array keeps its zone's memory block alive
    (``arr.copy()`` keeps only the values). A variable that the file's zones share (a column
    whose location is "(none)") is the same array object in each of them.

    Keys are the full names with units, as in ``Dataset.variables``; a name without its unit
    (``"Pressure"`` for ``"Pressure (MPa)"``) works where only one variable has it. An unknown
    or ambiguous name raises ``KeyError`` naming the candidates.

    Examples
    --------
    >>> import convergeout
    >>> zone = convergeout.load("examples/regions_cycle1.out").zone("regions_cycle1 Cylinder")
    >>> zone.number, zone.points, "Pressure" in zone
    (2, 300, True)
    >>> zone["Cell_Count"].dtype, zone["Pressure (MPa)"].dtype
    (dtype('int32'), dtype('float64'))
    >>> zone.shared
    {'Crank (DEG)': 1, 'Time (s)': 1, 'Cycle_Number': 1}
    """

    __slots__ = ("_name", "_number", "_points", "_file", "_variables", "_arrays", "_shared",
                 "_index")

    def __init__(self, name: str, number: int, points: int, file: Optional[str],
                 variables: Sequence[str], arrays: Sequence[np.ndarray],
                 shared: Sequence[int], index: Optional[_native.VariableIndex] = None) -> None:
        self._name = name
        self._number = number
        self._points = points
        self._file = file
        self._variables = tuple(variables)
        self._arrays = tuple(arrays)
        for array in self._arrays:  # arrays that come back from a pickle are writable
            if array.flags.writeable:
                array.flags.writeable = False
        self._shared = tuple(shared)
        self._index = index if index is not None else _native.VariableIndex(list(variables))

    @property
    def name(self) -> str:
        """The zone's name: the file's stem, then the region's name where the file has regions."""
        return self._name

    @property
    def number(self) -> int:
        """The zone's number in its dataset, from 1."""
        return self._number

    @property
    def points(self) -> int:
        """The number of points: the file's data rows, the length of every array."""
        return self._points

    @property
    def file(self) -> Optional[str]:
        """The file the zone came from, as it was given to :func:`load`."""
        return self._file

    @property
    def shared(self) -> Dict[str, int]:
        """The variables this zone shares with another: full name to that zone's number.

        The first zone of a file owns the file's shared columns; its later zones share them.
        """
        return {v: z for v, z in zip(self._variables, self._shared) if z != 0}

    def __getitem__(self, name: str) -> np.ndarray:
        if not isinstance(name, str):
            raise KeyError(name)
        return self._arrays[self._index.find(name)]

    def __iter__(self) -> Iterator[str]:
        return iter(self._variables)

    def __len__(self) -> int:
        return len(self._variables)

    def values(self) -> ValuesView:
        """The value arrays, in the order of the variables."""
        return _ZoneValues(self)

    def items(self) -> ItemsView:
        """(full name, values) pairs, in the order of the variables."""
        return _ZoneItems(self)

    def __repr__(self) -> str:
        return (f"<convergeout.Zone {self._number} {self._name!r}: {self._points} points, "
                f"{len(self._variables)} variables>")

    def __reduce__(self):
        return (Zone, (self._name, self._number, self._points, self._file, self._variables,
                       self._arrays, self._shared))

    def to_pandas(self, copy: bool = True, units: bool = True) -> pandas.DataFrame:
        """The zone as a ``pandas.DataFrame``: one column per variable, one row per point.

        Parameters
        ----------
        copy : bool, default True
            With ``False`` the frame's columns share memory with the zone's arrays: no copy,
            and the frame is read-only (writing into it raises ``ValueError``).
        units : bool, default True
            Column names with their units (``"Pressure (MPa)"``), or without (``"Pressure"``);
            without raises ``ValueError`` if two variables would then have the same name.

        Raises
        ------
        ImportError
            pandas is not installed.

        Examples
        --------
        >>> import convergeout
        >>> zone = convergeout.load("examples/engine_cycle.out").zone(1)
        >>> frame = zone.to_pandas(units=False)
        >>> frame[["Crank", "Pressure"]].head(2)
           Crank  Pressure
        0 -180.0  0.135000
        1 -179.0  0.135009
        """
        pandas = _pandas()
        columns = _column_names(self._variables, units)
        if not copy:
            frame = pandas.DataFrame(dict(enumerate(self._arrays)), copy=False)
            frame.columns = columns
            return frame
        # The doubles copied once, into one block of columns, which pandas takes as it is; the
        # integers beside it. Built from the arrays directly, pandas would copy the values twice
        # over while it gathered them into blocks.
        doubles = [i for i, a in enumerate(self._arrays) if a.dtype == np.float64]
        block = np.empty((self._points, len(doubles)), order="F")
        for j, i in enumerate(doubles):
            block[:, j] = self._arrays[i]
        frame = pandas.DataFrame(block, columns=[columns[i] for i in doubles], copy=False)
        for i, array in enumerate(self._arrays):
            if array.dtype != np.float64:
                frame.insert(i, columns[i], array.copy(), allow_duplicates=True)
        return frame


class _ZoneValues(ValuesView):
    def __iter__(self):
        return iter(self._mapping._arrays)


class _ZoneItems(ItemsView):
    def __iter__(self):
        return zip(self._mapping._variables, self._mapping._arrays)


def _column_names(variables: Sequence[str], units: bool) -> List[str]:
    if units:
        return list(variables)
    names = [_native.split_unit(v)[0] for v in variables]
    seen: Dict[str, str] = {}
    for name, full in zip(names, variables):
        if name in seen and seen[name] != full:
            raise ValueError(f"{seen[name]!r} and {full!r} have the same name without their "
                             "units: use units=True")
        seen[name] = full
    return names


class Dataset:
    """What one :func:`load` gave: a title, the variables, and the zones with their values.

    ``len(ds)`` is the number of zones and iterating gives them in order; ``ds.zones[0]`` is
    zone number 1. Every zone has every variable. Datasets and zones pickle, so a
    ``multiprocessing`` pool can return them (pickling copies the values).

    Examples
    --------
    >>> import convergeout
    >>> ds = convergeout.load("examples/regions_cycle1.out")
    >>> ds
    <convergeout.Dataset 'CONVERGE Data': 3 zones, 7 variables, from regions_cycle1.out>
    >>> ds.variables
    ['Crank (DEG)', 'Time (s)', 'Cycle_Number', 'Pressure (MPa)', 'Temperature (K)',
     'Mass (kg)', 'Cell_Count']
    >>> ds.unit("Pressure"), ds.name_without_unit("Pressure (MPa)")
    ('MPa', 'Pressure')
    """

    __slots__ = ("_title", "_variables", "_zones", "_files", "_index")

    def __init__(self, title: str, variables: Sequence[str], zones: Sequence[Zone],
                 files: Sequence[str]) -> None:
        self._title = title
        self._variables = tuple(variables)
        self._zones = tuple(zones)
        self._files = tuple(files)
        self._index = _native.VariableIndex(list(self._variables))

    @classmethod
    def _from_load(cls, loaded: dict, files: List[str]) -> Dataset:
        variables = loaded["variables"]
        index = _native.VariableIndex(variables)
        zones = [
            Zone(z["name"], number, z["points"],
                 files[z["file"]] if z["file"] is not None else None,
                 variables, z["values"], z["shared"], index)
            for number, z in enumerate(loaded["zones"], start=1)
        ]
        return cls(loaded["title"], variables, zones, files)

    @property
    def title(self) -> str:
        """The dataset's title, "CONVERGE Data"."""
        return self._title

    @property
    def variables(self) -> List[str]:
        """The variables' full names with units, in the loader's order."""
        return list(self._variables)

    @property
    def zones(self) -> List[Zone]:
        """The zones in order: ``zones[0]`` is zone number 1."""
        return list(self._zones)

    @property
    def files(self) -> List[str]:
        """The files loaded, in the order given."""
        return list(self._files)

    def zone(self, key: Union[int, str]) -> Zone:
        """The zone with that number (from 1) or name.

        Raises ``KeyError`` for a number out of range, an unknown name, or a name that several
        zones have (the same file loaded twice): ask for those by number.

        >>> import convergeout
        >>> ds = convergeout.load("examples/regions_cycle1.out")
        >>> ds.zone(3).name, ds.zone("regions_cycle1 Exhaust").number
        ('regions_cycle1 Exhaust', 3)
        """
        if isinstance(key, str):
            found = [z for z in self._zones if z.name == key]
            if len(found) == 1:
                return found[0]
            names = ", ".join(repr(z.name) for z in self._zones)
            if not found:
                raise KeyError(f"no zone {key!r}; the zones are {names}")
            numbers = ", ".join(str(z.number) for z in found)
            raise KeyError(f"zones {numbers} are all named {key!r}; ask for one by number")
        try:
            number = operator.index(key) if not isinstance(key, bool) else None
        except TypeError:
            number = None
        if number is None:
            raise TypeError(f"a zone is given by its number or its name, not {key!r}")
        if not 1 <= number <= len(self._zones):
            raise KeyError(f"no zone {number}: zones are numbered from 1 to {len(self._zones)}")
        return self._zones[number - 1]

    def unit(self, name: str) -> Optional[str]:
        """The unit of a variable (``"MPa"``), or ``None`` when it has none.

        ``name`` is a full name or a name without its unit, as for a zone's keys.
        """
        return _native.split_unit(self._variables[self._index.find(name)])[1]

    def name_without_unit(self, name: str) -> str:
        """A variable's name without its unit: ``"Pressure"`` for ``"Pressure (MPa)"``."""
        return _native.split_unit(self._variables[self._index.find(name)])[0]

    def __len__(self) -> int:
        return len(self._zones)

    def __iter__(self) -> Iterator[Zone]:
        return iter(self._zones)

    def __repr__(self) -> str:
        files = ", ".join(os.path.basename(f) for f in self._files)
        return (f"<convergeout.Dataset {self._title!r}: {len(self._zones)} zones, "
                f"{len(self._variables)} variables, from {files}>")

    def __reduce__(self):
        return (Dataset, (self._title, self._variables, self._zones, self._files))

    def to_pandas(self, units: bool = True) -> pandas.DataFrame:
        """All zones in one ``pandas.DataFrame``, one after the other.

        The index has two levels: ``zone``, the zone's name, and ``point``, the row within the
        zone from 0. Select a zone with ``frame.loc["name"]`` or group with
        ``frame.groupby(level="zone")``. Zones of the same name (the same file loaded twice, or
        a restart's file named as its run's) fall under one label, in the order loaded. The
        frame is always a new copy of the values.

        Parameters
        ----------
        units : bool, default True
            As for :meth:`Zone.to_pandas`.

        Examples
        --------
        >>> import convergeout
        >>> frame = convergeout.load("examples/regions_cycle1.out").to_pandas()
        >>> frame.index.names, len(frame)
        (FrozenList(['zone', 'point']), 900)
        >>> frame.loc["regions_cycle1 Exhaust", "Pressure (MPa)"].iloc[0]
        0.1065800291
        """
        pandas = _pandas()
        frames = [zone.to_pandas(copy=False, units=units) for zone in self._zones]
        names = list(dict.fromkeys(zone.name for zone in self._zones))
        codes = [names.index(zone.name) for zone in self._zones]
        points = [zone.points for zone in self._zones]
        index = pandas.MultiIndex.from_arrays(
            [
                pandas.Categorical.from_codes(np.repeat(codes, points), categories=names),
                np.concatenate([np.arange(n) for n in points]),
            ],
            names=["zone", "point"],
        )
        frame = pandas.concat(frames, ignore_index=True, copy=True)
        frame.index = index
        return frame

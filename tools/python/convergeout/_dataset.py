"""load, Dataset and Zone: one load of CONVERGE output files, its zones and their values."""

from __future__ import annotations

import html
import operator
import os
from collections.abc import ItemsView, Mapping, ValuesView
from typing import (TYPE_CHECKING, Dict, Iterator, List, NamedTuple, Optional, Sequence, Tuple,
                    Union)

import numpy as np

from . import _frames, _native
from ._errors import (ColumnsNotLoadedWarning, HeaderToleratedWarning, LoadError,
                      TailLeftOutWarning, check_options, checked_file, give_warnings,
                      last_row_fault, option_hint)
from ._variables import VariableNames

if TYPE_CHECKING:  # pandas is optional: only to_pandas() needs it
    import pandas

#: A file name: text, bytes, or a path object such as pathlib.Path.
PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_PANDAS_MISSING = (
    "to_pandas() needs pandas, which is not installed: install it (on Debian or Ubuntu "
    "'apt install python3-pandas', elsewhere 'pip install pandas') and call it again"
)


def pandas_module():
    """pandas, or an ImportError that says how to install it."""
    try:
        import pandas
    except ImportError as missing:
        raise ImportError(_PANDAS_MISSING) from missing
    return pandas


class Tolerated(NamedTuple):
    """A header line that ``header="lenient"`` read although the host application refuses it."""
    file: str
    line: int
    token: str  #: its first token as the file holds it, such as "#___________Crank"


class LeftOut(NamedTuple):
    """A line that ``tail="complete"`` left out of a file."""
    file: str
    line: int
    reason: str  #: "no line end" (not yet written whole) or "short row" (too few values)


def load(path: PathLike, *more_paths: PathLike, header: str = "strict",
         tail: str = "strict") -> Dataset:
    """Load one CONVERGE output file, or several compatible ones, into one :class:`Dataset`.

    Files loaded together must have the same variables, in the same order and of the same
    types: the cycles of one run, or a restart after its run (:func:`load_restarts` joins a
    restart into one series instead). Each file adds its own zones, one per region its header
    names (or one named after the file), numbered in the order given.

    Parameters
    ----------
    path, *more_paths : str or os.PathLike
        The files, in the order their zones are to be numbered. Each name is passed to the
        loader as ``os.fsencode`` gives it.
    header : {"strict", "lenient"}, default "strict"
        ``"strict"`` reads headers by the host application's rules. ``"lenient"`` also reads a
        header line whose first token runs the first name into its "#" (``#___________Crank``,
        as some solver versions write), and warns (:class:`HeaderToleratedWarning`).
    tail : {"strict", "complete"}, default "strict"
        ``"complete"`` is for a file that a running solver is still writing: a last line
        without a line end, or a last row short of values, is left out and listed in
        ``Dataset.left_out`` (:class:`TailLeftOutWarning`). ``"strict"`` refuses such a file.

    Returns
    -------
    Dataset
        The values are the loader's own arrays, shown to numpy without a copy and read-only.
        A header column that the first data row gives no value for is not loaded: it is named in
        ``Dataset.columns_not_loaded``, with a :class:`ColumnsNotLoadedWarning`.

    Raises
    ------
    FileNotFoundError, IsADirectoryError, PermissionError
        A path names no file, a folder, or a file that may not be read; nothing is loaded.
    LoadError
        The loader refused the files: a header or data row at fault, or files that do not fit
        together. Its message names the file and the line, and says when ``header`` or
        ``tail`` would read it. Nothing is loaded then.

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
    dataset, notes = load_quietly((path,) + more_paths, header=header, tail=tail)
    give_warnings(notes, stacklevel=2)
    return dataset


def load_quietly(paths: Sequence[PathLike], header: str = "strict",
                 tail: str = "strict") -> Tuple[Dataset, List[Tuple[type, str]]]:
    """:func:`load`, with its warnings returned as (category, message) pairs instead of given:
    for the loads of a case or a sweep, which gather them."""
    check_options(header=header, tail=tail)
    if not paths:
        raise TypeError("load() needs at least one file")
    names = [checked_file(p) for p in paths]
    lenient, complete = header == "lenient", tail == "complete"
    messages, loaded, notes = _native.load(names, lenient_header=lenient, complete_tail=complete)
    # A file still being written may end in a whole line that is short of values: each load
    # again leaves out the short last row of one more file.
    leave_out: List[bytes] = []
    while loaded is None and complete and len(leave_out) < len(names):
        fault = last_row_fault(messages, names, lenient)
        if fault is None or fault[0] in leave_out:
            break
        leave_out.append(fault[0])
        messages, loaded, notes = _native.load(names, lenient_header=lenient, complete_tail=True,
                                               leave_out_last_line=leave_out)
    if loaded is None:
        raise LoadError(messages, option_hint(messages, names, header, tail))
    dataset = Dataset._from_load(loaded, [os.fsdecode(n) for n in names], notes)
    return dataset, dataset._notes()


class Zone(Mapping):
    """One zone of a :class:`Dataset`: a read-only mapping from variable name to values.

    A zone holds the values of the variables its file has columns for in it, all ``points``
    long: a ``numpy.float64`` or ``numpy.int32`` array as the file gives the column. A variable
    of the dataset that the zone has no column for (another region's) is not in the mapping:
    ``zone.missing`` names them, and asking for one raises ``KeyError``. Arrays are read-only
    views of the loader's memory; one live array keeps its zone's memory block alive
    (``arr.copy()`` keeps only the values). A variable that the file's zones share (a column
    whose location is "(none)") is the same array object in each of them.

    Keys are the full names with units, as in ``Dataset.variables``; a name without its unit
    (``"Pressure"`` for ``"Pressure (MPa)"``) works where only one variable has it. A name that
    several variables bear (a file that repeats a column name) raises ``KeyError`` listing their
    numbers: take each with ``zone.variable(n)``. Iterating gives every variable's name in order,
    a repeated name as often as it occurs.

    Examples
    --------
    >>> import convergeout
    >>> zone = convergeout.load("examples/regions_cycle1.out").zone("regions_cycle1 Cylinder")
    >>> zone.number, zone.points, zone.region, "Pressure" in zone
    (2, 300, 'Cylinder', True)
    >>> zone["Cell_Count"].dtype, zone["Pressure (MPa)"].dtype
    (dtype('int32'), dtype('float64'))
    >>> zone.shared
    {'Crank (DEG)': 1, 'Time (s)': 1, 'Cycle_Number': 1}
    >>> energy = convergeout.load("tests/data/realdata/source_energy.out").zone(2)
    >>> list(energy), energy.missing
    (['Crank (DEG)', 'Source_8_0 HR_Rate'], ['Source_8_0 Integrated_HR', 'Source_9_1 Integrated_HR', 'Source_9_1 HR_Rate'])
    """

    __slots__ = ("_name", "_number", "_points", "_file", "_region", "_names", "_numbers",
                 "_arrays", "_shared", "_piece", "_slot", "_first_point")

    def __init__(self, name: str, number: int, points: int, file: Optional[str],
                 variables: Union[Sequence[str], VariableNames], numbers: Sequence[int],
                 arrays: Sequence[np.ndarray], shared: Sequence[int],
                 region: Optional[str] = None, piece: Optional[np.ndarray] = None,
                 first_point: int = 0) -> None:
        self._name = name
        self._number = number
        self._points = points
        self._first_point = first_point
        self._file = file
        self._region = region
        self._names = variables if isinstance(variables, VariableNames) else \
            VariableNames(variables)
        self._numbers = tuple(int(n) for n in numbers)
        self._arrays = tuple(arrays)
        for array in self._arrays:  # arrays that come back from a pickle are writable
            if array.flags.writeable:
                array.flags.writeable = False
        self._shared = tuple(shared)
        if piece is not None and piece.flags.writeable:
            piece.flags.writeable = False
        self._piece = piece
        self._slot = {position: i for i, position in enumerate(self._numbers)}

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
    def first_point(self) -> int:
        """The number (from 0) of the zone's first point among its file's rows: 0, except for
        the rows that :func:`follow` gives, whose points continue those given before."""
        return self._first_point

    @property
    def file(self) -> Optional[str]:
        """The file the zone came from, as it was given to :func:`load` (for a series joined by
        :func:`load_restarts`, its first piece; ``piece`` tells each point's)."""
        return self._file

    @property
    def region(self) -> Optional[str]:
        """The zone's location as the file's location row gives it (``"Cylinder"``), or
        ``None`` for a file without locations."""
        return self._region

    @property
    def piece(self) -> Optional[np.ndarray]:
        """For a series joined by :func:`load_restarts`: the piece (from 0, in the order given)
        each point comes from, an int array; ``None`` otherwise."""
        return self._piece

    @property
    def numbers(self) -> List[int]:
        """The numbers (from 1, as ``Dataset.variables`` lists them) of the variables the zone
        has values of, in order."""
        return [position + 1 for position in self._numbers]

    @property
    def missing(self) -> List[str]:
        """The dataset's variables that the zone has no values of: its file has no column for
        them in this zone. The host fills such arrays with zeros; here they are absent."""
        return [name for position, name in enumerate(self._names.full)
                if position not in self._slot]

    @property
    def shared(self) -> Dict[str, int]:
        """The variables this zone shares with another: full name to that zone's number.

        The first zone of a file owns the file's shared columns; its later zones share them.
        """
        return {self._names.full[p]: z for p, z in zip(self._numbers, self._shared) if z != 0}

    def variable(self, number: int) -> np.ndarray:
        """The values of the variable of that number (from 1, as ``Dataset.variables`` lists
        them); ``KeyError`` when the zone has none or there is no such variable.

        >>> import convergeout
        >>> zone = convergeout.load("examples/engine_cycle.out").zone(1)
        >>> zone.variable(2) is zone["Pressure"]
        True
        """
        count = len(self._names.full)
        try:
            position = operator.index(number) - 1
        except TypeError:
            raise TypeError(f"a variable number is an int, not {number!r}") from None
        if isinstance(number, bool) or not 0 <= position < count:
            raise KeyError(f"no variable {number}: variables are numbered from 1 to {count}")
        return self._values_at(position)

    def _values_at(self, position: int) -> np.ndarray:
        slot = self._slot.get(position)
        if slot is None:
            raise KeyError(f'zone {self._number} "{self._name}" has no values of variable '
                           f'{position + 1} "{self._names.full[position]}": its file has no '
                           "column for it in this zone")
        return self._arrays[slot]

    def __getitem__(self, name: str) -> np.ndarray:
        return self._values_at(self._names.find(name))

    def __iter__(self) -> Iterator[str]:
        return (self._names.full[p] for p in self._numbers)

    def __len__(self) -> int:
        return len(self._numbers)

    def values(self) -> ValuesView:
        """The value arrays, in the order of the variables."""
        return _ZoneValues(self)

    def items(self) -> ItemsView:
        """(full name, values) pairs, in the order of the variables."""
        return _ZoneItems(self)

    def _ipython_key_completions_(self) -> List[str]:
        present = VariableNames([self._names.full[p] for p in self._numbers])
        return present.completions()

    def __repr__(self) -> str:
        return (f"<convergeout.Zone {self._number} {self._name!r}: {self._points} points, "
                f"{len(self._numbers)} variables>")

    def _repr_html_(self) -> str:
        rows = "".join(
            f"<tr><td>{p + 1}</td><td>{html.escape(self._names.parts[p][0])}</td>"
            f"<td>{html.escape(self._names.parts[p][1] or '')}</td><td>{a.dtype}</td></tr>"
            for p, a in zip(self._numbers, self._arrays))
        region = f", region {html.escape(self._region)}" if self._region else ""
        missing = (f"<p>No values of {len(self.missing)} of the dataset's variables.</p>"
                   if self.missing else "")
        return (f"<p><b>Zone {self._number}</b> {html.escape(self._name)}{region}: "
                f"{self._points} points</p><table><tr><th>#</th><th>variable</th><th>unit</th>"
                f"<th>type</th></tr>{rows}</table>{missing}")

    def __reduce__(self):
        return (Zone, (self._name, self._number, self._points, self._file, self._names.full,
                       self._numbers, self._arrays, self._shared, self._region, self._piece,
                       self._first_point))

    def to_pandas(self, copy: bool = True, units: bool = True) -> pandas.DataFrame:
        """The zone as a ``pandas.DataFrame``: one column per variable it has, one row per point.

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
        pandas = pandas_module()
        all_columns = self._names.column_names(units)
        columns = [all_columns[p] for p in self._numbers]
        points = pandas.RangeIndex(self._first_point, self._first_point + self._points)
        if not copy:
            frame = pandas.DataFrame(dict(enumerate(self._arrays)), index=points, copy=False)
            frame.columns = columns
            return frame
        # The doubles copied once, into one block of columns, which pandas takes as it is; the
        # integers beside it. Built from the arrays directly, pandas would copy the values twice
        # over while it gathered them into blocks.
        doubles = [i for i, a in enumerate(self._arrays) if a.dtype == np.float64]
        block = np.empty((self._points, len(doubles)), order="F")
        for j, i in enumerate(doubles):
            block[:, j] = self._arrays[i]
        frame = pandas.DataFrame(block, columns=[columns[i] for i in doubles], index=points,
                                 copy=False)
        for i, array in enumerate(self._arrays):
            if array.dtype != np.float64:
                frame.insert(i, columns[i], array.copy(), allow_duplicates=True)
        return frame


class _ZoneValues(ValuesView):
    def __iter__(self):
        return iter(self._mapping._arrays)


class _ZoneItems(ItemsView):
    def __iter__(self):
        return zip(iter(self._mapping), self._mapping._arrays)


class Dataset:
    """What one :func:`load` gave: a title, the variables, and the zones with their values.

    ``len(ds)`` is the number of zones and iterating gives them in order; ``ds.zones[0]`` is
    zone number 1. A zone has the variables its file has columns for in it (``Zone.missing``
    names the others). Datasets and zones pickle, so a ``multiprocessing`` pool can return them
    (pickling copies the values).

    What the load did not take as the files hold it is said here, and warned about:
    ``columns_not_loaded``, ``tolerated`` and ``left_out``.

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

    __slots__ = ("_title", "_names", "_integer", "_zones", "_files", "_not_loaded",
                 "_tolerated", "_left_out")

    def __init__(self, title: str, variables: Union[Sequence[str], VariableNames],
                 zones: Sequence[Zone], files: Sequence[str],
                 integer: Optional[Sequence[bool]] = None,
                 columns_not_loaded: Optional[Dict[str, List[str]]] = None,
                 tolerated: Sequence[Tolerated] = (), left_out: Sequence[LeftOut] = ()) -> None:
        self._title = title
        self._names = variables if isinstance(variables, VariableNames) else \
            VariableNames(variables)
        self._zones = tuple(zones)
        self._files = tuple(files)
        if integer is None:  # from the arrays: every variable some zone has
            found: Dict[int, bool] = {}
            for zone in self._zones:
                for position, array in zip(zone._numbers, zone._arrays):
                    found.setdefault(position, array.dtype == np.int32)
            integer = [found.get(p, False) for p in range(len(self._names.full))]
        self._integer = tuple(bool(i) for i in integer)
        self._not_loaded = dict(columns_not_loaded or {})
        self._tolerated = tuple(tolerated)
        self._left_out = tuple(left_out)

    @classmethod
    def _from_load(cls, loaded: dict, files: List[str], notes: List[dict]) -> Dataset:
        names = VariableNames(loaded["variables"])
        headers = loaded["headers"]
        zones = []
        first_zone: Dict[int, int] = {}
        for number, z in enumerate(loaded["zones"], start=1):
            position = z["file"]
            region = None
            if position is not None:
                start = first_zone.setdefault(position, number)
                header = headers[position] if position < len(headers) else None
                regions = header["regions"] if header is not None else []
                region = regions[number - start] if number - start < len(regions) else None
            zones.append(Zone(z["name"], number, z["points"],
                              files[position] if position is not None else None, names,
                              z["numbers"], z["values"], z["shared"], region))
        not_loaded = {}
        for file, header in zip(files, headers):
            if header is not None and len(header["columns"]) > header["num_values"]:
                not_loaded[file] = [c[0] for c in header["columns"][header["num_values"]:]]
        tolerated, left_out = [], []
        for note in notes:
            file = os.fsdecode(note["file"])
            tolerated += [Tolerated(file, line, token) for line, token in note["header"]]
            points = next((z.points for z in zones if z.file == file), None)
            if points is None:
                continue
            line = 5 + points + 1
            if note["last_line_left_out"]:
                left_out.append(LeftOut(file, line, "short row"))
                line += 1
            if note["unfinished_bytes"]:
                left_out.append(LeftOut(file, line, "no line end"))
        dataset = cls(loaded["title"], names.full, zones, files, loaded["integer"], not_loaded,
                      tolerated, left_out)
        dataset._names = names
        return dataset

    def _notes(self) -> List[Tuple[type, str]]:
        """The warnings this dataset's load gives, as (category, message) pairs."""
        notes: List[Tuple[type, str]] = []
        for file, columns in self._not_loaded.items():
            shown = ", ".join(f'"{c}"' for c in columns)
            notes.append((ColumnsNotLoadedWarning,
                          f"{file}: the header names {len(columns)} column(s) that the first "
                          f"data row gives no value for, which are not loaded: {shown}"))
        for t in self._tolerated:
            notes.append((HeaderToleratedWarning,
                          f'{t.file}, line {t.line}: "{t.token}" read as "#" and a name '
                          '(header="lenient")'))
        for left in self._left_out:
            notes.append((TailLeftOutWarning,
                          f"{left.file}, line {left.line}: left out ({left.reason}; "
                          'tail="complete")'))
        return notes

    @property
    def title(self) -> str:
        """The dataset's title, "CONVERGE Data"."""
        return self._title

    @property
    def variables(self) -> List[str]:
        """The variables' full names with units, in the loader's order (variable n is
        ``variables[n - 1]``)."""
        return list(self._names.full)

    @property
    def zones(self) -> List[Zone]:
        """The zones in order: ``zones[0]`` is zone number 1."""
        return list(self._zones)

    @property
    def files(self) -> List[str]:
        """The files loaded, in the order given."""
        return list(self._files)

    @property
    def columns_not_loaded(self) -> Dict[str, List[str]]:
        """Per file, the columns its header names that the load did not take: those past the
        values of its first data row (a solver's text column that is blank on the first row,
        such as ``time.out``'s ``dt_limiter``). Empty when every named column was loaded."""
        return {file: list(columns) for file, columns in self._not_loaded.items()}

    @property
    def tolerated(self) -> List[Tolerated]:
        """The header lines ``header="lenient"`` read that the host application refuses."""
        return list(self._tolerated)

    @property
    def left_out(self) -> List[LeftOut]:
        """The lines ``tail="complete"`` left out: a file's unfinished or short last line."""
        return list(self._left_out)

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
        return self._names.parts[self._names.find(name)][1]

    def name_without_unit(self, name: str) -> str:
        """A variable's name without its unit: ``"Pressure"`` for ``"Pressure (MPa)"``."""
        return self._names.parts[self._names.find(name)][0]

    def __len__(self) -> int:
        return len(self._zones)

    def __iter__(self) -> Iterator[Zone]:
        return iter(self._zones)

    def __repr__(self) -> str:
        files = ", ".join(os.path.basename(f) for f in self._files)
        return (f"<convergeout.Dataset {self._title!r}: {len(self._zones)} zones, "
                f"{len(self._names.full)} variables, from {files}>")

    def _repr_html_(self) -> str:
        variables = "".join(
            f"<tr><td>{n}</td><td>{html.escape(name)}</td><td>{html.escape(unit or '')}</td>"
            f"<td>{'int32' if integer else 'float64'}</td></tr>"
            for n, ((name, unit), integer) in enumerate(zip(self._names.parts, self._integer), 1))
        zones = "".join(
            f"<tr><td>{z.number}</td><td>{html.escape(z.name)}</td>"
            f"<td>{html.escape(z.region or '')}</td><td>{z.points}</td><td>{len(z)}</td></tr>"
            for z in self._zones)
        files = html.escape(", ".join(os.path.basename(f) for f in self._files))
        return (f"<p><b>{html.escape(self._title)}</b> from {files}</p>"
                "<table><tr><th>#</th><th>variable</th><th>unit</th><th>type</th></tr>"
                f"{variables}</table><table><tr><th>zone</th><th>name</th><th>region</th>"
                f"<th>points</th><th>variables</th></tr>{zones}</table>")

    def __reduce__(self):
        return (Dataset, (self._title, self._names.full, self._zones, self._files, self._integer,
                          self._not_loaded, self._tolerated, self._left_out))

    def to_pandas(self, units: bool = True, index: Optional[str] = None) -> pandas.DataFrame:
        """All zones in one ``pandas.DataFrame``, one row per point of each zone.

        The index is unique for any load. Its levels are ``zone`` (the zone's number, as
        :meth:`zone` takes it), ``zone_name``, ``region`` (``None`` without locations), ``file``
        (as given to :func:`load`) and ``point`` (the row within the zone, from 0, or from
        ``Zone.first_point`` for the rows that :func:`follow` gives). The columns
        are the dataset's variables, a repeated name as often as the file repeats it. A value a
        zone does not have (another region's variable) is missing: ``NaN`` for a double, and
        ``<NA>`` in an integer variable, which is always pandas' nullable ``Int32``. A series
        joined by :func:`load_restarts` has a ``piece`` column first. The frame is always a new
        copy of the values.

        Select a zone with ``frame.loc[2]`` or ``frame.xs("Cylinder", level="region")``; group
        with ``frame.groupby(level="zone")``; ``frame.reset_index()`` makes the levels columns.

        Parameters
        ----------
        units : bool, default True
            As for :meth:`Zone.to_pandas`.
        index : str, optional
            A variable (full name or without unit) whose values take the place of ``point`` in
            the index, such as ``"Crank"``; it is then no column.

        Examples
        --------
        >>> import convergeout
        >>> frame = convergeout.load("examples/regions_cycle1.out").to_pandas()
        >>> frame.index.names, len(frame)
        (FrozenList(['zone', 'zone_name', 'region', 'file', 'point']), 900)
        >>> frame.xs("Exhaust", level="region")["Pressure (MPa)"].iloc[0]
        0.1065800291
        >>> crank = convergeout.load("examples/engine_cycle.out").to_pandas(index="Crank")
        >>> crank.xs(-179.0, level="Crank (DEG)")["Pressure (MPa)"].iloc[0]
        0.1350089063
        """
        pandas = pandas_module()
        columns = _frames.layout([(self._names.full, self._integer)], units, index=index)
        return _frames.build_frame(pandas, [(None, _frames.dataset_sources(self))], columns)

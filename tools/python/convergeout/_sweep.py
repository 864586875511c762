"""load_sweep and Sweep: one kind of output file from each case of a sweep, as one long frame,
overlaid on one grid, or as a dask frame for a cluster."""

from __future__ import annotations

import errno
import glob
import os
import re
import warnings
from collections.abc import Mapping
from pathlib import Path
from typing import Any, Dict, List, Optional, Sequence, Tuple, Union

import numpy as np

from . import _frames, _native, engine
from ._dataset import Dataset, load_quietly, pandas_module
from ._errors import ConvergeoutWarning, check_options, checked_file, give_warnings
from ._workers import checked_workers, run_all

CaseFolders = Union[str, "os.PathLike[str]", Sequence[Union[str, "os.PathLike[str]"]],
                    Mapping]

_DASK_MISSING = (
    "to_dask() needs dask's DataFrame, which is not installed: install it (on Debian or Ubuntu "
    "'apt install python3-dask', and python3-distributed for a cluster; elsewhere "
    "'pip install \"dask[dataframe]\" distributed') and call it again"
)
#: One parameter in a case folder's name: a name of letters, then a number ("rpm1500", "egr10",
#: "soi-12.5", "phi8e-1").
_PARAMETER = re.compile(r"(?P<name>[A-Za-z]+)(?P<value>[-+]?[0-9]+(?:\.[0-9]+)?(?:[eE][-+]?[0-9]+)?)")


def parse_case_name(name: str) -> Dict[str, Union[int, float]]:
    """The parameters that a case folder's name gives, by the rule of ``params="names"``.

    The name is parameters joined by ``_``; each is a name of letters followed at once by a
    number: ``rpm1500_egr10`` gives ``{"rpm": 1500, "egr": 10}``. A number with a fraction or an
    exponent is a float, else an int. ValueError, naming the folder, for a name that does not
    follow the rule.

    >>> parse_case_name("rpm1500_egr10_soi-12.5")
    {'rpm': 1500, 'egr': 10, 'soi': -12.5}
    """
    found: Dict[str, Union[int, float]] = {}
    for part in name.split("_"):
        match = _PARAMETER.fullmatch(part)
        if match is None or match["name"] in found:
            raise ValueError(
                f"case folder {name!r}: {part!r} is not a parameter (letters, then a number, "
                "such as rpm1500_egr10); rename the folder or give params as a mapping")
        text = match["value"]
        found[match["name"]] = float(text) if any(c in text for c in ".eE") else int(text)
    return found


def _case_folders(cases: CaseFolders) -> Dict[str, Path]:
    """Case name to folder, from a mapping, a glob pattern, or a list of folders (each named by
    its last component, or by its whole path where two share one)."""
    if isinstance(cases, Mapping):
        folders = {str(name): Path(folder) for name, folder in cases.items()}
    else:
        if isinstance(cases, (str, bytes, os.PathLike)):
            pattern = os.fsdecode(cases)
            listed = sorted(glob.glob(pattern)) if glob.has_magic(pattern) else [pattern]
            if not listed:
                raise ValueError(f"no case folder matches {pattern!r}")
        else:
            listed = [os.fsdecode(c) for c in cases]
        paths = [Path(p) for p in listed]
        names = [p.name or str(p) for p in paths]
        if len(set(names)) < len(names):
            names = [str(p) for p in paths]
        if len(set(names)) < len(names):
            raise ValueError("a case folder is listed twice")
        folders = dict(zip(names, paths))
    if not folders:
        raise ValueError("the sweep has no case: give at least one case folder")
    return folders


def _case_params(params, folders: Dict[str, Path]) -> Dict[str, Dict[str, Any]]:
    if params is None:
        return {case: {} for case in folders}
    if isinstance(params, str):
        if params != "names":
            raise ValueError(f'params={params!r}: params is "names", a mapping of case to its '
                             "parameters, or None")
        return {case: parse_case_name(folder.name) for case, folder in folders.items()}
    if not isinstance(params, Mapping):
        raise TypeError("params is \"names\", a mapping of case to its parameters, or None")
    missing = [case for case in folders if case not in params]
    unknown = [str(case) for case in params if case not in folders]
    if missing or unknown:
        raise ValueError("params does not fit the cases: " + "; ".join(
            text for text in (f"no parameters for {', '.join(map(repr, missing))}" if missing
                              else "",
                              f"no case {', '.join(map(repr, unknown))}" if unknown else "")
            if text))
    return {case: dict(params[case]) for case in folders}


def _param_types(params: Dict[str, Dict[str, Any]]) -> Dict[str, Any]:
    """A dtype per parameter name, the same in every case's rows: int64 where every case gives
    an int, float64 where all give numbers, object otherwise."""
    names = list(dict.fromkeys(name for values in params.values() for name in values))
    types: Dict[str, Any] = {}
    for name in names:
        given = [values.get(name) for values in params.values()]
        if all(isinstance(v, (int, np.integer)) and not isinstance(v, bool) for v in given):
            types[name] = np.int64
        elif all(isinstance(v, (int, float, np.number)) and not isinstance(v, bool)
                 for v in given if v is not None):
            types[name] = np.float64
        else:
            types[name] = object
    return types


class Sweep:
    """One kind of output file from each case of a sweep: made by :func:`load_sweep`.

    The files are loaded when first needed (``datasets``, ``refused``, ``to_pandas()``,
    ``aligned()``), all at once on several threads; ``to_dask()`` reads only their headers.

    Examples
    --------
    >>> import convergeout
    >>> sweep = convergeout.load_sweep({"a": "examples", "b": "examples"}, "engine_cycle.out",
    ...                                params={"a": {"rpm": 1500}, "b": {"rpm": 2000}})
    >>> sweep
    <convergeout.Sweep of engine_cycle.out: 2 cases>
    >>> frame = sweep.to_pandas()
    >>> list(frame.index.names[:2]), frame["rpm"].unique().tolist()
    (['case', 'zone'], [1500, 2000])
    """

    def __init__(self, folders: Dict[str, Path], file: str, params: Dict[str, Dict[str, Any]],
                 variables: Optional[Sequence[str]], workers: Optional[int], header: str,
                 tail: str) -> None:
        self._folders = folders
        self._file = file
        self._params = params
        self._variables = list(variables) if variables is not None else None
        self._workers = workers
        self._header = header
        self._tail = tail
        self._loaded: Optional[Tuple[Dict[str, Dataset], Dict[str, Exception]]] = None

    @property
    def cases(self) -> List[str]:
        """The case names, in order."""
        return list(self._folders)

    @property
    def file(self) -> str:
        """The output file loaded from each case, such as ``"thermo.out"``."""
        return self._file

    @property
    def paths(self) -> Dict[str, str]:
        """Case to the path of its file."""
        return {case: str(folder / self._file) for case, folder in self._folders.items()}

    @property
    def params(self) -> Dict[str, Dict[str, Any]]:
        """Case to its parameters (empty without ``params``)."""
        return {case: dict(values) for case, values in self._params.items()}

    def _load(self) -> Tuple[Dict[str, Dataset], Dict[str, Exception]]:
        if self._loaded is None:
            paths = self.paths

            def load_case_file(case: str):
                folder = self._folders[case]
                if folder.exists() and not folder.is_dir():
                    raise NotADirectoryError(errno.ENOTDIR, "Not a case folder but a file",
                                             str(folder))
                return load_quietly([paths[case]], header=self._header, tail=self._tail)

            outcomes = run_all([lambda c=c: load_case_file(c) for c in self._folders],
                               self._workers)
            datasets: Dict[str, Dataset] = {}
            refused: Dict[str, Exception] = {}
            notes = []
            for case, (loaded, outcome) in zip(self._folders, outcomes):
                if loaded:
                    datasets[case], case_notes = outcome
                    notes += case_notes
                else:
                    refused[case] = outcome
            self._loaded = datasets, refused
            give_warnings(notes, stacklevel=3)  # the caller of datasets, to_pandas, ...
        return self._loaded

    @property
    def datasets(self) -> Dict[str, Dataset]:
        """Case to the dataset of its file, for the cases whose file loaded."""
        return dict(self._load()[0])

    @property
    def refused(self) -> Dict[str, Exception]:
        """Case to why its file did not load: ``FileNotFoundError`` for a missing file (or
        ``NotADirectoryError`` for a case folder that is a file), ``LoadError`` for one the
        loader refused. Empty when every case loaded."""
        return dict(self._load()[1])

    def __repr__(self) -> str:
        return f"<convergeout.Sweep of {self._file}: {len(self._folders)} cases>"

    def _layout(self, described, units: bool, index: Optional[str]) -> _frames.Layout:
        return _frames.layout(described, units, self._variables, index)

    def to_pandas(self, units: bool = True, index: Optional[str] = None):
        """Every loaded case in one long ``pandas.DataFrame``.

        The index's levels are ``case``, then those of :meth:`Dataset.to_pandas` (``zone``,
        ``zone_name``, ``region``, ``file``, ``point``, or the variable that ``index`` names in
        place of ``point``). The cases' parameters come first among the columns, then the
        variables (only those that ``load_sweep(variables=...)`` named): every variable of any
        case, matched by full name; a value a case or zone has not is missing (``NaN``,
        ``<NA>`` in an ``Int32`` column). Cases that did not load are left out: see
        ``refused``.

        >>> import convergeout
        >>> sweep = convergeout.load_sweep(["examples"], "regions_cycle1.out",
        ...                                variables=["Pressure"])
        >>> sweep.to_pandas(index="Crank").columns.tolist()
        ['Pressure (MPa)']
        """
        pandas = pandas_module()
        datasets = self._load()[0]
        described = [(ds._names.full, ds._integer) for ds in datasets.values()]
        columns = self._layout(described, units, index)
        parts = [(case, _frames.dataset_sources(ds)) for case, ds in datasets.items()]
        return _frames.build_frame(pandas, parts, columns, self._params,
                                   _param_types(self._params))

    def aligned(self, x: str = "Crank", grid: Optional[Sequence[float]] = None):
        """Every loaded case interpolated onto one grid of ``x``: for overlays and differences.

        Each zone's values are interpolated linearly along its own ``x`` values, which must
        increase strictly (a restarted run's pieces are joined first by :func:`load_restarts`).
        A grid point outside a zone's range of ``x`` gets ``NaN``: nothing is extrapolated.

        Parameters
        ----------
        x : str, default "Crank"
            The variable to align on (full name or without unit).
        grid : sequence of float, optional
            The values of ``x`` to interpolate at; by default the first loaded case's own.

        Returns
        -------
        pandas.DataFrame
            Indexed by the grid (named after ``x``), with columns ``(case, zone, variable)``:
            ``frame["rpm2000", 1, "Pressure (MPa)"] - frame["rpm1500", 1, "Pressure (MPa)"]``.

        >>> import convergeout
        >>> sweep = convergeout.load_sweep({"a": "examples", "b": "examples"}, "engine_cycle.out")
        >>> overlay = sweep.aligned("Crank", grid=[-90.0, 0.0, 90.0])
        >>> float((overlay["a", 1, "Pressure (MPa)"] - overlay["b", 1, "Pressure (MPa)"]).abs().max())
        0.0
        """
        pandas = pandas_module()
        datasets = self._load()[0]
        if not datasets:
            raise ValueError("no case of the sweep loaded: see Sweep.refused")
        columns: Dict[Tuple[str, int, str], np.ndarray] = {}
        along = None
        for case, ds in datasets.items():
            position = ds._names.find(x)
            along = along or ds.variables[position]
            wanted = (self._layout([(ds._names.full, ds._integer)], True, x).keys)
            for zone in ds:
                if position not in zone._slot:
                    continue
                xs = np.asarray(zone._values_at(position), dtype=np.float64)
                if xs.size > 1 and not np.all(np.diff(xs) > 0):
                    raise ValueError(f"case {case!r}, zone {zone.number}: {along!r} does not "
                                     "increase strictly (a restarted run? join its pieces with "
                                     "load_restarts)")
                if grid is None:
                    grid = xs.copy()
                at = np.asarray(grid, dtype=np.float64)
                keys = _frames.variable_keys(ds._names.full)
                for p, array in zip(zone._numbers, zone._arrays):
                    if keys[p] in wanted:
                        values = np.interp(at, xs, array.astype(np.float64), left=np.nan,
                                           right=np.nan) if xs.size else np.full(at.size, np.nan)
                        columns[(case, zone.number, ds.variables[p])] = values
        frame = pandas.DataFrame(columns, index=pandas.Index(np.asarray(grid, np.float64),
                                                             name=along))
        frame.columns.names = ["case", "zone", "variable"]
        return frame

    def cycle_results(self, crank: Optional[str] = None, pressure: Optional[str] = None,
                      volume: Optional[str] = None, heat: Optional[str] = None,
                      displacement: Optional[float] = None, cycle_start: Optional[float] = None,
                      *, si: bool = False):
        """The engine results of every loaded case, zone and cycle, in one ``pandas.DataFrame``.

        Each zone's rows are split into 720-degree cycles and each cycle's results computed as
        :func:`convergeout.engine.cycle_results_by_cycle` does, with the same parameters. The
        index's levels are ``case``, ``zone``, ``zone_name``, ``region`` and ``cycle``; the
        cases' parameters come first among the columns, then ``start`` and the results:
        ``frame.groupby("rpm")["imep"].mean()``, or ``frame.reset_index()`` for a spreadsheet.
        ``frame.attrs["units"]`` gives the results' units (the first case's). Cases that did
        not load are left out: see ``refused``.

        Raises
        ------
        ValueError
            A zone of a case lacks a column or its crank angle does not increase strictly: the
            message names the case and the zone.
        ImportError
            pandas is not installed.

        Examples
        --------
        >>> import convergeout
        >>> sweep = convergeout.load_sweep({"a": "examples", "b": "examples"}, "engine_cycle.out",
        ...                                params={"a": {"rpm": 1500}, "b": {"rpm": 2000}})
        >>> sweep.cycle_results()[["rpm", "ca50"]].round(2)
                                              rpm   ca50
        case zone zone_name    region cycle
        a    1    engine_cycle NaN    0      1500  16.76
        b    1    engine_cycle NaN    0      2000  16.76
        """
        pandas = pandas_module()
        index, rows = [], []
        units: Dict[str, Any] = {}
        for case, ds in self._load()[0].items():
            for zone in ds:
                try:
                    cycles, found_units = engine._by_cycle_rows(
                        zone, crank, pressure, volume, heat, displacement, cycle_start, si)
                except ValueError as error:
                    raise ValueError(f"case {case!r}, zone {zone.number}: {error}") from None
                units = units or {"start": found_units["ca10"], **found_units}
                for cycle in cycles:
                    index.append((case, zone.number, zone.name, zone.region, cycle.pop("cycle")))
                    rows.append(cycle)
        frame = pandas.DataFrame(rows, columns=["start", *engine.KEYS])
        at = 0
        for name, dtype in _param_types(self._params).items():
            values = [self._params[case].get(name, np.nan) for case, *_ in index]
            frame.insert(at, name, np.asarray(values, dtype=dtype))
            at += 1
        frame.index = pandas.MultiIndex.from_tuples(
            index, names=["case", "zone", "zone_name", "region", "cycle"])
        frame.attrs["units"] = units
        return frame

    def to_dask(self, units: bool = True, index: Optional[str] = None):
        """The sweep as a ``dask.dataframe.DataFrame`` with one partition per case file.

        Building it reads the files' headers only (for the partitions' columns and types),
        never their data: each partition loads its file where it is computed, on a
        ``dask.distributed`` worker when a client is active. Computed, it equals
        ``to_pandas(units, index).reset_index()`` (its index aside, which runs from 0 in each
        partition). Cases whose file is missing or whose header is refused are left out, with a
        :class:`ConvergeoutWarning`.

        Raises
        ------
        ImportError
            dask's DataFrame is not installed.

        Examples
        --------
        >>> import convergeout
        >>> sweep = convergeout.load_sweep({"a": "examples", "b": "examples"}, "engine_cycle.out")
        >>> lazy = sweep.to_dask()
        >>> lazy.npartitions, len(lazy.compute())
        (2, 600)
        """
        try:
            import dask.dataframe as dd
        except ImportError as missing:
            raise ImportError(_DASK_MISSING) from missing
        pandas = pandas_module()
        headers: Dict[str, dict] = {}
        left_out = []
        for case, path in self.paths.items():
            try:
                name = checked_file(path)
            except OSError as error:
                left_out.append(f"{case!r} ({error.strerror}: {error.filename})")
                continue
            messages, header, _ = _native.read_header(name, self._header == "lenient")
            if header is None:
                left_out.append(f"{case!r} ({messages[0] if messages else 'refused'})")
                continue
            headers[case] = header
        if left_out:
            warnings.warn(f"to_dask() leaves out {len(left_out)} case(s): {'; '.join(left_out)}",
                          ConvergeoutWarning, stacklevel=2)
        if not headers:
            raise ValueError("no case of the sweep has a file whose header reads")
        columns = self._layout([(h["variables"], h["integer"]) for h in headers.values()],
                               units, index)
        types = _param_types(self._params)
        meta = _frames.build_frame(
            pandas, [(case, _header_sources(self.paths[case], header))
                     for case, header in headers.items()], columns, self._params,
            types).reset_index()
        tasks = [(case, self.paths[case], self._header, self._tail, columns,
                  {case: self._params[case]}, types) for case in headers]
        return dd.from_map(_partition, tasks, meta=meta, enforce_metadata=False,
                           label="convergeout-sweep")


def _header_sources(path: str, header: dict) -> List[_frames.ZoneSource]:
    """The zones a header describes, without points: for a frame's columns and types."""
    keys = _frames.variable_keys(header["variables"])
    sources = []
    for z, (name, region) in enumerate(zip(header["zone_names"], header["regions"])):
        present = {keys[c[2]]: None for c in header["columns"][:header["num_values"]]
                   if c[3] == z or c[4]}
        sources.append(_frames.ZoneSource(z + 1, name, region, path, 0, present, None))
    return sources


def _partition(task):
    """One case's rows of a dask frame: its file loaded where the partition is computed."""
    case, path, header, tail, columns, params, types = task
    dataset, _ = load_quietly([path], header=header, tail=tail)
    pandas = pandas_module()
    return _frames.build_frame(pandas, [(case, _frames.dataset_sources(dataset))], columns,
                               params, types).reset_index()


def load_sweep(cases: CaseFolders, file: str, params=None,
               variables: Optional[Sequence[str]] = None, workers: Optional[int] = None, *,
               header: str = "strict", tail: str = "strict") -> Sweep:
    """One kind of output file from every case of a sweep, as a :class:`Sweep`.

    Parameters
    ----------
    cases : list of folders, glob pattern, or mapping of case name to folder
        The case folders. In a list or from a pattern (``"sweep/rpm*"``), a case is named by its
        folder's last component (by its whole path where two share one).
    file : str
        The output file to load from each case folder, such as ``"thermo.out"``. Another kind of
        file is another sweep.
    params : "names" or mapping, optional
        The cases' parameters, which become columns of the frames: a mapping of case name to a
        mapping of parameter name to value, or ``"names"`` to parse them from the folders'
        names (``rpm1500_egr10`` gives ``rpm`` 1500 and ``egr`` 10; see
        :func:`parse_case_name`).
    variables : list of str, optional
        Only these variables (full names or without units) in the frames.
    workers : int, optional
        Threads that load at the same time; by default one per CPU this process may use.
    header, tail : str
        As for :func:`load`.

    Raises
    ------
    ValueError
        No case, a pattern that matches none, a case listed twice, ``params`` that do not fit
        the cases, or a folder name that ``params="names"`` cannot parse.

    Examples
    --------
    >>> import convergeout
    >>> sweep = convergeout.load_sweep(["examples", "no_such_case"], "engine_cycle.out")
    >>> list(sweep.datasets), type(sweep.refused["no_such_case"]).__name__
    (['examples'], 'FileNotFoundError')
    """
    check_options(header=header, tail=tail)
    checked_workers(workers)
    if not isinstance(file, (str, os.PathLike)):
        raise TypeError(f"file is the name of an output file, such as 'thermo.out', not {file!r}")
    folders = _case_folders(cases)
    return Sweep(folders, os.fspath(file), _case_params(params, folders), variables, workers,
                 header, tail)

"""load_case: every output file of a case folder, one dataset per file."""

from __future__ import annotations

import errno
import os
import warnings
from pathlib import Path
from typing import Dict, List, Optional, Tuple, Union

from ._dataset import Dataset, load_quietly
from ._errors import ConvergeoutWarning, check_options, give_warnings
from ._workers import checked_workers, run_all


def case_folder(folder: Union[str, "os.PathLike[str]"]) -> Path:
    """The folder as a Path, after checking that it is one: FileNotFoundError or
    NotADirectoryError, with ``filename`` set, otherwise."""
    root = Path(folder)
    if not root.exists():
        raise FileNotFoundError(errno.ENOENT, "No such case folder", str(root))
    if not root.is_dir():
        raise NotADirectoryError(errno.ENOTDIR, "Not a case folder but a file (load loads a "
                                 "file)", str(root))
    return root


def load_case(
    folder: Union[str, "os.PathLike[str]"], pattern: str = "*.out", *, header: str = "strict",
    tail: str = "strict", workers: Optional[int] = None,
) -> Tuple[Dict[str, Dataset], Dict[str, Exception]]:
    """Load every output file of a case folder, each into a dataset of its own.

    Different kinds of output file (``thermo.out``, ``mass_avg_flow.out``, ...) have different
    variables and cannot share a dataset, so each file is loaded alone, on several threads at
    once. A file that does not load is set aside with its error; nothing is raised for it.

    Parameters
    ----------
    folder : str or os.PathLike
        The case folder.
    pattern : str, default "*.out"
        Which files, as for ``pathlib.Path.glob`` (``"**/*.out"`` also searches sub-folders).
    header, tail : str
        As for :func:`load`.
    workers : int, optional
        Threads that load at the same time; by default one per CPU this process may use.

    Returns
    -------
    datasets : dict of str to Dataset
        One entry per file that loaded, in sorted order of the files, keyed by the file's stem
        (``"thermo"`` for ``thermo.out``). Where several files have the same stem, each of them
        is keyed by its path relative to the folder instead (``"run2/thermo.out"``).
    refused : dict of str to Exception
        The path of each file that did not load, and why: a :class:`LoadError`, or the
        ``OSError`` of a file that vanished or may not be read.

    Raises
    ------
    FileNotFoundError, NotADirectoryError
        The folder does not exist, or is a file.

    Warns
    -----
    ConvergeoutWarning
        No file in the folder matches the pattern; and each load's own warnings.

    Examples
    --------
    >>> import convergeout
    >>> datasets, refused = convergeout.load_case("examples")
    >>> list(datasets), refused
    (['engine_cycle', 'regions_cycle1', 'regions_cycle2'], {})
    """
    check_options(header=header, tail=tail)
    checked_workers(workers)
    root = case_folder(folder)
    files = sorted(p for p in root.glob(pattern) if p.is_file())
    if not files:
        warnings.warn(f"no file in {str(root)!r} matches {pattern!r}: nothing was loaded",
                      ConvergeoutWarning, stacklevel=2)
    stems: Dict[str, int] = {}
    for path in files:
        stems[path.stem] = stems.get(path.stem, 0) + 1
    outcomes = run_all([lambda p=p: load_quietly([p], header=header, tail=tail) for p in files],
                       workers)
    datasets: Dict[str, Dataset] = {}
    refused: Dict[str, Exception] = {}
    notes: List[Tuple[type, str]] = []
    for path, (loaded, outcome) in zip(files, outcomes):
        if not loaded:
            refused[str(path)] = outcome
            continue
        dataset, file_notes = outcome
        notes += file_notes
        key = path.stem if stems[path.stem] == 1 else path.relative_to(root).as_posix()
        datasets[key] = dataset
    give_warnings(notes, stacklevel=2)
    return datasets, refused

"""load_case: every output file of a case folder, one dataset per file."""

from __future__ import annotations

import os
from pathlib import Path
from typing import Dict, Tuple, Union

from ._dataset import Dataset, load
from ._errors import LoadError


def load_case(
    folder: Union[str, "os.PathLike[str]"], pattern: str = "*.out"
) -> Tuple[Dict[str, Dataset], Dict[str, LoadError]]:
    """Load every output file of a case folder, each into a dataset of its own.

    Different kinds of output file (``thermo.out``, ``mass_avg_flow.out``, ...) have different
    variables and cannot share a dataset, so each file is loaded alone. A file the loader
    refuses is set aside with its error; nothing is raised for it.

    Parameters
    ----------
    folder : str or os.PathLike
        The case folder.
    pattern : str, default "*.out"
        Which files, as for ``pathlib.Path.glob`` (``"**/*.out"`` also searches sub-folders).

    Returns
    -------
    datasets : dict of str to Dataset
        One entry per file that loaded, in sorted order of the files, keyed by the file's stem
        (``"thermo"`` for ``thermo.out``). Where several files have the same stem, each of them
        is keyed by its path relative to the folder instead (``"run2/thermo.out"``).
    refused : dict of str to LoadError
        The path of each file that did not load, and why.

    Examples
    --------
    >>> import convergeout
    >>> datasets, refused = convergeout.load_case("examples")
    >>> list(datasets), refused
    (['engine_cycle', 'regions_cycle1', 'regions_cycle2'], {})
    """
    root = Path(folder)
    files = sorted(p for p in root.glob(pattern) if p.is_file())
    stems: Dict[str, int] = {}
    for path in files:
        stems[path.stem] = stems.get(path.stem, 0) + 1
    datasets: Dict[str, Dataset] = {}
    refused: Dict[str, LoadError] = {}
    for path in files:
        try:
            dataset = load(path)
        except LoadError as error:
            refused[str(path)] = error
            continue
        key = path.stem if stems[path.stem] == 1 else path.relative_to(root).as_posix()
        datasets[key] = dataset
    return datasets, refused

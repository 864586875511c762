"""Read CONVERGE output files (``*.out``) into numpy arrays and pandas frames.

The files are read by the loader that brings them into the Qorvian host application, with its
checks, its variables (name and unit), its zones (one per region a file's header names) and
shared columns, and its messages, which name the file and the line at fault. What Python adds
(values a zone does not have are absent, not zero; warnings for what a load left out; tolerant
options for files still being written) never changes what the host loads.

Functions
---------
load(path, *more_paths)
    One file, or several compatible ones (cycles, a restart after its run), into a Dataset.
load_case(folder, pattern="*.out")
    Every output file of a case folder, one Dataset per file.
load_sweep(cases, file, params=None)
    One kind of file from each case of a sweep, as a Sweep: one long frame with the cases'
    parameters, an overlay on one grid, or a dask frame for a cluster.
load_restarts(paths, on=None)
    The pieces of a restarted run joined into one series.
follow(path, interval=1.0, timeout=None)
    The rows of a file that a running solver is still writing, as they arrive.
steady(values, window)
    Whether a run's values have settled, point by point or cycle by cycle.
engine.cycle_results(zone)
    Peak pressure, burn angles (CA10, CA50, CA90), work and IMEP of an engine run's thermo.out,
    over its rows or per cycle (engine.cycle_results_by_cycle, Sweep.cycle_results).

Examples
--------
>>> import convergeout
>>> ds = convergeout.load("examples/regions_cycle1.out")
>>> for zone in ds:
...     print(zone.number, zone.name, zone.points, float(zone["Pressure"].max()))
1 regions_cycle1 Intake 300 0.1039991227
2 regions_cycle1 Cylinder 300 4.90587393
3 regions_cycle1 Exhaust 300 0.1169675906
"""

from ._case import load_case
from ._dataset import Dataset, LeftOut, Tolerated, Zone, load
from ._errors import (ColumnsNotLoadedWarning, ConvergeoutWarning, FileReplacedWarning,
                      HeaderToleratedWarning, LoadError, TailLeftOutWarning)
from ._follow import follow
from ._restarts import load_restarts
from ._steady import Steadiness, steady
from ._sweep import Sweep, load_sweep, parse_case_name
from . import engine

__version__ = "1.0.0"

__all__ = ["ColumnsNotLoadedWarning", "ConvergeoutWarning", "Dataset", "FileReplacedWarning",
           "HeaderToleratedWarning", "LeftOut", "LoadError", "Steadiness", "Sweep",
           "TailLeftOutWarning", "Tolerated", "Zone", "__version__", "engine", "follow", "load",
           "load_case", "load_restarts", "load_sweep", "parse_case_name", "steady"]

"""python -m convergeout watch: the latest values of a run as its rows arrive, a plot of the whole
run kept up to date, and whether it has settled."""

from __future__ import annotations

import argparse
import os
import sys
import tempfile
from typing import Dict, List, Optional, Sequence, Tuple

import numpy as np

from ._dataset import Dataset
from ._errors import LoadError
from ._follow import follow
from ._steady import steady

_MATPLOTLIB_MISSING = (
    "watch --plot needs matplotlib, which is not installed: install it (on Debian or Ubuntu "
    "'apt install python3-matplotlib', elsewhere 'pip install matplotlib') and run it again"
)
_CYCLE_DEGREES = 720.0


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="python -m convergeout",
        description="Tools for CONVERGE output files (*.out).")
    commands = parser.add_subparsers(dest="command", required=True)
    watch = commands.add_parser(
        "watch", help="print a run's latest values as its rows arrive",
        description="Follow an output file that a running solver writes: print the latest "
                    "values of the named variables (and of the file's first, its crank angle "
                    "or time) as rows arrive, and keep a plot of the whole run up to date.")
    watch.add_argument("file", help="the output file, such as thermo.out")
    watch.add_argument("variables", nargs="+", metavar="VARIABLE",
                       help='a variable, by full name ("Pressure (MPa)") or without its unit')
    watch.add_argument("--plot", metavar="FILE.png",
                       help="keep a plot of the whole run in this picture (needs matplotlib)")
    watch.add_argument("--steady", type=int, metavar="WINDOW",
                       help="say whether each variable is steady: its mean over the last WINDOW "
                            "points moved within the tolerance from the WINDOW before")
    watch.add_argument("--per-cycle", action="store_true",
                       help="with --steady, compare the means of whole 720-degree cycles of the "
                            "crank angle (the file's first variable); WINDOW counts cycles")
    watch.add_argument("--rtol", type=float, default=1e-3, help="relative tolerance (1e-3)")
    watch.add_argument("--atol", type=float, default=0.0, help="absolute tolerance (0)")
    watch.add_argument("--interval", type=float, default=1.0,
                       help="seconds between looks at a file that has not grown (1)")
    watch.add_argument("--timeout", type=float, default=None,
                       help="stop after this many seconds without new rows (default: never; "
                            "Ctrl-C stops)")
    watch.add_argument("--header", choices=("strict", "lenient"), default="strict",
                       help="as for convergeout.load")
    return parser


class _Run:
    """The values of one file seen so far, per zone and variable, in the pieces that arrived."""

    def __init__(self, first: Dataset, wanted: Sequence[str]) -> None:
        self.names = first._names
        positions = [self.names.find(name) for name in wanted]  # KeyError for an unknown one
        self.x = 0
        # The variables shown against the first (the first itself when it is all that was named).
        self.shown = [p for p in dict.fromkeys(positions) if p != self.x] or [self.x]
        self.pieces: Dict[Tuple[int, int], List[np.ndarray]] = {}
        self.zone_names: Dict[int, str] = {}

    def add(self, dataset: Dataset) -> None:
        for zone in dataset:
            self.zone_names[zone.number] = zone.name
            for position in dict.fromkeys([self.x] + self.shown):
                if position in zone._slot:
                    self.pieces.setdefault((zone.number, position), []).append(
                        zone._values_at(position))

    def values(self, zone: int, position: int) -> Optional[np.ndarray]:
        pieces = self.pieces.get((zone, position))
        if not pieces:
            return None
        if len(pieces) > 1:
            pieces[:] = [np.concatenate(pieces)]
        return pieces[0]


def _latest(run: _Run, dataset: Dataset, options) -> List[str]:
    lines = []
    for zone in dataset:
        last = zone.first_point + zone.points - 1
        parts = [f"point {last}", zone.name]
        for position in dict.fromkeys([run.x] + run.shown):
            if position in zone._slot:
                parts.append(f"{run.names.full[position]} = {zone._values_at(position)[-1]:.7g}")
        lines.append("  ".join(parts))
        if options.steady is None:
            continue
        for position in run.shown:
            values = run.values(zone.number, position)
            if values is None:
                continue
            crank = run.values(zone.number, run.x)
            cycles = _cycle_starts(crank) if options.per_cycle and crank is not None else None
            found = steady(values, options.steady, rtol=options.rtol, atol=options.atol,
                           cycles=cycles)
            unit = "cycles" if options.per_cycle else "points"
            state = ("steady" if found.steady else "not steady" if found.windows == 2 *
                     options.steady else f"not yet {2 * options.steady} {unit}")
            lines.append(f"    {run.names.full[position]}: {state} (mean {found.mean:.7g}, "
                         f"change {found.change:.3g}, tolerance {found.tolerance:.3g}, spread "
                         f"{found.spread:.3g})")
    return lines


def _cycle_starts(crank: np.ndarray) -> np.ndarray:
    starts = crank[0] + _CYCLE_DEGREES * np.arange(
        int((crank[-1] - crank[0]) // _CYCLE_DEGREES) + 1)
    return np.searchsorted(crank, starts)


def _plot(pyplot, run: _Run, path: str) -> None:
    """The whole run so far, one panel per variable against the first, written whole to path."""
    figure, axes = pyplot.subplots(len(run.shown), 1, sharex=True, squeeze=False,
                                   figsize=(10, 2.5 + 2.5 * len(run.shown)))
    for axis, position in zip(axes[:, 0], run.shown):
        for number, name in run.zone_names.items():
            x, y = run.values(number, run.x), run.values(number, position)
            if x is not None and y is not None:
                axis.plot(x, y, label=name, linewidth=1)
        axis.set_ylabel(run.names.full[position])
        axis.grid(True, alpha=0.3)
    axes[0, 0].legend(loc="best", fontsize="small")
    axes[-1, 0].set_xlabel(run.names.full[run.x])
    figure.tight_layout()
    folder = os.path.dirname(os.path.abspath(path))
    handle, partial = tempfile.mkstemp(suffix=".png", dir=folder)
    os.close(handle)
    try:
        figure.savefig(partial, dpi=96)
        os.replace(partial, path)  # a viewer never sees a picture half-written
    finally:
        pyplot.close(figure)
        if os.path.exists(partial):
            os.remove(partial)


def _watch(options) -> int:
    pyplot = None
    if options.plot is not None:
        try:
            import matplotlib
            matplotlib.use("Agg")
            import matplotlib.pyplot as pyplot
        except ImportError:
            print(_MATPLOTLIB_MISSING, file=sys.stderr)
            return 2
    if options.steady is not None and options.steady < 1:
        print(f"--steady {options.steady}: a window is 1 or more", file=sys.stderr)
        return 2
    run: Optional[_Run] = None
    try:
        for dataset in follow(options.file, interval=options.interval, timeout=options.timeout,
                              header=options.header):
            if run is None or dataset.zone(1).first_point == 0:  # a file, or a replaced one
                run = _Run(dataset, options.variables)
                if options.per_cycle and dataset.unit(dataset.variables[0]) != "DEG":
                    print(f"--per-cycle needs a crank angle (DEG) as the file's first "
                          f"variable, not {dataset.variables[0]!r}", file=sys.stderr)
                    return 2
            run.add(dataset)
            print("\n".join(_latest(run, dataset, options)), flush=True)
            if pyplot is not None:
                _plot(pyplot, run, options.plot)
    except KeyError as unknown:
        print(f"{options.file}: {unknown.args[0]}", file=sys.stderr)
        return 2
    except (OSError, ValueError, LoadError) as error:
        print(error, file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        return 130
    return 0


def main(argv: Optional[Sequence[str]] = None) -> int:
    """The command line: ``python -m convergeout watch FILE VARIABLE...``; returns the exit
    status (0 when the run stopped growing for --timeout, 1 for a file the loader refuses, 2 for
    a wrong command line)."""
    options = _parser().parse_args(argv)
    return _watch(options)

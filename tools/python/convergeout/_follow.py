"""follow: the rows of an output file that a running solver is still writing, as they arrive."""

from __future__ import annotations

import os
import time
import warnings
from typing import Iterator, List, Optional, Tuple

from . import _native
from ._dataset import Dataset, PathLike, Tolerated, Zone
from ._errors import (FileReplacedWarning, LoadError, check_options, checked_file,
                      give_warnings)
from ._variables import VariableNames

#: The most bytes read in one poll: a file that is already large is read, and given, in parts
#: of about this size, into one buffer that is used again, so that memory stays bounded.
_MOST_PER_READ = 16 << 20
#: The buffer's first size: it grows to hold what one poll reads and an unfinished row.
_FIRST_BUFFER = 1 << 16
#: The bytes that the row reader may look at before and after the rows it reads.
_PADDING = _native.ROW_PADDING
#: A file's header: five lines, then the first data row, which fixes how many values rows have.
_HEADER_LINES = 5


def follow(path: PathLike, interval: float = 1.0, timeout: Optional[float] = None, *,
           header: str = "strict") -> Iterator[Dataset]:
    """The rows of an output file that a running solver is still writing, as they arrive.

    A generator: each item is a :class:`Dataset` of the rows that were written whole since the
    item before (the first item holds every whole row the file had), with the file's variables
    and zones; ``Zone.first_point`` and the ``point`` level of frames continue the numbering
    of the rows given before. Rows are read as :func:`load` reads them, by the loader itself,
    and a last line without its line end is never given: it waits for the rest of its row.

    Each byte of the file is read once: the file stays open, and each poll reads only what was
    added since the last (and gives a large file in parts of about 16 MB), into a buffer where
    the loader's row reader reads the rows in place. Nothing is given until the header and the
    first data row are whole. A file that is replaced by another one or cut short (a restarted
    run) is noticed: a :class:`FileReplacedWarning`, then the new file's rows from its start,
    numbered from 0. A file cut short and written past its old length between two polls cannot
    be told from one that grew.

    Parameters
    ----------
    path : str or os.PathLike
        The output file, such as ``"thermo.out"``.
    interval : float, default 1.0
        Seconds to wait between polls while the file does not grow.
    timeout : float, optional
        End after this many seconds without the file growing; by default follow for as long as
        the caller takes items (stop with ``break``, or ``close()`` on the generator). With
        ``timeout=0`` the generator ends as soon as a poll finds nothing new.
    header : {"strict", "lenient"}, default "strict"
        As for :func:`load`.

    Raises
    ------
    FileNotFoundError, IsADirectoryError, PermissionError
        At once, before the generator is made, for a path that names no readable file.
    LoadError
        From the generator, for a header or a row that the loader refuses; the rows before a
        faulty row are given first. Its message names the file and the line, as a load's does.

    Examples
    --------
    >>> import convergeout, shutil, tempfile, os
    >>> folder = tempfile.mkdtemp()
    >>> path = os.path.join(folder, "thermo.out")
    >>> lines = open("examples/engine_cycle.out").readlines()
    >>> with open(path, "w") as run:            # a run that has written its first rows
    ...     _ = run.write("".join(lines[:8]))
    >>> rows = convergeout.follow(path, interval=0, timeout=0)
    >>> ds = next(rows)
    >>> ds.zone(1).points, ds.zone(1)["Crank"].tolist()
    (3, [-180.0, -179.0, -178.0])
    >>> with open(path, "a") as run:            # two more rows, the second not finished yet
    ...     _ = run.write(lines[8] + lines[9][:20])
    >>> ds = next(rows)
    >>> ds.zone(1).first_point, ds.zone(1)["Crank"].tolist()
    (3, [-177.0])
    >>> list(rows)                              # nothing more within the timeout
    []
    >>> shutil.rmtree(folder)
    """
    check_options(header=header)
    _check_seconds("interval", interval)
    if timeout is not None:
        _check_seconds("timeout", timeout)
    name = checked_file(path)
    return _follow(name, header == "lenient", float(interval), timeout)


def _follow(name: bytes, lenient_header: bool, interval: float, timeout: Optional[float]
            ) -> Iterator[Dataset]:
    # The file is opened by the first next(), so that a generator never started holds nothing.
    followed = _FollowedFile(name, lenient_header)
    try:
        quiet_since = time.monotonic()
        while True:
            grew, dataset = followed.poll()
            if grew:
                quiet_since = time.monotonic()
            if dataset is not None:
                yield dataset
            if followed.fault is not None:
                raise followed.fault
            if grew:
                continue
            if timeout is not None and time.monotonic() - quiet_since >= timeout:
                return
            if interval > 0:
                time.sleep(interval)
    finally:
        followed.close()


class _FollowedFile:
    """One followed file: its descriptor, the bytes read from it, and its rows so far."""

    def __init__(self, name: bytes, lenient_header: bool) -> None:
        self.name = name
        self.shown = os.fsdecode(name)
        self.lenient_header = lenient_header
        self.fd = -1
        self.fault: Optional[LoadError] = None
        self._open()

    def _open(self) -> None:
        self.fd = os.open(self.name, os.O_RDONLY | os.O_CLOEXEC)
        info = os.fstat(self.fd)
        self.identity = (info.st_dev, info.st_ino)
        self._restart()

    def _restart(self) -> None:
        self.offset = 0            # the bytes read so far: the next read starts here
        # The bytes read but not yet given as rows (an unfinished row, or a header not yet whole)
        # are buffer[start:end], with _PADDING bytes of room before and after them.
        self.buffer = bytearray(2 * _PADDING + _FIRST_BUFFER)
        self.start = self.end = _PADDING
        self.blocks = None         # the rows' reader, once the header is read
        self.header: dict = {}
        self.names: Optional[VariableNames] = None
        self.points = 0            # rows given so far

    def close(self) -> None:
        if self.fd >= 0:
            os.close(self.fd)
            self.fd = -1

    def _replaced(self) -> Optional[str]:
        """How the file was replaced or cut short since the last poll, or None. A path that
        names no file for a moment (a file being moved into place) is not yet a new file."""
        try:
            info = os.stat(self.name)
        except OSError:
            return None
        if (info.st_dev, info.st_ino) != self.identity:
            return "replaced by another file"
        if os.fstat(self.fd).st_size < self.offset:
            return "cut short"
        return None

    def poll(self) -> Tuple[bool, Optional[Dataset]]:
        """Reads what was added to the file: (whether it grew, a dataset of the rows that are
        now whole, or None)."""
        change = self._replaced()
        if change is not None:
            warnings.warn(f"{self.shown} was {change} (a restarted run?): its rows are given "
                          "again from its start", FileReplacedWarning, stacklevel=3)
            if change.startswith("replaced"):
                self.close()
                self._open()
            else:
                self._restart()
        size = os.fstat(self.fd).st_size
        if size <= self.offset:
            return False, None
        wanted = min(size - self.offset, _MOST_PER_READ)
        self._make_room(wanted)
        with memoryview(self.buffer) as view:
            got = os.preadv(self.fd, [view[self.end:self.end + wanted]], self.offset)
        self.offset += got
        self.end += got
        if got == 0:
            return False, None
        if self.blocks is None and not self._read_header():
            return True, None
        whole = self.buffer.rfind(b"\n", self.start, self.end) + 1
        if whole <= self.start:
            return True, None
        values, rows, fault = self.blocks.read(self.buffer, self.start, whole)
        self.start = whole
        dataset = self._dataset(values, rows) if rows else None
        self.points += rows
        if fault is not None:
            line = _HEADER_LINES + 1 + self.points
            self.fault = LoadError([f'File "{self.shown}", line {line}: {fault}'])
        return True, dataset

    def _make_room(self, wanted: int) -> None:
        """Room for `wanted` more bytes after those kept, and the padding after them: the kept
        bytes (an unfinished row) move to the front, and the buffer grows when that is not
        enough."""
        kept = self.end - self.start
        needed = 2 * _PADDING + kept + wanted
        if self.end + wanted + _PADDING <= len(self.buffer):
            return
        if needed > len(self.buffer):
            grown = bytearray(max(needed, 2 * len(self.buffer)))
            grown[_PADDING:_PADDING + kept] = self.buffer[self.start:self.end]
            self.buffer = grown
        else:
            self.buffer[_PADDING:_PADDING + kept] = self.buffer[self.start:self.end]
        self.start, self.end = _PADDING, _PADDING + kept

    def _read_header(self) -> bool:
        """Reads the header once the first data row is whole, leaving the rows (from line 6 on)
        to be read. False while it is not; raises LoadError for a header the loader refuses."""
        ends = _line_ends(self.buffer, self.start, self.end, _HEADER_LINES + 1)
        if len(ends) <= _HEADER_LINES:
            return False
        with memoryview(self.buffer) as view:
            messages, header, notes, blocks = _native.read_header_text(
                self.name, view[self.start:ends[_HEADER_LINES]], self.lenient_header)
        if header is None:
            raise LoadError(messages)
        self.header, self.blocks = header, blocks
        self.names = VariableNames(header["variables"])
        self.start = ends[_HEADER_LINES - 1]
        self._tolerated = [Tolerated(self.shown, line, token) for note in notes
                           for line, token in note["header"]]
        self._warn = True
        return True

    def _dataset(self, values: List[list], rows: int) -> Dataset:
        header = self.header
        zones = [Zone(name, number, rows, self.shown, self.names, numbers, arrays, shared,
                      region, first_point=self.points)
                 for number, (name, region, (numbers, shared), arrays) in enumerate(
                     zip(header["zone_names"], header["regions"], self.blocks.zones, values),
                     start=1)]
        dataset = Dataset(header["title"], self.names, zones, [self.shown], header["integer"],
                          _not_loaded(self.shown, header), self._tolerated)
        if self._warn:  # what the header did not take as written, once per file
            self._warn = False
            give_warnings(dataset._notes(), stacklevel=3)
        return dataset


def _check_seconds(option: str, value) -> None:
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not value >= 0:
        raise ValueError(f"{option}={value!r}: {option} is a number of seconds, 0 or more")


def _line_ends(data: bytearray, start: int, end: int, count: int) -> List[int]:
    """The offsets just past the first `count` line ends of data[start:end] (fewer where it has
    fewer)."""
    ends: List[int] = []
    at = start
    while len(ends) < count:
        at = data.find(b"\n", at, end) + 1
        if at == 0:
            break
        ends.append(at)
    return ends


def _not_loaded(shown: str, header: dict):
    columns = header["columns"][header["num_values"]:]
    return {shown: [c[0] for c in columns]} if columns else {}

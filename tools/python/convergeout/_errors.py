"""What a load says when it cannot do what was asked: errors, warnings and hints."""

from __future__ import annotations

import errno
import os
import re
import stat
import warnings
from typing import List, Optional, Sequence, Tuple

from . import _native

# The loader's messages name a file and a line in two forms, and a file it cannot open in a
# third:
#   File "<name>", line <n>: <text>     a line of the file is at fault
#   File "<name>": <text>               the file is at fault, before any line was read
#   Unable to open datafile: <name>     the file cannot be opened
# Every other message names neither.
_MESSAGE_PLACE = re.compile(
    r'File "(?P<file>.*)"(?:, line (?P<line>[0-9]+))?: |Unable to open datafile: (?P<unopened>.*)\Z',
    re.DOTALL,
)

#: The header line a solver writes with the first name run into its "#": "#___________Crank".
_UNDERSCORED_HEADER = re.compile(rb"\s*#_+")
#: The messages of a data row whose values are missing or are not numbers.
_ROW_FAULTS = ("Invalid or missing double precision value", "Invalid or missing integer value")
_HEADER_LINES = 5


def message_place(message: str) -> Tuple[Optional[str], Optional[int]]:
    """The file and the line (from 1) that one of the loader's messages names.

    Either is ``None`` where the message does not name it.

    >>> message_place('File "a.out", line 7: Invalid comment line')
    ('a.out', 7)
    >>> message_place("Unable to open datafile: b.out")
    ('b.out', None)
    >>> message_place("No files selected")
    (None, None)
    """
    match = _MESSAGE_PLACE.match(message)
    if match is None:
        return None, None
    if match.group("unopened") is not None:
        return match.group("unopened"), None
    line = match.group("line")
    return match.group("file"), int(line) if line is not None else None


class LoadError(Exception):
    """The loader refused the files: nothing was loaded.

    ``str(error)`` is the first message the loader showed, then, where a keyword option of
    :func:`convergeout.load` would read the file, a line that says which; ``messages`` holds
    every message, in order, exactly as the host application would show them, and ``hint`` the
    option's line (or ``None``). ``file`` and ``line`` (counted from 1) are where the first
    message names them, else ``None``. Fix the file (or the list of files) it names, or leave it
    out, and load again.

    >>> import convergeout
    >>> try:
    ...     convergeout.load("tests/data/realdata/mech_check.out")
    ... except convergeout.LoadError as error:
    ...     print(error)
    ...     print(error.file, error.line)
    File "tests/data/realdata/mech_check.out", line 2: Invalid comment line
    tests/data/realdata/mech_check.out 2
    """

    def __init__(self, messages: Sequence[str], hint: Optional[str] = None) -> None:
        self.messages: List[str] = list(messages)
        self.hint = hint
        first = (
            self.messages[0]
            if self.messages
            else "the load failed without a message (the machine may be out of memory)"
        )
        super().__init__(first if hint is None else f"{first}\n{hint}")
        self.file, self.line = message_place(first)

    def __reduce__(self):
        return (type(self), (self.messages, self.hint))


class ConvergeoutWarning(UserWarning):
    """What convergeout warns about: something in the files that a load did not take as written.

    Its subclasses say what. To turn them into errors, or off::

        warnings.simplefilter("error", convergeout.ConvergeoutWarning)
        warnings.simplefilter("ignore", convergeout.ColumnsNotLoadedWarning)
    """


class ColumnsNotLoadedWarning(ConvergeoutWarning):
    """A file's header names columns that its first data row gives no value for, so the loader
    did not load them (``Dataset.columns_not_loaded`` lists them)."""


class HeaderToleratedWarning(ConvergeoutWarning):
    """``header="lenient"`` read a header line that the host application refuses
    (``Dataset.tolerated`` lists them)."""


class TailLeftOutWarning(ConvergeoutWarning):
    """``tail="complete"`` left out an unfinished last line of a file (``Dataset.left_out``)."""


class FileReplacedWarning(ConvergeoutWarning):
    """A file that :func:`convergeout.follow` follows was replaced by another or cut short, as
    when a run is restarted: the rows that follow come from the new file's start."""


def give_warnings(notes, stacklevel: int) -> None:
    """Gives the (category, message) warnings that loads gathered, each text once, as from the
    frame `stacklevel` levels up from the caller (1: the caller itself)."""
    for category, message in dict.fromkeys(notes):
        warnings.warn(message, category, stacklevel=stacklevel + 1)


def checked_file(path) -> bytes:
    """The file name to hand the loader, after checking that the file can be read.

    Raises FileNotFoundError, IsADirectoryError or PermissionError, with ``filename`` set, so
    that a wrong path fails as Python's own ``open`` fails, before anything is loaded; ValueError
    for a name with a NUL character. Whatever else is wrong with the file is the loader's to say.
    """
    name = os.fsencode(path)
    if b"\0" in name:
        raise ValueError(f"a file name cannot hold a NUL character: {path!r}")
    shown = os.fsdecode(name)
    try:
        info = os.stat(name)
    except FileNotFoundError:
        raise FileNotFoundError(errno.ENOENT, "No such output file", shown) from None
    except NotADirectoryError:
        raise FileNotFoundError(errno.ENOENT, "No such output file (a folder in its path is a "
                                "file)", shown) from None
    except OSError as error:  # a folder on the path that may not be searched, among others
        raise type(error)(error.errno, error.strerror, shown) from None
    if stat.S_ISDIR(info.st_mode):
        raise IsADirectoryError(errno.EISDIR, "A folder, not an output file (load_case loads a "
                                "case folder)", shown)
    if stat.S_ISREG(info.st_mode):
        try:
            os.close(os.open(name, os.O_RDONLY | os.O_NONBLOCK))
        except PermissionError:
            raise PermissionError(errno.EACCES, "No permission to read the output file",
                                  shown) from None
    return name


def _header_line(name: bytes, line: int) -> Optional[bytes]:
    try:
        with open(name, "rb") as file:
            lines = file.read(1 << 20).split(b"\n", _HEADER_LINES)
    except OSError:
        return None
    return lines[line - 1] if line <= len(lines) else None


def _tokens(line: bytes) -> int:
    return len(line.split(b"\0", 1)[0].split())


def last_row_fault(messages: Sequence[str], names: Sequence[bytes],
                   lenient_header: bool) -> Optional[Tuple[bytes, str]]:
    """Whether the first message is a row fault on a file's last line that a file still being
    written has: (its name, "no line end") for an unfinished last line, (its name, "short row")
    for a last whole line with fewer values than the first data row; None otherwise. Reads the
    file again, only on a failure path."""
    if not messages or not messages[0].endswith(_ROW_FAULTS):
        return None
    file, line = message_place(messages[0])
    name = next((n for n in names if os.fsdecode(n) == file), None)
    if name is None or line is None:
        return None
    try:
        with open(name, "rb") as opened:
            data = opened.read()
    except OSError:
        return None
    whole = data.count(b"\n")
    if line == whole + 1 and data and not data.endswith(b"\n"):
        return name, "no line end"
    if line != whole:
        return None
    _, header, _ = _native.read_header(name, lenient_header)
    last = data[:-1].rsplit(b"\n", 1)[-1]
    if header is not None and _tokens(last) < header["num_values"]:
        return name, "short row"
    return None


def option_hint(messages: Sequence[str], names: Sequence[bytes], header: str,
                tail: str) -> Optional[str]:
    """The keyword option that would read what the loader refused, as a line of advice; None
    when no option would. Reads the named file again, only on this failure path."""
    if not messages:
        return None
    file, line = message_place(messages[0])
    if file is None or line is None:
        return None
    name = next((n for n in names if os.fsdecode(n) == file), None)
    if name is None:
        return None
    if header == "strict" and line <= _HEADER_LINES and "Invalid comment line" in messages[0]:
        text = _header_line(name, line)
        match = _UNDERSCORED_HEADER.match(text) if text is not None else None
        if match is not None:
            token = text.split()[0].decode("utf-8", "replace")
            return (f'hint: line {line} begins with "{token}", as some solver versions write '
                    'their headers: header="lenient" reads it as "#" and the name')
    if tail == "strict" and last_row_fault(messages, names, header == "lenient") is not None:
        return (f"hint: line {line} is the file's last and is short of values, as when the "
                'solver is still writing it: tail="complete" leaves it out')
    return None


OPTIONS = {"header": ("strict", "lenient"), "tail": ("strict", "complete")}


def check_options(**given: str) -> None:
    """Refuses an unknown value of a keyword option with a ValueError that lists the values."""
    for option, value in given.items():
        if value not in OPTIONS[option]:
            allowed = " or ".join(repr(v) for v in OPTIONS[option])
            raise ValueError(f"{option}={value!r}: {option} is {allowed}")

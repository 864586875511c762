"""LoadError: a load the loader refused, with every message the host application would show."""

from __future__ import annotations

import re
from typing import List, Optional, Sequence, Tuple

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

    ``str(error)`` is the first message the loader showed; ``messages`` holds every one, in
    order, exactly as the host application would show them. ``file`` and ``line`` (counted from
    1) are where the first message names them, else ``None``. Fix the file (or the list of
    files) it names, or leave it out, and load again.

    >>> import convergeout
    >>> try:
    ...     convergeout.load("no/such/file.out")
    ... except convergeout.LoadError as error:
    ...     print(error)
    ...     print(error.file, error.line)
    Unable to open datafile: no/such/file.out
    no/such/file.out None
    """

    def __init__(self, messages: Sequence[str]) -> None:
        self.messages: List[str] = list(messages)
        first = (
            self.messages[0]
            if self.messages
            else "the load failed without a message (the machine may be out of memory)"
        )
        super().__init__(first)
        self.file, self.line = message_place(first)

    def __reduce__(self):
        return (type(self), (self.messages,))

"""Loads on several threads: a load releases the interpreter lock while it reads, so threads
load files at the same time, one per core."""

from __future__ import annotations

import os
from concurrent.futures import ThreadPoolExecutor
from typing import Callable, List, Optional, Sequence, Tuple, TypeVar, Union

from ._errors import LoadError

T = TypeVar("T")

#: What a load may refuse a file with: the loader's refusal, or the system's (a file that is
#: missing or vanished, a folder, no permission). Anything else is a fault and is raised.
EXPECTED = (LoadError, OSError)


def default_workers() -> int:
    """The CPUs this process may run on."""
    try:
        return len(os.sched_getaffinity(0))
    except (AttributeError, OSError):
        return os.cpu_count() or 1


def checked_workers(workers: Optional[int]) -> int:
    if workers is None:
        return default_workers()
    if isinstance(workers, bool) or not isinstance(workers, int) or workers < 1:
        raise ValueError(f"workers={workers!r}: workers is a number of threads, 1 or more")
    return workers


def run_all(tasks: Sequence[Callable[[], T]],
            workers: Optional[int]) -> List[Tuple[bool, Union[T, BaseException]]]:
    """Runs every task, on up to `workers` threads, and gives (True, result) or (False, the
    LoadError or OSError it raised) per task, in the order given. Any other exception of a task
    is raised here, in the calling thread, once every task has ended."""

    def guarded(task: Callable[[], T]) -> Tuple[bool, Union[T, BaseException]]:
        try:
            return True, task()
        except EXPECTED as refused:
            return False, refused

    count = min(checked_workers(workers), max(len(tasks), 1))
    if count == 1:
        return [guarded(task) for task in tasks]
    with ThreadPoolExecutor(max_workers=count, thread_name_prefix="convergeout") as pool:
        futures = [pool.submit(guarded, task) for task in tasks]
    # The pool has ended: result() raises a task's unexpected exception with its traceback.
    return [future.result() for future in futures]

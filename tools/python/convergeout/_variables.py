"""The variables of one dataset, found by the names users give them."""

from __future__ import annotations

from typing import Dict, List, Optional, Sequence, Tuple

from . import _native

_LISTED = 30  # variables named in a message at most


def _quoted(names: Sequence[str]) -> str:
    shown = ", ".join(f'"{n}"' for n in names[:_LISTED])
    return shown + (f", ... ({len(names)} in all)" if len(names) > _LISTED else "")


class VariableNames:
    """A dataset's variable names, with each one's name and unit apart, and the lookup that
    zones and frames share: a full name (``"Pressure (MPa)"``) or a name without its unit
    (``"Pressure"``) that only one variable has. Positions count from 0; numbers, as the host
    gives them, from 1."""

    __slots__ = ("full", "parts", "_by_full", "_by_name")

    def __init__(self, full: Sequence[str]) -> None:
        self.full: Tuple[str, ...] = tuple(full)
        self.parts: Tuple[Tuple[str, Optional[str]], ...] = tuple(
            _native.split_unit(name) for name in self.full)
        self._by_full: Dict[str, List[int]] = {}
        self._by_name: Dict[str, List[int]] = {}
        for position, (name, (short, _)) in enumerate(zip(self.full, self.parts)):
            self._by_full.setdefault(name, []).append(position)
            self._by_name.setdefault(short, []).append(position)

    def positions(self, name: str) -> List[int]:
        """Every variable that name may mean: those of that full name, or else those whose name
        without unit it is."""
        return self._by_full.get(name) or self._by_name.get(name, [])

    def find(self, name: str) -> int:
        """The position of the one variable that name names; KeyError saying why otherwise."""
        if not isinstance(name, str):
            raise KeyError(f"a variable is named by a str, not {name!r}")
        found = self.positions(name)
        if len(found) == 1:
            return found[0]
        if not found:
            raise KeyError(f'no variable "{name}"; the variables are {_quoted(self.full)}')
        numbered = ", ".join(f'{p + 1} "{self.full[p]}"' for p in found[:_LISTED])
        raise KeyError(f'"{name}" could be variable {numbered}: give the full name, or take one '
                       "by its number with .variable(n)")

    def completions(self) -> List[str]:
        """The names a lookup takes: every full name, and each name without unit that one
        variable has."""
        shorts = [short for short, found in self._by_name.items()
                  if len(found) == 1 and short not in self._by_full]
        return list(dict.fromkeys(self.full)) + shorts

    def column_names(self, units: bool) -> List[str]:
        """The names for frame columns: full, or without units (ValueError when two variables
        of different full names would then share a name)."""
        if units:
            return list(self.full)
        seen: Dict[str, str] = {}
        for (short, _), full in zip(self.parts, self.full):
            if short in seen and seen[short] != full:
                raise ValueError(f"{seen[short]!r} and {full!r} have the same name without their "
                                 "units: use units=True")
            seen[short] = full
        return [short for short, _ in self.parts]

"""The scenarios by name, each registered by the decorator scenario with what it needs: the kinds
of machine that play it, a step done as root around it, a quiet variant, a table of cases."""

from __future__ import annotations

import contextlib
import dataclasses
import functools
import pathlib
from typing import Callable, ContextManager

from .machine import KINDS, WOW64, Windows
from .scenario import Scenario

Play = Callable[[Scenario], None]
RootStep = Callable[[pathlib.Path], ContextManager[None]]


@dataclasses.dataclass(frozen=True)
class Entry:
    name: str
    play: Play
    machines: tuple[Windows, ...]
    root_step: RootStep | None  # done as root around the scenario, given its folder
    quiet: bool  # played with /quiet and /log

    def step(self, folder: pathlib.Path) -> ContextManager[None]:
        return self.root_step(folder) if self.root_step else contextlib.nullcontext()


_ENTRIES: dict[str, Entry] = {}

# The machine of the build that ships plays every scenario. The x86_64 build, for development,
# plays only those whose outcome the program's width could change: the same code paths played
# twice would cost the test's time and find nothing new.
SHIPPED = (WOW64,)
EVERY_WIDTH = tuple(KINDS.values())


def scenario(machines: tuple[Windows, ...] = SHIPPED,
             root_step: RootStep | None = None, quiet: bool = False,
             cases: dict[str, object] | None = None) -> Callable:
    """Registers a scenario under its function's name; played on each kind of machine in
    machines. quiet adds quiet_<name>, the same scenario with /quiet and /log; cases plays the
    scenario once for each case of the table, as <name>_<case>, the case its second argument."""

    def register(play: Callable) -> Callable:
        plays = {play.__name__: play}
        if cases is not None:
            plays = {f"{play.__name__}_{case_name}": _with_case(play, case)
                     for case_name, case in cases.items()}
        for name, bound in plays.items():
            _add(Entry(name, bound, machines, root_step, quiet=False))
            if quiet:
                _add(Entry(f"quiet_{name}", bound, machines, root_step, quiet=True))
        return play

    return register


def _with_case(play: Callable[[Scenario, object], None], case: object) -> Play:
    @functools.wraps(play)
    def play_case(s: Scenario) -> None:
        play(s, case)
    return play_case


def _add(entry: Entry) -> None:
    if entry.name in _ENTRIES:
        raise ValueError(f"two scenarios named {entry.name}")
    _ENTRIES[entry.name] = entry


def entries_for(windows: Windows) -> list[Entry]:
    """The scenarios that a kind of machine plays, in the order they were registered."""
    _load()
    return [entry for entry in _ENTRIES.values() if windows in entry.machines]


def _load() -> None:
    # The scenarios register themselves as their modules are imported.
    from . import scenarios  # noqa: F401

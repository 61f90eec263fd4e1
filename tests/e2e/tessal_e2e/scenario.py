"""One scenario's machine, copied from the template, and the checks that compare what a run did
on it with what the expected model says."""

from __future__ import annotations

import dataclasses
import pathlib

from . import template
from .checks import Checks
from .expected import boxes, log
from .expected.exits import Exit
from .expected.files import Tree, deployed
from .expected.log import LOG, VERSION, Line
from .expected.state import LISTED, Homes, data_source, environment
from .machine import DIST, Machine, Windows, X64, message_box_calls
from .registry import (ACCESS_DRIVER_KEY, DATA_SOURCE_KEY, DATA_SOURCES_KEY, ENVIRONMENT_KEY,
                       MARKER_KEY, REG_EXPAND_SZ, REG_SZ, Registry, Value)
from .runs import Run


@dataclasses.dataclass(frozen=True)
class Programs:
    """The programs a scenario runs: setup.exe and mbdriver, and those that some scenarios need
    besides."""
    setup: pathlib.Path
    mbdriver: pathlib.Path
    x64_setup: pathlib.Path | None = None  # the x86_64 build, run on a wow64 machine
    planted_dll: pathlib.Path | None = None  # an ODBCCP32.dll that leaves a marker when loaded
    holder: pathlib.Path | None = None  # holds a file open without sharing

    def needed(self, program: pathlib.Path | None, message: str) -> pathlib.Path:
        if program is None:
            raise SystemExit(message)
        return program


class Scenario:
    """One scenario's machine and its checks. A quiet scenario runs setup.exe with /quiet and
    /log, and finds in the log what the boxes would have shown."""

    def __init__(self, name: str, work: pathlib.Path, programs: Programs,
                 windows: Windows = X64, quiet: bool = False, check: Checks | None = None):
        self.name = name
        self.quiet = quiet
        self.programs = programs
        self.dist = DIST  # the folder the program is started from
        self.folder = work / name
        self.machine = template.copy(work, self.folder / "prefix", programs.mbdriver, windows)
        self.setup = self.machine.put_setup(programs.setup)
        self.check = check or Checks(name)
        self.homes = Homes(windows.tomcat_home)
        self.runs = 0
        self.output = self.folder / "run0.out"  # what the last run printed
        self.twins: list[Machine] = []
        if quiet:
            self.machine.watch_message_boxes()
        # Whether the machine has an Access driver to register the data source with.
        self.odbc = self.machine.registry().has_key(ACCESS_DRIVER_KEY)

    def trees(self) -> dict[str, Tree]:
        return {"jdk": self.machine.tree(self.homes.jdk),
                "tomcat": self.machine.tree(self.homes.tomcat)}

    def run(self, *answers: str, arguments: tuple[str, ...] = (), **options) -> Run:
        """setup.exe under mbdriver with the answers and arguments. A quiet scenario gives no
        answers and starts the program with /quiet and /log."""
        self.runs += 1
        if self.quiet:
            answers, arguments = (), ("/quiet", "/log", LOG, *arguments)
        self.output = self.folder / f"run{self.runs}.out"
        return self.machine.run(self.setup, self.folder / f"run{self.runs}.log", answers=answers,
                                arguments=arguments, output=self.output, **options)

    def twin(self) -> Machine:
        """A copy of the machine as it is now, for a run to compare with."""
        twin = self.machine.copy(self.folder / f"twin{len(self.twins) + 1}")
        self.twins.append(twin)
        return twin

    def log(self) -> list[str]:
        """The events of the scenario's log."""
        return log.read_log(self.machine.host_path(LOG))

    # What the user saw.

    def expect(self, what: str, run: Run, exit_code: int, shown: list) -> None:
        """The boxes a run showed and its exit code. A quiet run shows none and makes no call
        that would show one: its log holds them instead, then the exit code."""
        if not self.quiet:
            self.check.run(what, run, exit_code, shown)
            return
        self.check.run(what, run, exit_code, [])
        self.check_no_box_calls(what)
        events = log.last_run(self.log())
        self.check.lines(f"{what}: the log's messages", [log.message_line(b) for b in shown],
                         [event for event in events if event.startswith("message ")])
        self.check.equal(f"{what}: the log's last line", log.exit_line(exit_code),
                         events[-1] if events else None)

    def check_no_box_calls(self, what: str, output: pathlib.Path | None = None) -> None:
        """No call that would show a box, on the output of the last run or the one given."""
        self.check.equal(f"{what}: calls that show a box", [],
                         message_box_calls(output or self.output))

    def check_completion(self, what: str, run: Run, first: bool = True) -> None:
        """A run answered Yes that went to its end on this machine: a first run changes the
        environment, a repeat finds it as it leaves it."""
        self.check.run(what, run, Exit.of_completion(self.odbc, first),
                       boxes.of_completion(self.odbc))

    def completed_log(self, trees_before: dict[str, Tree],
                      path_type: int = REG_EXPAND_SZ) -> list[Line]:
        return log.completed_run(self.homes, self.machine.windows.view, self.odbc, trees_before,
                                 path_type)

    # What a run left.

    def check_environment(self, registry: Registry, path: Value | None) -> None:
        env = registry.values(ENVIRONMENT_KEY) or {}
        for name, value in environment(self.homes).items():
            self.check.equal(name.upper(), value, env.get(name))
        self.check.equal("Path", path, env.get("path"))

    def check_marker(self, registry: Registry, set_up: bool) -> None:
        """The detection marker: this version where the run set the machine up, else none."""
        self.check.equal("the detection marker", Value(REG_SZ, VERSION) if set_up else None,
                         registry.value(MARKER_KEY, "Version"))

    def check_data_source(self, registry: Registry, odbc: bool) -> None:
        """The system data source TESSAL with exactly the attributes of the run, or none at all
        without a driver."""
        values = registry.values(DATA_SOURCE_KEY)
        listed = registry.value(DATA_SOURCES_KEY, "TESSAL")
        if not odbc:
            self.check.true(f"a data source without a driver: {values}, {listed}",
                            values is None and listed is None)
            return
        driver = registry.value(ACCESS_DRIVER_KEY, "Driver")
        self.check.equal("data source TESSAL", data_source(self.homes, driver), values)
        self.check.equal("TESSAL among the data sources", LISTED, listed)

    def check_completed(self, before: Registry, after: Registry, trees_before: dict[str, Tree],
                        path: Value | None, odbc: bool, dist: Tree | None = None) -> None:
        """Everything a completed run leaves, and nothing else in the registry; the files
        deployed from the sample, or from the distribution's files dist."""
        self.check_environment(after, path)
        self.check_data_source(after, odbc)
        self.check_marker(after, set_up=odbc)
        self.check.registry_unchanged("outside the environment, the data source and the marker",
                                      before, after,
                                      (ENVIRONMENT_KEY, DATA_SOURCE_KEY, DATA_SOURCES_KEY,
                                       MARKER_KEY))
        expected = deployed(trees_before, self.homes, dist=dist)
        actual = self.trees()
        for base in ("jdk", "tomcat"):
            self.check.trees(self.homes.folder(base), expected[base], actual[base])

    def check_unchanged(self, what: str, before: Registry, trees_before: dict[str, Tree]) -> None:
        """Nothing changed in the registry or the product folders."""
        self.check.registry_unchanged(what, before, self.machine.registry())
        self.check.equal(f"product folders {what}", trees_before, self.trees())

    def finish(self) -> int:
        if self.check.failures:
            print(f"FAILED [{self.name}]: {self.check.failures} checks; the machine is kept in "
                  f"{self.machine.prefix}, the logs in {self.folder}")
            for machine in [self.machine, *self.twins]:
                machine.shut_down()
            return 1
        for machine in [self.machine, *self.twins]:
            machine.discard()
        return self.check.verdict()

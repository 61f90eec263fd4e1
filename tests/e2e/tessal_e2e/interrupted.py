"""Runs of setup.exe killed part-way, as a power cut or the task manager would end them.

Each kill gets its own copy of the template machine, whose distribution carries large
configuration files so that their rewrites last long enough to be interrupted. After the kill each
configuration file must be as before the run, as the deployment left it (the packaged file), or
completely rewritten; or, with the kill inside its rewrite, its .org backup must hold the packaged
file whole. The files must tell of one moment of the run: nothing after a step that was cut off.
A second, uninterrupted run must then leave the machine exactly as a clean run leaves it.

The kills come at moments watched for (a box shown, a file half written, the first registry write
of a step) and at delays spread over the run as a clean run measured it. With few, only three
watched kills: in the deployment, inside the rewrite of web.xml and in the data-source step, for
a build whose full set of kills runs elsewhere.
"""

from __future__ import annotations

import concurrent.futures
import dataclasses
import pathlib
import shutil
import time
from typing import Callable

from .checks import Checks
from .expected.boxes import of_completion
from .expected.files import REWRITES, Rewrite, Tree, deployed, enlarged
from .expected.state import Homes, appended
from .machine import DIST, INSTALLED_JDK_FILES, VOLATILE_KEYS, Machine, Windows
from .registry import (DATA_SOURCE_KEY, DATA_SOURCES_KEY, ENVIRONMENT_KEY, HKLM, MARKER_KEY,
                       ODBC_INI, Registry)
from .runs import KILLED, Run
from .scenario import Programs, Scenario

# The product lookup and the environment writes, between the answer and the first deployed file.
ANSWER_TO_DEPLOYMENT = 8

# Large enough that each rewrite takes tens of milliseconds at least, web.xml's several tenths:
# a watched kill needs a few milliseconds to arrive.
WEB_XML_SIZE = 24 << 20
OTHER_SIZE = 4 << 20


# --- Large configuration files --------------------------------------------------------------

@dataclasses.dataclass(frozen=True)
class ConfigFile:
    """A configuration file of the distribution, enlarged: what the machine holds before the run,
    the packaged file, and what its rewrite makes of it."""
    rewrite: Rewrite
    before: bytes | None
    packaged: bytes
    rewritten: bytes

    name = property(lambda self: self.rewrite.name)
    base = property(lambda self: self.rewrite.base)
    file = property(lambda self: self.rewrite.file)
    backup = property(lambda self: self.rewrite.backup)
    org = property(lambda self: self.rewrite.backup_name)


def config_files(homes: Homes) -> list[ConfigFile]:
    def xml(text: str) -> str:
        return f"  <!-- {text} -->"

    def properties(text: str) -> str:
        return f"# {text}"

    shape = {"logging.properties": (properties, None, OTHER_SIZE),
             "web.xml": (xml, b"</web-app>", WEB_XML_SIZE),
             "poolman.xml": (xml, b"</poolman>", OTHER_SIZE)}
    files = []
    for r in REWRITES:
        comment, closing, size = shape[r.name]
        packaged = enlarged(r, size, comment, closing)
        before = INSTALLED_JDK_FILES.get(r.file) if r.base == "jdk" else None
        files.append(ConfigFile(r, before, packaged, r.rewritten(packaged, homes)))
    return files


# --- Where a kill left a configuration file ---------------------------------------------------

# How far the run got with a file, in the order of the run.
BEFORE, DEPLOYING, DEPLOYED, BACKING_UP, REWRITING, REWRITTEN = range(6)
STATE_NAMES = ["as before", "being deployed", "deployed", "being backed up", "being rewritten",
               "rewritten"]
IN_PROGRESS = (DEPLOYING, BACKING_UP, REWRITING)


def file_state(f: ConfigFile, data: bytes | None, backup: bytes | None) -> int | None:
    """How far the run got with the file, or None for a state that loses content."""
    if backup is None:
        if data == f.before:
            return BEFORE
        if data == f.packaged:
            return DEPLOYED
        if data is not None and f.packaged.startswith(data):
            # What the file held is replaced by the deployment in any run, and the packaged file
            # stays in the distribution.
            return DEPLOYING
        return None
    if data == f.packaged and f.packaged.startswith(backup):
        return BACKING_UP
    if backup != f.packaged:
        return None
    if data == f.rewritten:
        return REWRITTEN
    if data is not None and f.rewritten.startswith(data):
        return REWRITING
    return None


def out_of_order(files: list[ConfigFile], states: list[int]) -> list[str]:
    """What the states say that no single moment of the run leaves: the files are deployed in
    their order, all of them before the first rewrite, and rewritten in their order."""
    problems = []
    for i, (f, state) in enumerate(zip(files, states)):
        earlier = files[:i]
        if state >= DEPLOYING and any(s < DEPLOYED for s in states[:i]):
            problems.append(f"{f.name} deployed before {[e.name for e in earlier]}")
        if state >= BACKING_UP and any(s < DEPLOYED for s in states):
            problems.append(f"{f.name} rewritten before the deployment ended")
        if state >= BACKING_UP and any(s != REWRITTEN for s in states[:i]):
            problems.append(f"{f.name} rewritten before {[e.name for e in earlier]}")
    if sum(s in IN_PROGRESS for s in states) > 1:
        problems.append("more than one file half written")
    return problems


# --- The moments ----------------------------------------------------------------------------

Sizes = dict[str, int | None]  # file (e.g. "web.xml", "web.org") -> its size, None if absent


@dataclasses.dataclass(frozen=True)
class Moment:
    """When to kill: at once, after a delay from the answer, at the first change below a registry
    key, or once watch (the files' sizes, the boxes shown) holds. aim names where the kill is
    meant to land; some kill must land at each aim."""
    name: str
    answers: tuple[str, ...] = ("yes",)
    at_once: bool = False
    kill_after: int | None = None
    key: str | None = None
    watch: Callable[[Sizes, int], bool] | None = None
    aim: str | None = None

    def how(self) -> str:
        if self.at_once:
            return "at once"
        if self.kill_after is not None:
            return f"{self.kill_after} ms after Yes"
        if self.key is not None:
            return "first write below " + self.key.rsplit("\\", 1)[-1]
        return "watched"


def being_backed_up(f: ConfigFile) -> Callable[[Sizes, int], bool]:
    return lambda s, boxes: s[f.org] is not None and s[f.org] < len(f.packaged)


def being_rewritten(f: ConfigFile, share: float = 0.0) -> Callable[[Sizes, int], bool]:
    """The backup whole and the file emptied and grown past share of its new content."""
    return lambda s, boxes: (s[f.org] == len(f.packaged) and s[f.name] is not None and
                             len(f.rewritten) * share <= s[f.name] < len(f.packaged))


# One kill in each of the three steps that change files or the registry most.
FEW = ("copy of web.xml", "start of the rewrite of web.xml", "data source")


def moments(files: list[ConfigFile], span: int) -> list[Moment]:
    """The watched moments, then delays spread over span, the milliseconds a clean run takes from
    the answer to its completion box."""
    logging, web, poolman = files
    watched = [
        Moment("before the question", answers=(), at_once=True, aim="before the question"),
        Moment("at the question", answers=(), watch=lambda s, boxes: boxes >= 1,
               aim="at the question"),
        # The kill may still come after the last of the four writes: three tries.
        Moment("environment", key=ENVIRONMENT_KEY, aim="environment"),
        Moment("environment, again", key=ENVIRONMENT_KEY, aim="environment"),
        Moment("environment, a third time", key=ENVIRONMENT_KEY, aim="environment"),
        Moment("copy of web.xml", watch=lambda s, boxes: s["web.xml"] is not None and
               s["web.xml"] < len(web.packaged) and s["web.org"] is None, aim="deployment"),
        Moment("web.org being written", watch=being_backed_up(web), aim="rewrite of web.xml"),
    ]
    for f in files:
        watched.append(Moment(f"start of the rewrite of {f.name}", watch=being_rewritten(f),
                              aim=f"rewrite of {f.name}"))
    watched += [
        Moment("late in the rewrite of web.xml", watch=being_rewritten(web, 0.7),
               aim="rewrite of web.xml"),
        Moment("end of the rewrites", watch=lambda s, boxes: s["poolman.xml"] == len(
            poolman.rewritten), aim="data source"),
        Moment("data source", key=HKLM + r"\Software\ODBC", aim="data source"),
        Moment("data source, again", key=HKLM + r"\Software\ODBC", aim="data source"),
        Moment("at the completion box", watch=lambda s, boxes: boxes >= 2,
               aim="at the completion box"),
    ]
    # The lookup and the environment writes lie within the first ANSWER_TO_DEPLOYMENT ms; the
    # last delay finds the completion box up, as mbdriver leaves it for the kill. Between them,
    # the rewrite of web.xml takes most of the span, and the watched kills aim at every step:
    # five delays spread over it land in each step that lasts long enough to be hit by chance.
    delays = [0, 5, 10] + [round(span * share) for share in
                           (0.1, 0.3, 0.5, 0.7, 0.9)] + [span + 300]
    timed = [Moment(f"{delay} ms after Yes", kill_after=delay) for delay in delays]
    return watched + timed


# --- The test ------------------------------------------------------------------------------

@dataclasses.dataclass
class Reference:
    """What a clean run leaves, and what the machine holds before it."""
    registry_before: Registry
    registry: Registry
    trees: dict[str, Tree]
    dist: Tree
    span: int  # ms from the answer to the completion box


class Interrupted:
    def __init__(self, work: pathlib.Path, programs: Programs, windows: Windows, few: bool):
        self.root = work / "interrupted"
        # Machines kept by an earlier run that failed, or that was itself killed.
        for prefix in self.root.glob("*/prefix"):
            Machine(prefix, "0", programs.mbdriver).stop()
        shutil.rmtree(self.root, ignore_errors=True)
        self.work = work
        self.programs = programs
        self.windows = windows
        self.few = few
        self.check = Checks("interrupted")
        self.homes = Homes(windows.tomcat_home)
        self.files = config_files(self.homes)
        self.landed: dict[str, list[str]] = {}
        self.removals = concurrent.futures.ThreadPoolExecutor(max_workers=1)
        self.kept: list[pathlib.Path] = []

    # Machines.

    def machine(self, name: str) -> Scenario:
        """A copy of the template for one run, its distribution holding the large files."""
        s = Scenario(f"interrupted/{name}", self.work, self.programs, self.windows,
                     check=self.check)
        for f in self.files:
            s.machine.host_path(DIST + "\\" + f.rewrite.dist).write_bytes(f.packaged)
        return s

    def release(self, s: Scenario, failures_before: int) -> None:
        """Shuts the machine down; removes it unless a check failed on it."""
        s.machine.shut_down()
        if self.check.failures > failures_before:
            self.kept.append(s.machine.prefix)
        else:
            self.removals.submit(shutil.rmtree, s.machine.prefix, True)

    def paths(self, s: Scenario) -> dict[str, pathlib.Path]:
        paths = {}
        for f in self.files:
            folder = self.homes.folder(f.base)
            paths[f.name] = s.machine.host_path(folder + "\\" + f.file)
            paths[f.org] = s.machine.host_path(folder + "\\" + f.backup)
        return paths

    @staticmethod
    def sizes(paths: dict[str, pathlib.Path]) -> Sizes:
        sizes: Sizes = {}
        for name, path in paths.items():
            try:
                sizes[name] = path.stat().st_size
            except FileNotFoundError:
                sizes[name] = None
        return sizes

    @staticmethod
    def boxes(log: pathlib.Path) -> int:
        try:
            return log.read_bytes().count(b'"caption"')
        except FileNotFoundError:
            return 0

    # The clean run.

    def clean_run(self) -> Reference:
        """A run to its end on a machine of its own: checked as a scenario checks one, and timed
        from the first file it deploys to the end of its last rewrite."""
        failures = self.check.failures
        s = self.machine("clean")
        try:
            before, trees_before = s.machine.registry(), s.trees()
            dist = s.machine.tree(DIST)
            paths = self.paths(s)
            log, output = s.folder / "clean.log", s.folder / "clean.out"
            process = s.machine.start(s.setup, log, output, answers=("yes",))
            phases = self.phases()
            seen: dict[str, float] = {}
            while process.poll() is None:
                sizes, boxes, now = self.sizes(paths), self.boxes(log), time.monotonic()
                for phase, began in phases.items():
                    if phase not in seen and began(sizes, boxes):
                        seen[phase] = now
                time.sleep(0.001)
            run = Run.from_log(process.wait(), log, output)
            s.check_completion("clean run", run)
            after = s.machine.registry()
            path = before.value(ENVIRONMENT_KEY, "Path")
            s.check_completed(before, after, trees_before, appended(path, self.homes), s.odbc,
                              dist=dist)
            self.check.trees("clean run: the distribution", dist, s.machine.tree(DIST))
            self.check.true(f"clean run: phases not seen: {set(phases) - set(seen)}",
                            set(seen) == set(phases))
            # The answer comes about ANSWER_TO_DEPLOYMENT before the first file changes.
            start = seen.get("deployment", 0) - ANSWER_TO_DEPLOYMENT / 1000
            times = {phase: round((when - start) * 1000) for phase, when in seen.items()}
            print("clean run, ms after Yes: "
                  + ", ".join(f"{phase} {ms}" for phase, ms in times.items()))
            span = max(times.get("completion box", 0), 100)
            expected = deployed(trees_before, self.homes, dist=dist)
            return Reference(before, after, expected, dist, span)
        finally:
            self.release(s, failures)

    def phases(self) -> dict[str, Callable[[Sizes, int], bool]]:
        """When each phase of a run begins, as the files and the boxes show it."""
        logging, web, poolman = self.files
        phases = {"deployment": lambda s, boxes: s["logging.properties"] != len(logging.before),
                  "web.xml deployed": lambda s, boxes: s["web.xml"] == len(web.packaged)}
        for f in self.files:
            phases[f.org] = lambda s, boxes, f=f: s[f.org] is not None
            phases[f"{f.name} rewritten"] = (lambda s, boxes, f=f: s[f.org] is not None and
                                             s[f.name] == len(f.rewritten))
        phases["completion box"] = lambda s, boxes: boxes >= 2
        return phases

    # One kill.

    def kill(self, number: int, moment: Moment, reference: Reference) -> None:
        failures = self.check.failures
        s = self.machine(f"{number:02d}")
        what = f"kill {number} ({moment.name})"
        try:
            run = self.killed_run(s, moment)
            for error in run.errors:
                self.check.fail(f"{what}: mbdriver: {error}")
            clean_boxes = of_completion(s.odbc)
            self.check.equal(f"{what}: exit code{run.unlogged_end()}", KILLED, run.exit_code)
            self.check.true(f"{what}: boxes {run.boxes}", run.boxes == clean_boxes[:len(run.boxes)])

            states = self.check_files(s, what)
            registry = None
            if moment.key is not None:
                registry = s.machine.registry()
                self.check_registry(what, reference, registry)
            landed = self.landing(run, states, registry, reference)
            self.landed.setdefault(landed, []).append(moment.name)
            missed = moment.aim is not None and not landed.startswith(moment.aim)
            killed = "-" if run.killed is None or run.killed < 0 else run.killed
            print(f"kill {number:2d} {moment.how():>30}: killed {killed:>5} ms after Yes; "
                  f"{landed}; " + ", ".join(
                      f"{f.name} {STATE_NAMES[st] if st is not None else 'LOST'}"
                      for f, st in zip(self.files, states)) +
                  (f" (aimed at the {moment.aim})" if missed else ""), flush=True)

            self.second_run(s, what, reference)
        finally:
            self.release(s, failures)

    def killed_run(self, s: Scenario, moment: Moment) -> Run:
        log, output = s.folder / "killed.log", s.folder / "killed.out"
        trigger = s.folder / "kill"
        trigger.unlink(missing_ok=True)
        options = {}
        if moment.watch is not None or moment.at_once:
            options["kill_on"] = trigger
        if moment.at_once:
            trigger.touch()
        process = s.machine.start(s.setup, log, output, answers=moment.answers,
                                  kill_after=moment.kill_after, kill_on_change=moment.key,
                                  **options)
        if moment.watch is not None:
            paths = self.paths(s)
            while process.poll() is None and not trigger.exists():
                boxes = self.boxes(log)
                if moment.watch(self.sizes(paths), boxes):
                    trigger.touch()
                elif boxes >= 2:
                    trigger.touch()  # missed: the run waits at its last box
                time.sleep(0.001)
        return Run.from_log(process.wait(timeout=120), log, output)

    def check_files(self, s: Scenario, what: str) -> list[int]:
        """Each file's state; a file in no state that keeps its content fails the check."""
        states = []
        for f in self.files:
            folder = self.homes.folder(f.base)
            data = self.read(s.machine.host_path(folder + "\\" + f.file))
            backup = self.read(s.machine.host_path(folder + "\\" + f.backup))
            state = file_state(f, data, backup)
            if state is None:
                self.check.fail(
                    f"{what}: {f.name} lost: {self.describe(data, f)}, {f.backup} "
                    f"{self.describe(backup, f)}")
                state = -1
            states.append(state)
        if all(state >= 0 for state in states):
            for problem in out_of_order(self.files, states):
                self.check.fail(f"{what}: {problem}")
        return states

    @staticmethod
    def read(path: pathlib.Path) -> bytes | None:
        try:
            return path.read_bytes()
        except FileNotFoundError:
            return None

    @staticmethod
    def describe(data: bytes | None, f: ConfigFile) -> str:
        if data is None:
            return "absent"
        return (f"{len(data)} bytes (packaged {len(f.packaged)}, rewritten {len(f.rewritten)}), "
                f"starting {data[:60]!r}")

    def check_registry(self, what: str, reference: Reference, registry: Registry) -> None:
        """Each environment value as before or as a clean run writes it; nothing else changed
        but the data source, which is written last, and the marker, which only a run that got
        past it writes."""
        for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME", "Path"):
            value = registry.value(ENVIRONMENT_KEY, name)
            self.check.true(f"{what}: {name} half written: {value}", value in (
                reference.registry_before.value(ENVIRONMENT_KEY, name),
                reference.registry.value(ENVIRONMENT_KEY, name)))
        listed = registry.value(DATA_SOURCES_KEY, "TESSAL")
        self.check.true(f"{what}: TESSAL listed as {listed}", listed in (
            None, reference.registry.value(DATA_SOURCES_KEY, "TESSAL")))
        clean = reference.registry.values(DATA_SOURCE_KEY) or {}
        for name, value in (registry.values(DATA_SOURCE_KEY) or {}).items():
            self.check.equal(f"{what}: data source value {name}", clean.get(name), value)
        marker = registry.value(MARKER_KEY, "Version")
        self.check.true(f"{what}: marker {marker}", marker is None or
                        marker == reference.registry.value(MARKER_KEY, "Version") and
                        listed is not None)
        self.check.registry_unchanged(f"{what}: outside the environment and the data source",
                                      reference.registry_before, registry,
                                      (ENVIRONMENT_KEY, ODBC_INI, MARKER_KEY))

    def landing(self, run: Run, states: list[int], registry: Registry | None,
                reference: Reference) -> str:
        """Where in the run the kill came, as the log, the files and the registry tell."""
        if not run.boxes:
            return "before the question"
        if run.killed == -1:
            return "at the question"
        if len(run.boxes) >= 2:
            return "at the completion box"
        for f, state in zip(self.files, states):
            if state in (BACKING_UP, REWRITING):
                return f"rewrite of {f.name} ({STATE_NAMES[state]})"
        if all(state == REWRITTEN for state in states):
            if registry is None:
                return "data source"
            listed = registry.value(DATA_SOURCES_KEY, "TESSAL") is not None
            values = len(registry.values(DATA_SOURCE_KEY) or {})
            return f"data source (listed: {listed}, {values} of its values)"
        if all(state == BEFORE for state in states):
            if registry is None:
                return "before the deployment (the lookup, the environment or its first rows)"
            written = [name for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME", "Path")
                       if registry.value(ENVIRONMENT_KEY, name) !=
                       reference.registry_before.value(ENVIRONMENT_KEY, name)]
            if len(written) == 4:
                return "deployment (its first rows)"
            return f"environment ({', '.join(written)} written)"
        return "deployment"

    def second_run(self, s: Scenario, what: str, reference: Reference) -> None:
        # The killed run may have written the environment already, and then this one changes
        # none of it.
        before = s.machine.registry()
        first = any(before.value(ENVIRONMENT_KEY, name) !=
                    reference.registry.value(ENVIRONMENT_KEY, name)
                    for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME", "Path"))
        run = s.machine.run(s.setup, s.folder / "second.log", answers=("yes",),
                            output=s.folder / "second.out")
        s.check_completion(f"{what}, second run", run, first)
        registry = s.machine.registry()
        for difference in reference.registry.differences(registry, VOLATILE_KEYS):
            self.check.fail(f"{what}, second run: registry differs from a clean run's: "
                            f"{difference}")
        trees = s.trees()
        for base in ("jdk", "tomcat"):
            self.check.trees(f"{what}, second run: {self.homes.folder(base)}",
                             reference.trees[base], trees[base])
        self.check.trees(f"{what}, second run: the distribution", reference.dist,
                         s.machine.tree(DIST))

    # All of it.

    def run(self) -> int:
        start = time.monotonic()
        try:
            reference = self.clean_run()
            if self.check.failures:
                return self.finish(start)
            plan = moments(self.files, reference.span)
            if self.few:
                plan = [moment for moment in plan if moment.name in FEW]
            for number, moment in enumerate(plan, 1):
                self.kill(number, moment, reference)
            # A watched kill can come late on a busy machine; each aim needs one kill landed.
            for aim in sorted({moment.aim for moment in plan if moment.aim}):
                self.check.true(f"no kill landed at the {aim}",
                                any(landed.startswith(aim) for landed in self.landed))
            print(f"{len(plan)} kills landed at:")
            for landed, names in sorted(self.landed.items()):
                print(f"  {landed}: {len(names)}")
        finally:
            self.removals.shutdown(wait=True)
        return self.finish(start)

    def finish(self, start: float) -> int:
        elapsed = time.monotonic() - start
        if self.check.failures:
            print(f"FAILED [interrupted]: {self.check.failures} checks in {elapsed:.0f} s; "
                  f"machines kept: {[str(p) for p in self.kept]}, logs in {self.root}")
            return 1
        shutil.rmtree(self.root, ignore_errors=True)
        print(f"PASS [interrupted] in {elapsed:.0f} s")
        return 0

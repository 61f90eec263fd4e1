"""Runs that a deployment tool starts with /quiet and /log: no box reaches the screen nor any call
that would show one, and the log holds every message the screen would have shown. (Scenarios of
other groups are played quiet as well, as quiet_<name>.)"""

from __future__ import annotations

from ..catalog import scenario
from ..expected import boxes, log
from ..expected.boxes import ALREADY_RUNNING, usage
from ..expected.exits import Exit
from ..expected.log import LOG
from ..expected.state import appended
from ..machine import DIST, message_box_calls
from ..registry import ENVIRONMENT_KEY
from ..runs import Run, wait_for_box
from ..scenario import Scenario

# A window station that mbdriver makes for the program, which is not the visible one.
STATION = "tessal-unseen"


@scenario()
def quiet_run(s: Scenario) -> None:
    """/quiet on a machine as installed shows no box and makes no call that would show one, and
    leaves exactly what a run at the screen answered Yes leaves on a copy of the machine; with /log
    both runs log the same lines. That the probe sees the calls of the run at the screen shows
    that it would see a quiet run's."""
    twin = s.twin()
    for machine in (s.machine, twin):
        machine.watch_message_boxes()
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(DIST)
    path = before.value(ENVIRONMENT_KEY, "Path")
    quiet = s.run(arguments=("/quiet", "/log", LOG))
    s.check.run("quiet", quiet, Exit.of_completion(s.odbc), [])
    s.check_no_box_calls("quiet")
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), s.odbc)
    s.check.trees("the distribution", dist, s.machine.tree(DIST))
    quiet_log = s.log()
    s.check.lines("the quiet run's log", s.completed_log(trees), quiet_log)

    output = s.folder / "screen.out"
    screen = twin.run(s.setup, s.folder / "screen.log", answers=("yes",),
                      arguments=("/log", LOG), output=output)
    s.check_completion("at the screen", screen)
    s.check.equal("at the screen: calls that show a box", len(boxes.of_completion(s.odbc)),
                  len(message_box_calls(output)))
    s.check.registry_unchanged("the quiet run's machine against the other", twin.registry(),
                               s.machine.registry())
    for folder in (s.homes.jdk, s.homes.tomcat, DIST):
        s.check.trees(f"{folder} after both runs", twin.tree(folder), s.machine.tree(folder))
    s.check.equal("the log at the screen", quiet_log, log.read_log(twin.host_path(LOG)))


@scenario()
def quiet_second_instance(s: Scenario) -> None:
    """A quiet copy started while one at the screen waits at its question ends with 3 and shows
    nothing. Both log to one file: the quiet copy's lines join the first's, which stay whole."""
    s.machine.watch_message_boxes()
    trees = s.trees()
    release = s.folder / "release"
    release.unlink(missing_ok=True)
    first_log = s.folder / "first.log"
    first = s.machine.start(s.setup, first_log, answers=("yes",), hold=release,
                            arguments=("/log", LOG))
    try:
        s.check.true("the first copy shows no box", wait_for_box(first_log))
        output = s.folder / "second.out"
        second = s.machine.run(s.setup, s.folder / "second.log", output=output,
                               arguments=("/quiet", "/log", LOG))
        s.check.run("quiet second copy", second, Exit.ALREADY_RUNNING, [])
        s.check_no_box_calls("quiet second copy", output)
    finally:
        release.touch()
        exit_code = first.wait(timeout=120)
    s.check_completion("first copy", Run.from_log(exit_code, first_log))
    events = s.log()
    second_lines = [log.START, log.message_line(ALREADY_RUNNING),
                    log.exit_line(Exit.ALREADY_RUNNING)]
    # The first copy logs its question before it shows it, and waits there for the second.
    s.check.equal("the second copy's lines, after the first's question", second_lines, events[2:5])
    s.check.lines("the first copy's lines", s.completed_log(trees), events[:2] + events[5:])


@scenario()
def unseen_station(s: Scenario) -> None:
    """On a window station that no one sees, as a service or a deployment tool's SYSTEM account
    runs the program: a line without /quiet, right or mistyped, ends with 1639 before anything is
    read or changed, with no box nor any call that would show one, and its log says why. With
    /quiet the run goes to its end."""
    s.machine.watch_message_boxes()
    before, trees = s.machine.registry(), s.trees()
    invalid = Exit.INVALID_COMMAND_LINE
    for what, mistake, said in (("without /quiet", (), log.UNSEEN),
                                ("mistyped", ("/qiet",), log.message_line(usage("/qiet")))):
        run = s.run(arguments=("/log", LOG, *mistake), station=STATION)
        s.check.run(what, run, invalid, [])
        s.check_no_box_calls(what)
        s.check.equal(f"{what}: the log", [log.START, said, log.exit_line(invalid)],
                      log.last_run(s.log()))
    s.check_unchanged("without /quiet", before, trees)
    quiet = s.run(arguments=("/quiet", "/log", LOG), station=STATION)
    s.check.run("quiet", quiet, Exit.of_completion(s.odbc), [])
    s.check_no_box_calls("quiet")
    s.check_completed(before, s.machine.registry(), trees,
                      appended(before.value(ENVIRONMENT_KEY, "Path"), s.homes), s.odbc)

"""Runs that end before they change anything: declined, beside another copy, without a product or
a whole distribution, on a command line that means nothing, without the log asked for."""

from __future__ import annotations

import pathlib
import shutil
from typing import Callable

from ..catalog import scenario
from ..expected import log
from ..expected.boxes import ALREADY_RUNNING, NO_JDK, NO_TOMCAT, QUESTION, FailureReport, usage
from ..expected.exits import Exit
from ..expected.log import LOG
from ..machine import DIST
from ..registry import JDK_KEY, REG_SZ, TOMCAT_KEY, Value
from ..runs import Box, Run, wait_for_box
from ..scenario import Scenario


@scenario()
def answer_no(s: Scenario) -> None:
    before, trees = s.machine.registry(), s.trees()
    s.check.run("run", s.run("no"), Exit.DECLINED, [QUESTION])
    s.check_unchanged("after No", before, trees)


@scenario()
def second_instance(s: Scenario) -> None:
    """A second copy started while the first waits at its question says so and ends; the first
    goes on undisturbed."""
    release = s.folder / "release"
    release.unlink(missing_ok=True)
    first_log = s.folder / "first.log"
    first = s.machine.start(s.setup, first_log, answers=("yes",), hold=release)
    try:
        s.check.true("the first copy shows no box", wait_for_box(first_log))
        second = s.machine.run(s.setup, s.folder / "second.log")
        s.check.run("second copy", second, Exit.ALREADY_RUNNING, [ALREADY_RUNNING])
    finally:
        release.touch()
        exit_code = first.wait(timeout=120)
    s.check_completion("first copy", Run.from_log(exit_code, first_log))


def ends_without_product(s: Scenario, what: str, box: Box | FailureReport,
                         exit_code: int = Exit.PRODUCT_MISSING) -> None:
    """Yes, then the product's message (or the report of what else is missing): the exit code
    and nothing changed."""
    before, trees = s.machine.registry(), s.trees()
    s.expect(what, s.run("yes"), exit_code, [QUESTION, box])
    s.check_unchanged(f"{what}: after the message", before, trees)


@scenario(quiet=True)
def no_jdk(s: Scenario) -> None:
    s.machine.delete_key(JDK_KEY)
    ends_without_product(s, "run", NO_JDK)


@scenario()
def no_tomcat(s: Scenario) -> None:
    s.machine.delete_key(TOMCAT_KEY)
    ends_without_product(s, "run", NO_TOMCAT)


Spoil = Callable[[Scenario], tuple[Box | FailureReport, int]]


def key_names(key: str, name: str, folder: str, box: Box) -> Spoil:
    """A product's key left naming a folder that is no installed product."""
    def spoil(s: Scenario) -> tuple[Box, int]:
        s.machine.set_value(key, name, Value(REG_SZ, folder))
        return box, Exit.PRODUCT_MISSING
    return spoil


def packaged_folder_missing(s: Scenario) -> tuple[FailureReport, int]:
    """A distribution copied half way: a packaged folder is not there."""
    folder = DIST + r"\TOMCAT\webapps\tessal\WEB-INF\lib"
    shutil.rmtree(s.machine.host_path(folder))
    return FailureReport(3, folder), Exit.FAILED


def listed_file(spoil_file: Callable[[pathlib.Path], object], number: int) -> Spoil:
    """A release folder with its SHA256SUMS, whose copy then lost a jar or cut it short."""
    def spoil(s: Scenario) -> tuple[FailureReport, int]:
        s.machine.lay_checksums()
        jar = DIST + r"\TOMCAT\webapps\tessal\WEB-INF\lib\poolman.jar"
        spoil_file(s.machine.host_path(jar))
        return FailureReport(number, jar), Exit.FAILED
    return spoil


def cut_short(file: pathlib.Path) -> None:
    file.write_bytes(file.read_bytes()[:file.stat().st_size // 2])


# What a run must not take for something to set up: a key that an uninstaller left behind, or a
# distribution that is not whole.
NOT_THERE = {
    "jdk_empty": key_names(JDK_KEY, "JavaHome", "", NO_JDK),
    "tomcat_not_full_path": key_names(TOMCAT_KEY, "", r"Apache Group\Tomcat 4.1", NO_TOMCAT),
    "jdk_gone": key_names(JDK_KEY, "JavaHome", r"C:\j2sdk1.4.2_08", NO_JDK),
    "packaged_folder": packaged_folder_missing,
    "listed_file_missing": listed_file(pathlib.Path.unlink, 2),
    # The program's own number for a file whose digest is not the one listed.
    "listed_file_cut_short": listed_file(cut_short, 0x20000004),
}


@scenario(cases=NOT_THERE)
def not_there(s: Scenario, spoil: Spoil) -> None:
    """The product's message, or the report of what the distribution lacks, and nothing
    changed."""
    box, exit_code = spoil(s)
    ends_without_product(s, "run", box, exit_code)


@scenario()
def unknown_switch(s: Scenario) -> None:
    """Arguments that mean nothing: the usage and 87, nothing read or changed. Quiet anywhere on
    the command line, there is no box and no call that would show one, and a log asked for gets
    the usage. So too where a quoted folder that ends in "\\" escapes its closing quote and the
    log's name swallows /quiet."""
    invalid = Exit.INVALID_COMMAND_LINE
    before, trees = s.machine.registry(), s.trees()
    s.check.run("/qiet", s.run(arguments=("/qiet",)), invalid, [usage("/qiet")])
    s.check.run("-LOG without a file", s.run(arguments=("-LOG",)), invalid, [usage("-LOG")])
    s.machine.watch_message_boxes()
    s.check.run("/quiet swallowed", s.run(line=r'/log "C:\logs\" /quiet'), invalid, [])
    s.check_no_box_calls("/quiet swallowed")
    s.check.run("quiet", s.run(arguments=("/log", LOG, "/x", "/Q")), invalid, [])
    s.check_no_box_calls("quiet")
    s.check.equal("quiet: the log", [log.START, log.message_line(usage("/x")),
                                     log.exit_line(invalid)], s.log())
    s.check_unchanged("after the usage", before, trees)


@scenario()
def log_not_opened(s: Scenario) -> None:
    """A log that cannot be opened ends the run with 1 before anything is read or changed: at the
    screen after the failure report, quiet with no box at all."""
    missing = r"C:\no such folder\setup.log"
    before, trees = s.machine.registry(), s.trees()
    s.check.run("at the screen", s.run(arguments=("/log", missing)), Exit.FAILED,
                [FailureReport(None, missing)])
    s.machine.watch_message_boxes()
    s.check.run("quiet", s.run(arguments=("/q", "/log", missing)), Exit.FAILED, [])
    s.check_no_box_calls("quiet")
    s.check_unchanged("without a log", before, trees)

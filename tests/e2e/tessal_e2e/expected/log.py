"""The log of setup.exe: how it is written, and the lines that a run puts in it."""

from __future__ import annotations

import codecs
import datetime
import pathlib
import re

from ..machine import DIST, REPO
from ..registry import JDK_KEY, MARKER_KEY, REG_EXPAND_SZ, TOMCAT_KEY, TYPE_NAMES
from ..runs import Box
from . import boxes
from .exits import Exit, Outcome
from .files import DEPLOYMENTS, REWRITES, Tree, deployed, packaged_files
from .state import Homes

# Where the scenarios have a run log.
LOG = r"C:\setup.log"
# The program's version, as app/version.h gives it to the log and the detection marker.
VERSION = re.search(r'SETUP_VERSION_TEXT "(.*)"',
                    (REPO / "app" / "version.h").read_text(encoding="utf-8"))[1]
START = f"start setup.exe {VERSION}"
STAMPED = re.compile(r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (.*)")

# What Wine's ODBC installer holds after it refused the data source, as the log words it: without
# the driver, its own "component not found"; after a driver refused, its own "request failed",
# since Wine 8 drops the error that the driver posts (its SQLPostInstallerError is a stub).
NO_DRIVER = "ODBC installer error 6: Component not found"
DRIVER_REFUSED = "ODBC installer error 11: Request Failed"

# A run that would wait for an answer where no one sees a box.
UNSEEN = ("unseen: the window station is not visible, so no one could answer a box; a run here "
          "needs /quiet")

Line = str | re.Pattern  # a line, or a pattern that stands for any line it matches


def read_log(path: pathlib.Path) -> list[str]:
    """The events of a log, in order, each without its time stamp. The log must be UTF-8 with a
    byte order mark, every line a time stamp of the machine's clock, close to now, then its event,
    and every line must end in CR LF."""
    data = path.read_bytes()
    if not data.startswith(codecs.BOM_UTF8):
        raise AssertionError(f"{path} does not begin with the UTF-8 byte order mark: {data[:8]!r}")
    text = data[len(codecs.BOM_UTF8):].decode("utf-8")
    if not text.endswith("\r\n"):
        raise AssertionError(f"{path} does not end with a whole line: {text[-80:]!r}")
    events = []
    for line in text[:-2].split("\r\n"):
        stamped = STAMPED.fullmatch(line)
        if not stamped:
            raise AssertionError(f"{path}: not a log line: {line!r}")
        when = datetime.datetime.strptime(stamped[1], "%Y-%m-%d %H:%M:%S.%f")
        if abs(datetime.datetime.now() - when) > datetime.timedelta(minutes=10):
            raise AssertionError(f"{path}: not the local time of now: {line!r}")
        events.append(stamped[2])
    return events


def last_run(events: list[str]) -> list[str]:
    """The events of the last run that a log holds."""
    starts = [i for i, event in enumerate(events) if event.startswith("start setup.exe ")]
    return events[starts[-1]:] if starts else []


def message_line(box: Box | boxes.FailureReport) -> Line:
    """A box as the log holds it, its line breaks a mark each run of them."""
    if isinstance(box, boxes.FailureReport):
        return box.log_line()
    text = " | ".join(part for part in re.split(r"[\r\n]+", box.text) if part)
    return f"message {box.code} [{box.caption}] {text}"


def exit_line(outcome: Outcome) -> str:
    return f"exit {int(outcome)}: {outcome.meaning}"


def marker_line(view: int) -> Line:
    return f"marker {MARKER_KEY}\\Version ({view}-bit registry view): {VERSION} written"


def counted(count: int, noun: str) -> str:
    return f"{count} {noun}{'' if count == 1 else 's'}"


def data_source_refused(reason: str) -> list[Line]:
    """The lines of a data source that the ODBC installer refused for the reason."""
    return [f"datasource TESSAL: not removed: {reason}", message_line(boxes.NO_DATA_SOURCE),
            f"datasource TESSAL: not added: {reason}"]


def completed_run(homes: Homes, view: int, odbc: bool, trees_before: dict[str, Tree],
                  path_type: int = REG_EXPAND_SZ) -> list[Line]:
    """The log of a run that goes to its end, its first on the machine, which holds the product
    folders trees_before and a Path of that type; its programs read the registry view of view.
    Only a run that set the machine up marks it so."""
    registry_view = f"{view}-bit registry view"
    lines = [START, message_line(boxes.QUESTION),
             f"product JDK 1.4: {homes.jdk} ({JDK_KEY}, {registry_view})",
             f"product Tomcat 4.1: {homes.tomcat} ({TOMCAT_KEY}, {registry_view})"]
    lines += [f"environment {name}: written as REG_SZ"
              for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME")]
    lines.append(f"environment Path: written as {TYPE_NAMES[path_type]}")
    for source, base, destination in DEPLOYMENTS:
        files = counted(len(packaged_files(source)), "file")
        lines.append(f"deploy {DIST}\\{source} -> {homes.folder(base)}\\{destination}: "
                     f"{files} copied")
    after = deployed(trees_before, homes)
    for r in REWRITES:
        home = homes.folder(r.base)
        read = counted(len(after[r.base][r.backup].splitlines()), "line")
        lines.append(f"rewrite {home}\\{r.file}: {read} read as {r.encoding}, 1 replaced, "
                     f"backup {home}\\{r.backup}")
    if odbc:
        lines += ["datasource TESSAL: removed, if there was one",
                  f"datasource TESSAL: added for {homes.database()}", marker_line(view)]
    else:
        lines += data_source_refused(NO_DRIVER)
    return lines + [message_line(boxes.COMPLETED), exit_line(Exit.of_completion(odbc))]

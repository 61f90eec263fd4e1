#!/usr/bin/env python3
"""End-to-end scenarios of setup.exe on a Windows machine under Wine.

    scenarios.py --list [--machine KIND]
    scenarios.py template --work DIR --mbdriver EXE [--odbc-driver DLL] [--machine KIND]
    scenarios.py cleanup --work DIR
    scenarios.py run NAME --work DIR --setup EXE --mbdriver EXE [--machine KIND]
                 [--x64-setup EXE] [--planted-dll DLL]

The machine is a 64-bit Windows of one of two kinds: x64, on which the x86_64 build runs with the
JDK 1.4, Tomcat 4.1 and the Access driver of its own width, or wow64, on which the i686 build that
ships runs under WoW64 with the 32-bit products registered in the 32-bit view. Its template (the
products installed and registered, the sample distribution in C:\\dist, the stand-in Access driver
if one was built) is made once; each scenario runs on a copy of it. A scenario checks what the
user saw (the boxes in order and the exit code) and what the run left on the machine (registry
values and their types, the product folders byte for byte, the data source). Its machine is kept
for a look when a check fails. The planted DLL is an ODBCCP32.dll that leaves a marker beside
itself when it is loaded, built for the same machine as setup.exe.

A scenario named quiet_... plays the scenario of that name with /quiet and /log: no box may reach
the screen nor any call reach user32 that would show one, and the log must hold every message the
screen would have shown, then the exit code.
"""

from __future__ import annotations

import argparse
import codecs
import contextlib
import dataclasses
import datetime
import os
import pathlib
import pwd
import re
import shutil
import subprocess
import sys
import time
from typing import Callable, Iterator

import machine as m
from machine import Box, Machine, Value

QUESTION = Box("setup", "セットアップを開始してよろしいですか？", 68)
COMPLETED = Box("setup", "セットアップが完了しました。", 64)
ALREADY_RUNNING = Box("警告", "setup.exeは既に起動されています。", 16)
NO_JDK = Box("setup", "Java 2 SDK 1.4がインストールされていません。\r先にインストールを行って下さい。", 16)
NO_TOMCAT = Box("setup",
                "Apache Tomcat 4.1.40がインストールされていません。\r先にインストールを行って下さい。",
                16)
NO_DATA_SOURCE = Box("setup", "データソースTESSALが登録されませんでした。", 16)
# What Wine's ODBC installer holds after it refused the data source, as the log words it: without
# the driver, its own "component not found"; after a driver refused, its own "request failed",
# since Wine 8 drops the error that the driver posts (its SQLPostInstallerError is a stub).
NO_DRIVER = "ODBC installer error 6: Component not found"
DRIVER_REFUSED = "ODBC installer error 11: Request Failed"
# What the stand-in driver is told to post when it refuses: ODBC_ERROR_CREATE_DSN_FAILED.
CREATE_DSN_FAILED = 18
# A run that went to its end, without and with a message that reported a problem on the way.
COMPLETED_CODE, COMPLETED_WITH_PROBLEMS = 0, 5


@dataclasses.dataclass(frozen=True)
class FailureReport:
    """The report of a failure that no routine trapped, in a box or as a line of the log: its
    number (any, for None), the system's description, and on a line of its own the file that the
    failed operation concerned."""
    number: int | None
    subject: str

    def _code(self) -> str:
        return r"\d+" if self.number is None else str(self.number)

    def fullmatch(self, text: str) -> re.Match | None:
        return re.fullmatch(rf"実行時エラー '{self._code()}':\r\n\r\n[^\r\n]+\r\n"
                            + re.escape(self.subject), text)

    def log_line(self) -> re.Pattern:
        """The same report as a line of the log, where each run of line breaks is a " | "."""
        return re.compile(rf"message 16 \[setup\] 実行時エラー '{self._code()}': \| [^|]+ \| "
                          + re.escape(self.subject))

    def __str__(self) -> str:
        return f"the failure report of {self.number or 'any number'} naming {self.subject}"


INVALID_ARGUMENTS = 87


def usage(mistake: str) -> Box:
    return Box("setup", f"引数「{mistake}」が正しくありません。\r\r"
                        "使い方: setup.exe [/quiet] [/log ファイル名]\r"
                        "/quiet (/q): メッセージを表示せずにセットアップを行います。\r"
                        "/log: セットアップの記録をファイルに書き込みます。", 16)


# --- The log -------------------------------------------------------------------------------------

LOG = r"C:\setup.log"
EXIT_MEANINGS = {
    0: "setup completed",
    1: "ended by a failure",
    2: "the JDK or Tomcat is not installed, or its folder could not be read",
    3: "another copy of the program is running",
    5: "setup completed, but a message reported a problem",
    87: "the command line means nothing to the program",
}
STAMPED = re.compile(r"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (.*)")


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


def message_line(box: Box | FailureReport) -> str | re.Pattern:
    """A box as the log holds it, its line breaks a mark each run of them."""
    if isinstance(box, FailureReport):
        return box.log_line()
    text = " | ".join(part for part in re.split(r"[\r\n]+", box.text) if part)
    return f"message {box.code} [{box.caption}] {text}"


def exit_line(code: int) -> str:
    return f"exit {code}: {EXIT_MEANINGS[code]}"


def counted(count: int, noun: str) -> str:
    return f"{count} {noun}{'' if count == 1 else 's'}"


# Where each packaged folder goes: (below the distribution, JDK or Tomcat, below that folder).
DEPLOYMENTS = [
    (r"J2SE\bin", "jdk", "bin"),
    (r"J2SE\jre\lib", "jdk", r"jre\lib"),
    (r"TOMCAT\conf", "tomcat", "conf"),
    (r"TOMCAT\webapps\tessal", "tomcat", r"webapps\tessal"),
    (r"TOMCAT\webapps\tessal\images", "tomcat", r"webapps\tessal\images"),
    (r"TOMCAT\webapps\tessal\logs", "tomcat", r"webapps\tessal\logs"),
    (r"TOMCAT\webapps\tessal\temp", "tomcat", r"webapps\tessal\temp"),
    (r"TOMCAT\webapps\tessal\WEB-INF", "tomcat", r"webapps\tessal\WEB-INF"),
    (r"TOMCAT\webapps\tessal\WEB-INF\classes", "tomcat", r"webapps\tessal\WEB-INF\classes"),
    (r"TOMCAT\webapps\tessal\WEB-INF\classes\tessalLib", "tomcat",
     r"webapps\tessal\WEB-INF\classes\tessalLib"),
    (r"TOMCAT\webapps\tessal\WEB-INF\lib", "tomcat", r"webapps\tessal\WEB-INF\lib"),
    (r"TOMCAT\webapps\tessal\xls", "tomcat", r"webapps\tessal\xls"),
]


@dataclasses.dataclass(frozen=True)
class Rewrite:
    """A configuration file that names the sample's C:\\TOMCAT in its line old, which becomes
    the line template for a Tomcat folder (given with "\\" as {home} and with "/" as {slash}),
    written as the file's reader reads it: a FileHandler pattern in java.util.Properties, or XML
    in the encoding that the sample file declares."""
    base: str
    file: str
    backup: str
    old: str
    template: str
    encoding: str  # the file's encoding as the log names it

    def replacement(self, homes: Homes) -> bytes:
        if self.encoding == "ISO-8859-1":
            return self.template.format(slash=properties_text(homes.slash)).encode("ascii")
        line = self.template.format(home=xml_text(homes.tomcat), slash=xml_text(homes.slash))
        if self.encoding == "UTF-8":
            return line.encode("utf-8")
        return "".join(c if ord(c) < 0x80 else f"&#x{ord(c):X};" for c in line).encode("ascii")

    def holds_search(self, line: bytes) -> bool:
        """Whether a line names the old folder, searched as the file's reader reads it: only in
        Shift_JIS can a byte of a character look like the "C" of C:/TOMCAT."""
        search = search_text(self.old)
        if self.encoding == "Shift_JIS":
            return search in line.decode("cp932")
        return search.encode("ascii") in line


def xml_text(folder: str) -> str:
    return folder.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def properties_text(folder: str) -> str:
    """A FileHandler pattern in a properties file: "%" doubled for the pattern, then ASCII with
    "\\" doubled and every other character a \\uXXXX escape of its UTF-16 units."""
    units = folder.replace("%", "%%").encode("utf-16-be")
    text = ""
    for i in range(0, len(units), 2):
        unit = int.from_bytes(units[i:i + 2], "big")
        text += "\\\\" if unit == 0x5C else chr(unit) if unit < 0x80 else f"\\u{unit:04X}"
    return text


REWRITES = [
    Rewrite("jdk", r"jre\lib\logging.properties", r"jre\lib\logging.org",
            "java.util.logging.FileHandler.pattern = C:/TOMCAT/webapps/tessal/logs/system.log",
            "java.util.logging.FileHandler.pattern = {slash}/webapps/tessal/logs/system.log",
            "ISO-8859-1"),
    Rewrite("tomcat", r"webapps\tessal\WEB-INF\web.xml", r"webapps\tessal\WEB-INF\web.org",
            r"    <param-value>C:\TOMCAT\webapps\tessal\</param-value>",
            r"    <param-value>{home}\webapps\tessal\</param-value>", "Shift_JIS"),
    Rewrite("tomcat", r"webapps\tessal\WEB-INF\classes\poolman.xml",
            r"webapps\tessal\WEB-INF\classes\poolman.org",
            "    <logFile>C:/TOMCAT/webapps/tessal/logs/poolman.log</logFile>",
            "    <logFile>{slash}/webapps/tessal/logs/poolman.log</logFile>", "UTF-8"),
]

# Written by Wine itself whenever the machine starts (the display driver's date).
VOLATILE_KEYS = (m.HKLM + r"\System\CurrentControlSet\Control\Class"
                 r"\{4d36e968-e325-11ce-bfc1-08002be10318}",)


def class_path(tomcat: str) -> str:
    return ";".join(tomcat + suffix for suffix in (
        r"\common\lib\servlet.jar",
        r"\webapps\tessal\WEB-INF\lib\jcom.jar",
        r"\webapps\tessal\WEB-INF\lib\poolman.jar",
        r"\webapps\tessal\WEB-INF\lib\xercesImpl.jar",
        r"\webapps\tessal\WEB-INF\lib\xmlParserAPIs.jar",
        r"\webapps\tessal\WEB-INF\classes",
    ))


# --- What a run should leave -------------------------------------------------------------------

def packaged_files(folder: str, dist: dict[str, bytes] | None = None) -> dict[str, bytes]:
    """The files of a packaged folder that the setup deploys: its plain files, not those that the
    distribution marks hidden or system, not its sub-folders. From the sample, or from the files
    of a distribution (by their paths below it) that a scenario changed."""
    marked = {name.lower() for _, name in m.read_attributes()}
    if dist is None:
        source = m.SAMPLE / pathlib.PureWindowsPath(folder).as_posix()
        dist = {f"{folder}\\{p.name}": p.read_bytes() for p in source.iterdir() if p.is_file()}
    files = {}
    for path, data in sorted(dist.items()):
        parent, _, name = path.rpartition("\\")
        if parent.lower() == folder.lower() and path.lower() not in marked:
            files[name] = data
    return files


def search_text(old_line: str) -> str:
    """The old Tomcat folder as a configuration line of REWRITES names it."""
    return "C:\\TOMCAT" if "C:\\TOMCAT" in old_line else "C:/TOMCAT"


def rewritten(data: bytes, rewrite: Rewrite, homes: Homes) -> bytes:
    """What a rewrite makes of a file: each line that names the old folder becomes the line that
    names the Tomcat folder of homes; every line ends with CR LF."""
    lines = data.split(b"\r\n")
    if lines[-1] == b"":
        lines.pop()
    new = rewrite.replacement(homes)
    return b"".join((new if rewrite.holds_search(line) else line) + b"\r\n" for line in lines)


def enlarged(sample: bytes, size: int, comment: Callable[[str], str], search: str,
             matching: str, closing: bytes | None) -> bytes:
    """The sample grown to about size bytes with blocks of comments placed before its closing
    line. Each block holds lines that name the old folder, Japanese text (trail bytes of 0x5C
    included) and a line whose bytes, but not characters, hold the search text."""
    separator = "/" if "/" in search else "\\"
    blocks = []
    length = len(sample)
    while length < size:
        k = len(blocks)
        lines = [
            comment(f"section {k:06d}: settings kept for older installations of tessal"),
            comment(f"設定の表示とログの保存先 第{k}節"),
            comment(f"イ{search[1:]} は旧フォルダではありません"),
            matching,
            comment(separator.join([f"previously {search}", "webapps", "tessal", f"xls {k}"])),
            comment("x" * 72),
        ]
        blocks.append("".join(line + "\r\n" for line in lines).encode("cp932"))
        length += len(blocks[-1])
    filler = b"".join(blocks)
    if closing is None:
        return sample + filler
    head, tail = sample.rsplit(closing, 1)
    return head + filler + closing + tail


class Homes:
    def __init__(self, tomcat: str, jdk: str = m.JAVA_HOME):
        self.jdk = jdk
        self.tomcat = tomcat

    @property
    def slash(self) -> str:
        return self.tomcat.replace("\\", "/")

    def folder(self, base: str) -> str:
        return self.jdk if base == "jdk" else self.tomcat


def deployed(before: dict[str, dict[str, bytes]], homes: Homes, rows: int = len(DEPLOYMENTS),
             rewrite: bool = True,
             dist: dict[str, bytes] | None = None) -> dict[str, dict[str, bytes]]:
    """The product folders ("jdk", "tomcat") after the first rows of the deployment, and the
    rewrite if it came; from the sample, or from a distribution's files that a scenario changed."""
    after = {base: dict(files) for base, files in before.items()}
    for source, base, destination in DEPLOYMENTS[:rows]:
        for name, data in packaged_files(source, dist).items():
            after[base][f"{destination}\\{name}"] = data
    if rewrite:
        for r in REWRITES:
            original = after[r.base][r.file]
            if r.old.encode("ascii") not in original.split(b"\r\n"):
                raise AssertionError(f"{r.file} lacks the line {r.old!r}")
            after[r.base][r.backup] = original
            after[r.base][r.file] = rewritten(original, r, homes)
    return after


# --- Checking ------------------------------------------------------------------------------------

class Checks:
    def __init__(self, scenario: str):
        self.scenario = scenario
        self.failures = 0

    def fail(self, message: str) -> None:
        print(f"FAIL [{self.scenario}]: {message}", flush=True)
        self.failures += 1

    def equal(self, what: str, expected, actual) -> None:
        if expected != actual:
            self.fail(f"{what}: expected {expected!s}, got {actual!s}")

    def true(self, what: str, condition: bool) -> None:
        if not condition:
            self.fail(what)

    def run(self, what: str, run: m.Run, exit_code: int, boxes: list) -> None:
        """The boxes in order (a pattern stands for a failure report with such a text) and the
        exit code."""
        for error in run.errors:
            self.fail(f"{what}: mbdriver: {error}")
        self.equal(f"{what}: exit code", exit_code, run.exit_code)
        shown = "\n    ".join(map(str, run.boxes))
        if len(boxes) != len(run.boxes):
            self.fail(f"{what}: {len(boxes)} boxes expected, {len(run.boxes)} shown:\n    {shown}")
            return
        for i, (want, got) in enumerate(zip(boxes, run.boxes), 1):
            if isinstance(want, FailureReport):
                ok = got.caption == "setup" and got.code == 16 and want.fullmatch(got.text)
                self.true(f"{what}: box {i} is no failure report: {got}", bool(ok))
            else:
                self.equal(f"{what}: box {i}", want, got)

    def lines(self, what: str, expected: list, actual: list[str]) -> None:
        """Log lines, line by line; a pattern stands for any line that it matches."""
        if len(expected) != len(actual):
            self.fail(f"{what}: {len(expected)} lines expected, {len(actual)} logged:\n    "
                      + "\n    ".join(actual))
            return
        for i, (want, got) in enumerate(zip(expected, actual), 1):
            ok = want.fullmatch(got) if isinstance(want, re.Pattern) else want == got
            self.true(f"{what}: line {i}: expected {want}, got {got}", bool(ok))

    def trees(self, what: str, expected: dict[str, bytes], actual: dict[str, bytes]) -> None:
        for name in sorted(set(expected) | set(actual)):
            if name not in actual:
                self.fail(f"{what}: {name} missing")
            elif name not in expected:
                self.fail(f"{what}: {name} should not be there")
            elif expected[name] != actual[name]:
                self.fail(f"{what}: {name} differs:\n  expected {expected[name][:400]!r}\n"
                          f"  got      {actual[name][:400]!r}")

    def registry_unchanged(self, what: str, before: m.Registry, after: m.Registry,
                           except_keys: tuple[str, ...] = ()) -> None:
        for difference in before.differences(after, VOLATILE_KEYS + except_keys):
            self.fail(f"{what}: registry changed: {difference}")


# --- The scenarios ------------------------------------------------------------------------------

class Scenario:
    """One scenario's machine, copied from the template, and the checks on it."""

    def __init__(self, name: str, work: pathlib.Path, setup_exe: pathlib.Path,
                 mbdriver: pathlib.Path, windows: m.Windows = m.X64,
                 x64_setup: pathlib.Path | None = None,
                 planted_dll: pathlib.Path | None = None, holder: pathlib.Path | None = None,
                 quiet: bool = False):
        self.name = name
        self.quiet = quiet
        self.planted_dll = planted_dll
        self.holder = holder
        self.dist = m.DIST  # the folder the program is started from
        self.folder = work / name
        if not (work / "template.display").exists():
            raise SystemExit(f"no template machine in {work}: make it with the template action")
        template = Machine.existing(work / "template", mbdriver, windows)
        self.machine = template.copy(self.folder / "prefix")
        self.setup_exe = setup_exe
        self.x64_setup = x64_setup
        self.setup = self.machine.put_setup(setup_exe)
        self.check = Checks(name)
        self.homes = Homes(windows.tomcat_home)
        self.runs = 0
        self.output = self.folder / "run0.out"  # what the last run printed
        self.twins: list[Machine] = []
        if quiet:
            self.machine.watch_message_boxes()
        # Whether the machine has an Access driver to register the data source with.
        self.odbc = self.machine.registry().has_key(f"{m.ODBCINST_KEY}\\{m.ACCESS_DRIVER}")

    def trees(self) -> dict[str, dict[str, bytes]]:
        return {"jdk": self.machine.tree(self.homes.jdk),
                "tomcat": self.machine.tree(self.homes.tomcat)}

    def run(self, *answers: str, arguments: tuple[str, ...] = (), **options) -> m.Run:
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

    def expect(self, what: str, run: m.Run, exit_code: int, boxes: list) -> None:
        """The boxes a run showed and its exit code. A quiet run shows none and makes no call
        that would show one: its log holds them instead, then the exit code."""
        if not self.quiet:
            self.check.run(what, run, exit_code, boxes)
            return
        self.check.run(what, run, exit_code, [])
        self.check.equal(f"{what}: calls that show a box", [], m.message_box_calls(self.output))
        events = last_run(read_log(self.machine.host_path(LOG)))
        self.check.lines(f"{what}: the log's messages", [message_line(b) for b in boxes],
                         [event for event in events if event.startswith("message ")])
        self.check.equal(f"{what}: the log's last line", exit_line(exit_code),
                         events[-1] if events else None)

    def complete_log(self, odbc: bool, trees_before: dict[str, dict[str, bytes]],
                     path_type: int = m.REG_EXPAND_SZ) -> list:
        """The log of a run that goes to its end on this machine, its first, on a Path of that
        type."""
        view = f"{self.machine.windows.view}-bit registry view"
        lines = ["start setup.exe 1.01", message_line(QUESTION),
                 f"product JDK 1.4: {self.homes.jdk} ({m.JDK_KEY}, {view})",
                 f"product Tomcat 4.1: {self.homes.tomcat} ({m.TOMCAT_KEY}, {view})"]
        lines += [f"environment {name}: written as REG_SZ"
                  for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME")]
        lines.append(f"environment Path: written as {m.TYPE_NAMES[path_type]}")
        for source, base, destination in DEPLOYMENTS:
            files = counted(len(packaged_files(source)), "file")
            lines.append(f"deploy {m.DIST}\\{source} -> {self.homes.folder(base)}\\{destination}: "
                         f"{files} copied")
        after = deployed(trees_before, self.homes)
        for r in REWRITES:
            home = self.homes.folder(r.base)
            read = counted(len(after[r.base][r.backup].splitlines()), "line")
            lines.append(f"rewrite {home}\\{r.file}: {read} read as {r.encoding}, 1 replaced, "
                         f"backup {home}\\{r.backup}")
        database = self.homes.tomcat + r"\webapps\tessal\TESSAL.mdb"
        if odbc:
            lines += ["datasource TESSAL: removed, if there was one",
                      f"datasource TESSAL: added for {database}"]
        else:
            lines += data_source_refused(NO_DRIVER)
        return lines + [message_line(COMPLETED), exit_line(self.completion_code(odbc))]

    def completion_boxes(self, odbc: bool) -> list:
        return [QUESTION] + ([] if odbc else [NO_DATA_SOURCE]) + [COMPLETED]

    @staticmethod
    def completion_code(odbc: bool) -> int:
        """A run that completes ends with 0, or with 5 when a message reported a problem."""
        return COMPLETED_CODE if odbc else COMPLETED_WITH_PROBLEMS

    def check_environment(self, registry: m.Registry, path: Value | None) -> None:
        env = registry.values(m.ENVIRONMENT_KEY) or {}
        self.check.equal("CATALINA_HOME", Value(m.REG_SZ, self.homes.tomcat),
                         env.get("catalina_home"))
        self.check.equal("CLASSPATH", Value(m.REG_SZ, class_path(self.homes.tomcat)),
                         env.get("classpath"))
        self.check.equal("JAVA_HOME", Value(m.REG_SZ, self.homes.jdk), env.get("java_home"))
        self.check.equal("Path", path, env.get("path"))

    def check_data_source(self, registry: m.Registry, odbc: bool) -> None:
        """The system data source TESSAL with exactly the attributes of the run, or none at all
        without a driver."""
        values = registry.values(m.DATA_SOURCE_KEY)
        listed = registry.value(m.DATA_SOURCES_KEY, "TESSAL")
        if not odbc:
            self.check.true(f"a data source without a driver: {values}, {listed}",
                            values is None and listed is None)
            return
        database = self.homes.tomcat + r"\webapps\tessal\TESSAL.mdb"
        self.check.equal("data source TESSAL", {
            "driver": registry.value(f"{m.ODBCINST_KEY}\\{m.ACCESS_DRIVER}", "Driver"),
            "dbq": Value(m.REG_SZ, database),
            "maxbuffersize": Value(m.REG_SZ, "2048"),
            "pagetimeout": Value(m.REG_SZ, "5"),
            "fil": Value(m.REG_SZ, "MS Access"),
        }, values)
        self.check.equal("TESSAL among the data sources", Value(m.REG_SZ, m.ACCESS_DRIVER), listed)

    def check_completed(self, before: m.Registry, after: m.Registry, trees_before,
                        path: Value | None, odbc: bool) -> None:
        """Everything a completed run leaves, and nothing else in the registry."""
        self.check_environment(after, path)
        self.check_data_source(after, odbc)
        self.check.registry_unchanged("outside the environment and the data source", before,
                                      after, (m.ENVIRONMENT_KEY, m.DATA_SOURCE_KEY,
                                              m.DATA_SOURCES_KEY))
        expected = deployed(trees_before, self.homes)
        actual = self.trees()
        for base in ("jdk", "tomcat"):
            self.check.trees(self.homes.folder(base), expected[base], actual[base])

    def finish(self) -> int:
        if self.check.failures:
            print(f"FAILED [{self.name}]: {self.check.failures} checks; the machine is kept in "
                  f"{self.machine.prefix}, the logs in {self.folder}")
            for machine in [self.machine, *self.twins]:
                machine.stop()
            return 1
        for machine in [self.machine, *self.twins]:
            machine.discard()
        print(f"PASS [{self.name}]")
        return 0


def data_source_refused(reason: str) -> list[str]:
    """The log's lines of a data source that the ODBC installer refused for the reason."""
    return [f"datasource TESSAL: not removed: {reason}", message_line(NO_DATA_SOURCE),
            f"datasource TESSAL: not added: {reason}"]


def appended(path: Value, homes: Homes) -> Value:
    """Path with the JDK added, of the type it had."""
    return Value(path.type, f"{path.data};{homes.jdk}\\bin")


def full_run(s: Scenario) -> None:
    """Yes on a machine as installed: environment, files, configuration and data source."""
    odbc = s.odbc
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(s.dist)
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    run = s.run("yes")
    s.check.run("run", run, s.completion_code(odbc), s.completion_boxes(odbc))
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), odbc)
    s.check.trees("the distribution", dist, s.machine.tree(s.dist))


def second_run(s: Scenario) -> None:
    """A second run leaves what the first left: Path once, the same files and backups, and a
    data source made anew."""
    odbc = s.odbc
    before, trees = s.machine.registry(), s.trees()
    s.check.run("first run", s.run("yes"), s.completion_code(odbc), s.completion_boxes(odbc))
    first, first_trees = s.machine.registry(), s.trees()
    if odbc:
        # Set by hand between the runs: the run removes the data source before it adds it.
        s.machine.set_value(m.DATA_SOURCE_KEY, "Description", Value(m.REG_SZ, "by hand"))
    s.check.run("second run", s.run("yes"), s.completion_code(odbc), s.completion_boxes(odbc))
    second = s.machine.registry()
    s.check.registry_unchanged("by the second run", first, second)
    for base in ("jdk", "tomcat"):
        s.check.trees(f"{s.homes.folder(base)} after the second run", first_trees[base],
                      s.trees()[base])
    s.check_completed(before, second, trees,
                      appended(before.value(m.ENVIRONMENT_KEY, "Path"), s.homes), odbc)


def answer_no(s: Scenario) -> None:
    before, trees = s.machine.registry(), s.trees()
    s.check.run("run", s.run("no"), 4, [QUESTION])
    s.check.registry_unchanged("after No", before, s.machine.registry())
    s.check.equal("product folders after No", trees, s.trees())


def second_instance(s: Scenario) -> None:
    """A second copy started while the first waits at its question says so and ends; the first
    goes on undisturbed."""
    odbc = s.odbc
    release = s.folder / "release"
    release.unlink(missing_ok=True)
    first_log = s.folder / "first.log"
    first = s.machine.start(s.setup, first_log, answers=("yes",), hold=release)
    try:
        s.check.true("the first copy shows no box", m.wait_for_box(first_log))
        second = s.machine.run(s.setup, s.folder / "second.log")
        s.check.run("second copy", second, 3, [ALREADY_RUNNING])
    finally:
        release.touch()
        exit_code = first.wait(timeout=120)
    s.check.run("first copy", m.Run.from_log(exit_code, first_log), s.completion_code(odbc),
                s.completion_boxes(odbc))


def ends_without_product(s: Scenario, what: str, box: Box | FailureReport,
                         exit_code: int = 2) -> None:
    """Yes, then the product's message (or the report of what else is missing): the exit code
    and nothing changed."""
    before, trees = s.machine.registry(), s.trees()
    s.expect(what, s.run("yes"), exit_code, [QUESTION, box])
    s.check.registry_unchanged(f"{what}: after the message", before, s.machine.registry())
    s.check.equal(f"{what}: product folders after the message", trees, s.trees())


def product_missing(s: Scenario, key: str, box: Box) -> None:
    s.machine.delete_key(key)
    ends_without_product(s, "run", box)


def no_jdk(s: Scenario) -> None:
    product_missing(s, m.JDK_KEY, NO_JDK)


def no_tomcat(s: Scenario) -> None:
    product_missing(s, m.TOMCAT_KEY, NO_TOMCAT)


def key_names(key: str, name: str, folder: str, box: Box) -> Callable[[Scenario], tuple]:
    """A product's key left naming a folder that is no installed product."""
    def spoil(s: Scenario) -> tuple[Box, int]:
        s.machine.set_value(key, name, Value(m.REG_SZ, folder))
        return box, 2
    return spoil


def packaged_folder_missing(s: Scenario) -> tuple[FailureReport, int]:
    """A distribution copied half way: a packaged folder is not there."""
    folder = m.DIST + r"\TOMCAT\webapps\tessal\WEB-INF\lib"
    shutil.rmtree(s.machine.host_path(folder))
    return FailureReport(3, folder), 1


# What a run must not take for something to set up: a key that an uninstaller left behind, or a
# distribution that is not whole.
NOT_THERE = {
    "jdk_empty": key_names(m.JDK_KEY, "JavaHome", "", NO_JDK),
    "tomcat_not_full_path": key_names(m.TOMCAT_KEY, "", r"Apache Group\Tomcat 4.1", NO_TOMCAT),
    "jdk_gone": key_names(m.JDK_KEY, "JavaHome", r"C:\j2sdk1.4.2_08", NO_JDK),
    "packaged_folder": packaged_folder_missing,
}


def not_there(s: Scenario, spoil: Callable[[Scenario], tuple]) -> None:
    """The product's message, or the report of the missing folder, and nothing changed."""
    box, exit_code = spoil(s)
    ends_without_product(s, "run", box, exit_code)


def no_odbc_driver(s: Scenario) -> None:
    """Without an Access driver that takes the data source, the data source is reported missing,
    the log says why in the ODBC installer's words, and the run completes with the code that says
    a problem was reported: first with a driver that refuses every request, then with none."""
    driver = f"{m.ODBCINST_KEY}\\{m.ACCESS_DRIVER}"
    path = appended(s.machine.registry().value(m.ENVIRONMENT_KEY, "Path"), s.homes)
    if s.odbc:
        s.machine.set_value(driver, "Refuse", Value(m.REG_DWORD, CREATE_DSN_FAILED))
        data_source_refused_run(s, "a driver that refuses", DRIVER_REFUSED, path)
    s.machine.delete_key(driver)
    s.machine.delete_value(f"{m.ODBCINST_KEY}\\ODBC Drivers", m.ACCESS_DRIVER)
    data_source_refused_run(s, "no driver", NO_DRIVER, path)


def data_source_refused_run(s: Scenario, what: str, reason: str, path: Value) -> None:
    """A run whose data source the ODBC installer refuses for the reason, logged."""
    before, trees = s.machine.registry(), s.trees()
    run = s.run("yes", arguments=() if s.quiet else ("/log", LOG))
    s.expect(what, run, COMPLETED_WITH_PROBLEMS, s.completion_boxes(odbc=False))
    s.check_completed(before, s.machine.registry(), trees, path, odbc=False)
    events = last_run(read_log(s.machine.host_path(LOG)))
    s.check.equal(f"{what}: the log's data source", data_source_refused(reason),
                  [e for e in events
                   if e.startswith("datasource ") or e == message_line(NO_DATA_SOURCE)])


def blocked_copy(s: Scenario, block: Callable[[pathlib.Path], None], number: int | None,
                 still_blocked: Callable[[pathlib.Path], bool]) -> None:
    """A conf\\server.xml that the copy cannot write: the failure is reported with its number and
    the file, and the run ends there; what came before it stays done, nothing after it is done."""
    target = s.homes.tomcat + r"\conf\server.xml"
    server_xml = s.machine.host_path(target)
    block(server_xml)
    before, trees = s.machine.registry(), s.trees()
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    s.expect("run", s.run("yes"), 1, [QUESTION, FailureReport(number, target)])
    after = s.machine.registry()
    s.check_environment(after, appended(path, s.homes))
    s.check.true("a data source after the failure", not after.has_key(m.DATA_SOURCE_KEY))
    jdk = deployed(trees, s.homes, rows=2, rewrite=False)["jdk"]
    s.check.trees(s.homes.jdk, jdk, s.machine.tree(s.homes.jdk))
    tomcat = s.machine.tree(s.homes.tomcat)
    conf = packaged_files(r"TOMCAT\conf")
    for name, data in tomcat.items():
        if trees["tomcat"].get(name) != data:
            # Files of conf listed before server.xml may have been copied.
            folder, _, file = name.rpartition("\\")
            s.check.true(f"{name} written after the failure", folder == "conf" and
                         file != "server.xml" and conf.get(file) == data)
    s.check.true("server.xml no longer as it was", still_blocked(server_xml))


def unwritable_file(s: Scenario) -> None:
    """A folder where conf\\server.xml goes."""
    def block(server_xml: pathlib.Path) -> None:
        server_xml.unlink()
        server_xml.mkdir()

    blocked_copy(s, block, None, pathlib.Path.is_dir)


def read_only_destination(s: Scenario) -> None:
    """A conf\\server.xml that was read-only before the run stays a file that cannot be written:
    Windows refuses the copy (5, access denied)."""
    installed = m.INSTALLED_TOMCAT_FILES[r"conf\server.xml"]

    def block(server_xml: pathlib.Path) -> None:
        s.machine.attrib("+r", s.homes.tomcat + r"\conf\server.xml")

    def still_blocked(server_xml: pathlib.Path) -> bool:
        return server_xml.read_bytes() == installed and not os.access(server_xml, os.W_OK)

    blocked_copy(s, block, 5, still_blocked)


def file_held_open(s: Scenario) -> None:
    """A deployed jar held open without sharing by another process, as a running Tomcat holds its
    jars: the copy onto it fails with a sharing violation (32), reported with the file. Once the
    holder has let go, a rerun leaves what a clean run leaves."""
    if s.holder is None:
        raise SystemExit("file_held_open needs --holder")
    odbc = s.odbc
    before, trees = s.machine.registry(), s.trees()
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    s.check.run("first run", s.run("yes"), 0, s.completion_boxes(odbc))
    jar = s.homes.tomcat + r"\webapps\tessal\WEB-INF\lib\jcom.jar"
    held, release = s.folder / "held", s.folder / "release"
    for signal in (held, release):  # left by an earlier run of the scenario
        signal.unlink(missing_ok=True)
    holder = s.machine.start_wine(str(s.holder), jar, m.windows_path(held),
                                  m.windows_path(release))
    try:
        deadline = time.monotonic() + 60
        while not held.exists() and holder.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        s.check.true(f"the jar is not held (holder ended with {holder.poll()})", held.exists())
        s.check.run("run while the jar is held", s.run("yes"), 1,
                    [QUESTION, FailureReport(32, jar)])
    finally:
        release.touch()
        holder.wait(timeout=60)
    s.check.run("run after the holder let go", s.run("yes"), 0, s.completion_boxes(odbc))
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), odbc)


def read_only_distribution(s: Scenario) -> None:
    """Every packaged file read-only, as on a CD or a copy of one: the copies that the run makes
    are writable, so a first and a second run complete; the distribution stays as it was."""
    odbc = s.odbc
    s.machine.attrib("+r", s.dist + r"\*", recursive=True)
    dist_files = [s.machine.host_path(s.dist) / pathlib.PureWindowsPath(name).as_posix()
                  for name in s.machine.tree(s.dist)]
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(s.dist)
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    for run in ("first run", "second run"):
        s.check.run(run, s.run("yes"), 0, s.completion_boxes(odbc))
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), odbc)
    s.check.trees("the distribution", dist, s.machine.tree(s.dist))
    s.check.equal("writable files of the distribution", [],
                  [str(f) for f in dist_files if os.access(f, os.W_OK)])
    written = [s.machine.host_path(f"{s.homes.folder(base)}\\{name}")
               for base, files in s.trees().items() for name in files
               if trees[base].get(name) != files[name] or name.endswith(".org")]
    s.check.equal("read-only files that the run wrote", [],
                  [str(f) for f in written if not os.access(f, os.W_OK)])


def hidden_destination(s: Scenario) -> None:
    """A destination folder that exists and is hidden (conf): the run uses it as it is, with no
    message, and copies its files."""
    s.machine.attrib("+h", s.homes.tomcat + r"\conf")
    full_run(s)


def drive_root(s: Scenario) -> None:
    """Started from the root of a drive, as from a CD: D:\\setup.exe with J2SE and TOMCAT beside
    it. Its folder is the drive itself, and the run completes as from any other folder."""
    cd = s.folder / "cd"
    shutil.rmtree(cd, ignore_errors=True)  # left by an earlier run of the scenario
    cd.mkdir()
    s.machine.map_drive("d", cd, "cdrom")
    s.dist = "D:"
    s.machine.lay_distribution(s.dist)
    s.setup = s.machine.put_setup(s.setup_exe, s.dist)
    full_run(s)


# A drive small enough to fill: a tmpfs that root mounts for the scenario (tmpfs counts 4 KiB
# pages).
SMALL_DRIVE = 8 << 20
PAGE = 4096


@contextlib.contextmanager
def small_drive(folder: pathlib.Path) -> Iterator[None]:
    """Run as root: a tmpfs of SMALL_DRIVE bytes at folder/drive, which the Wine user owns."""
    if os.geteuid() != 0:
        raise SystemExit("full_disk mounts a small drive: run it as root")
    user = pwd.getpwnam(m.WINE_USER)
    mount_point = folder / "drive"
    subprocess.run(["umount", str(mount_point)], stderr=subprocess.DEVNULL, check=False)
    shutil.rmtree(folder, ignore_errors=True)
    mount_point.mkdir(parents=True)
    m.give_to_wine_user(folder)
    subprocess.run(["mount", "-t", "tmpfs", "-o",
                    f"size={SMALL_DRIVE},uid={user.pw_uid},gid={user.pw_gid},mode=0755",
                    "tessal-small-drive", str(mount_point)], check=True)
    try:
        yield
    finally:
        subprocess.run(["umount", str(mount_point)], check=True)


def pages(size: int) -> int:
    return -(-size // PAGE)


def full_disk(s: Scenario) -> None:
    """Tomcat on a small drive that runs out of space while web.xml is rewritten: the report with
    112 (the disk is full) and the file, and web.org a complete copy. With space freed, a rerun
    leaves what a clean run leaves."""
    odbc = s.odbc
    drive = s.folder / "drive"
    s.machine.map_drive("d", drive)
    s.homes = Homes(r"D:\Apache Group\Tomcat 4.1")
    s.machine.install_tomcat(s.homes.tomcat)
    # A web.xml whose rewrite grows it by many pages: every line that names the old folder
    # becomes the longer line of the real one.
    web = REWRITES[1]
    file = web.file
    packaged = s.machine.host_path(s.dist + r"\TOMCAT" + "\\" + file)
    grown = enlarged(packaged.read_bytes(), 256 << 10, lambda text: f"  <!-- {text} -->",
                     search_text(web.old), web.old, b"</web-app>")
    packaged.write_bytes(grown)
    dist = s.machine.tree(s.dist)
    before, trees = s.machine.registry(), s.trees()
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    expected = deployed(trees, s.homes, dist=dist)
    web_xml = s.homes.tomcat + "\\" + file

    # The drive keeps room for the deployment and the backup, and for half the growth of web.xml.
    deployment = sum(pages(len(data)) - pages(len(trees["tomcat"].get(name, b"")))
                     for name, data in deployed(trees, s.homes, rewrite=False, dist=dist)[
                         "tomcat"].items())
    growth = pages(len(expected["tomcat"][file])) - pages(len(grown))
    room = deployment + pages(len(grown)) + growth // 2
    stat = os.statvfs(drive)
    filler = drive / "filler"
    filler.write_bytes(bytes((stat.f_bavail * stat.f_frsize) - room * PAGE))

    s.check.run("run on a full drive", s.run("yes"), 1, [QUESTION, FailureReport(112, web_xml)])
    tomcat = s.machine.tree(s.homes.tomcat)
    s.check.equal(f"{web.backup} complete", grown, tomcat.get(web.backup))
    s.check.true("poolman.xml rewritten after the failure", REWRITES[2].backup not in tomcat)
    filler.unlink()
    s.check.run("run with space freed", s.run("yes"), 0, s.completion_boxes(odbc))
    s.check_environment(s.machine.registry(), appended(path, s.homes))
    for base in ("jdk", "tomcat"):
        s.check.trees(s.homes.folder(base), expected[base], s.trees()[base])


def expandable_path(s: Scenario) -> None:
    """Path keeps its type: its %SystemRoot% references stay references."""
    path = Value(m.REG_EXPAND_SZ, r"%SystemRoot%\system32;%SystemRoot%")
    s.machine.set_value(m.ENVIRONMENT_KEY, "Path", path)
    s.check.run("run", s.run("yes"), s.completion_code(s.odbc), s.completion_boxes(s.odbc))
    s.check_environment(s.machine.registry(), Value(
        m.REG_EXPAND_SZ, r"%SystemRoot%\system32;%SystemRoot%;C:\j2sdk1.4.2_19\bin"))


def long_path(s: Scenario) -> None:
    """A Path of today, longer than any buffer of fixed size, with a character that code page 932
    has not got, and of type REG_SZ: it comes back whole and of its type, with the JDK added
    once."""
    odbc = s.odbc
    tools = ";".join(rf"C:\Program Files\Tool {i:03d}\bin" for i in range(80))
    path = Value(m.REG_SZ, rf"C:\Windows\system32;C:\Tools\Zürich\bin;{tools}")
    s.machine.set_value(m.ENVIRONMENT_KEY, "Path", path)
    before, trees = s.machine.registry(), s.trees()
    for run in ("first run", "second run"):
        s.check.run(run, s.run("yes"), s.completion_code(odbc), s.completion_boxes(odbc))
        s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), odbc)


def japanese_tomcat(s: Scenario) -> None:
    """A Tomcat folder with Japanese characters: deployed into, and written into each
    configuration file as its reader reads it. The distribution is started from a Japanese folder
    too, as a Japanese administrator would copy it."""
    odbc = s.odbc
    s.homes = Homes(r"C:\アプリ\Tomcat 4.1")
    s.machine.install_tomcat(s.homes.tomcat)
    dist = r"C:\配布\tessal セットアップ"
    s.machine.host_path(dist).parent.mkdir()
    s.machine.host_path(m.DIST).rename(s.machine.host_path(dist))
    s.setup = dist + r"\setup.exe"
    before, trees = s.machine.registry(), s.trees()
    old_tomcat = s.machine.tree(s.machine.windows.tomcat_home)
    run = s.run("yes")
    s.check.run("run", run, s.completion_code(odbc), s.completion_boxes(odbc))
    s.check_completed(before, s.machine.registry(), trees,
                      appended(before.value(m.ENVIRONMENT_KEY, "Path"), s.homes), odbc)
    s.check.equal("the other Tomcat folder", old_tomcat,
                  s.machine.tree(s.machine.windows.tomcat_home))


# Tomcat folders that each configuration file must name so that tessal's Java reads them back:
# characters of code page 932 whose second byte is 0x5C ("\\"), characters that only Windows' form
# of Shift_JIS has, XML's "&", a "%" before a letter that a FileHandler pattern takes for its own.
TOMCAT_FOLDERS = {
    "shift_jis_5c": r"C:\ソフト\表計算 能力\Tomcat 4.1",
    "windows_31j": r"C:\髙橋①～\Tomcat 4.1",
    "ampersand": r"C:\R&D\Tomcat 4.1",
    "percent": r"C:\100%tools\Tomcat 4.1",
    "ascii": m.WOW64.tomcat_home,
}
CONFIGURATION_READER = pathlib.Path(__file__).parent / "java" / "ReadConfiguration.java"


def java_reads(s: Scenario, tomcat: str) -> None:
    """A run for a Tomcat folder, then the configuration files read back by the JDK's own readers
    as tessal reads them: each gives back the folder exactly."""
    if tomcat != s.homes.tomcat:
        s.homes = Homes(tomcat)
        s.machine.install_tomcat(tomcat)
    full_run(s)
    slash = s.homes.slash
    logs = f"{slash}/webapps/tessal/logs"
    # The handler's pattern names "C:/...": a folder "C:" below the one the reader starts in.
    scratch = s.folder / "java"
    shutil.rmtree(scratch, ignore_errors=True)
    (scratch / logs).mkdir(parents=True)
    files = [s.machine.host_path(f"{s.homes.folder(r.base)}\\{r.file}") for r in REWRITES]
    read = subprocess.run(["java", str(CONFIGURATION_READER), *map(str, files), str(scratch)],
                          cwd=scratch, env={**os.environ, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"},
                          capture_output=True, encoding="utf-8", check=False)
    if read.returncode != 0:
        s.check.fail(f"the Java reader failed: {read.stderr}")
        return
    values: dict[str, list[str]] = {}
    for line in read.stdout.splitlines():
        key, _, value = line.partition("=")
        values.setdefault(key, []).append(value)
    s.check.equal(f"the FileHandler's log file (pattern {values.get('pattern')})",
                  [f"{logs}/system.log.0"], values.get("logfile"))
    s.check.equal("web.xml's tessal.home", [tomcat + "\\webapps\\tessal\\"],
                  values.get("param-value"))
    s.check.equal("poolman.xml's logFile", [f"{logs}/poolman.log"], values.get("logFile"))


def x64_build(s: Scenario) -> None:
    """Why the program ships as 32-bit: on a machine whose products are 32-bit, the x86_64 build
    reads the 64-bit view, finds no JDK and changes nothing; the i686 build then finds both."""
    if s.x64_setup is None:
        raise SystemExit("x64_build needs --x64-setup: the x86_64 build of setup.exe")
    s.machine.put_setup(s.x64_setup)
    ends_without_product(s, "the x86_64 build", NO_JDK)
    s.machine.put_setup(s.setup_exe)
    full_run(s)


def planted_dll(s: Scenario) -> None:
    """An ODBCCP32.dll laid beside setup.exe, and Wine told to take a DLL that it finds before its
    own, as Windows searches: the run is a full run all the same, the data source registered by
    the system's installer, and the planted DLL never runs."""
    # Without a driver the system's installer refuses as the planted one does: nothing to tell.
    s.check.true("no Access driver to tell the installers apart", s.odbc)
    if s.planted_dll is None:
        raise SystemExit("planted_dll needs --planted-dll")
    shutil.copyfile(s.planted_dll, s.machine.host_path(m.DIST + r"\ODBCCP32.dll"))
    s.machine.prefer_native("odbccp32")
    full_run(s)
    marker = s.machine.host_path(m.DIST + r"\planted-dll-ran.txt")
    if marker.exists():
        s.check.fail(f"the planted DLL ran with the program's rights: {marker.read_bytes()!r}")


def quiet_run(s: Scenario) -> None:
    """/quiet on a machine as installed shows no box and makes no call that would show one, and
    leaves exactly what a run at the screen answered Yes leaves on a copy of the machine; with /log
    both runs log the same lines. That the probe sees the calls of the run at the screen shows
    that it would see a quiet run's."""
    odbc = s.odbc
    twin = s.twin()
    for machine in (s.machine, twin):
        machine.watch_message_boxes()
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(m.DIST)
    path = before.value(m.ENVIRONMENT_KEY, "Path")
    quiet = s.run(arguments=("/quiet", "/log", LOG))
    s.check.run("quiet", quiet, s.completion_code(odbc), [])
    s.check.equal("quiet: calls that show a box", [], m.message_box_calls(s.output))
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), odbc)
    s.check.trees("the distribution", dist, s.machine.tree(m.DIST))
    quiet_log = read_log(s.machine.host_path(LOG))
    s.check.lines("the quiet run's log", s.complete_log(odbc, trees), quiet_log)

    output = s.folder / "screen.out"
    screen = twin.run(s.setup, s.folder / "screen.log", answers=("yes",),
                      arguments=("/log", LOG), output=output)
    boxes = s.completion_boxes(odbc)
    s.check.run("at the screen", screen, s.completion_code(odbc), boxes)
    s.check.equal("at the screen: calls that show a box", len(boxes),
                  len(m.message_box_calls(output)))
    s.check.registry_unchanged("the quiet run's machine against the other", twin.registry(),
                               s.machine.registry())
    for base, folder in (("jdk", s.homes.jdk), ("tomcat", s.homes.tomcat), ("dist", m.DIST)):
        s.check.trees(f"{folder} after both runs", twin.tree(folder), s.machine.tree(folder))
    s.check.equal("the log at the screen", quiet_log, read_log(twin.host_path(LOG)))


def quiet_second_instance(s: Scenario) -> None:
    """A quiet copy started while one at the screen waits at its question ends with 3 and shows
    nothing. Both log to one file: the quiet copy's lines join the first's, which stay whole."""
    odbc = s.odbc
    s.machine.watch_message_boxes()
    trees = s.trees()
    release = s.folder / "release"
    release.unlink(missing_ok=True)
    first_log = s.folder / "first.log"
    first = s.machine.start(s.setup, first_log, answers=("yes",), hold=release,
                            arguments=("/log", LOG))
    try:
        s.check.true("the first copy shows no box", m.wait_for_box(first_log))
        output = s.folder / "second.out"
        second = s.machine.run(s.setup, s.folder / "second.log", output=output,
                               arguments=("/quiet", "/log", LOG))
        s.check.run("quiet second copy", second, 3, [])
        s.check.equal("quiet second copy: calls that show a box", [],
                      m.message_box_calls(output))
    finally:
        release.touch()
        exit_code = first.wait(timeout=120)
    s.check.run("first copy", m.Run.from_log(exit_code, first_log), s.completion_code(odbc),
                s.completion_boxes(odbc))
    events = read_log(s.machine.host_path(LOG))
    second_lines = ["start setup.exe 1.01", message_line(ALREADY_RUNNING), exit_line(3)]
    # The first copy logs its question before it shows it, and waits there for the second.
    s.check.equal("the second copy's lines, after the first's question", second_lines, events[2:5])
    s.check.lines("the first copy's lines", s.complete_log(odbc, trees), events[:2] + events[5:])


def unknown_switch(s: Scenario) -> None:
    """Arguments that mean nothing: the usage and 87, nothing read or changed. Quiet anywhere on
    the command line, there is no box and no call that would show one, and a log asked for gets
    the usage. So too where a quoted folder that ends in "\\" escapes its closing quote and the
    log's name swallows /quiet."""
    before, trees = s.machine.registry(), s.trees()
    s.check.run("/qiet", s.run(arguments=("/qiet",)), INVALID_ARGUMENTS, [usage("/qiet")])
    s.check.run("-LOG without a file", s.run(arguments=("-LOG",)), INVALID_ARGUMENTS,
                [usage("-LOG")])
    s.machine.watch_message_boxes()
    swallowed = s.run(line=r'/log "C:\logs\" /quiet')
    s.check.run("/quiet swallowed", swallowed, INVALID_ARGUMENTS, [])
    s.check.equal("/quiet swallowed: calls that show a box", [], m.message_box_calls(s.output))
    quiet = s.run(arguments=("/log", LOG, "/x", "/Q"))
    s.check.run("quiet", quiet, INVALID_ARGUMENTS, [])
    s.check.equal("quiet: calls that show a box", [], m.message_box_calls(s.output))
    s.check.equal("quiet: the log", ["start setup.exe 1.01", message_line(usage("/x")),
                                     exit_line(INVALID_ARGUMENTS)],
                  read_log(s.machine.host_path(LOG)))
    s.check.registry_unchanged("after the usage", before, s.machine.registry())
    s.check.equal("product folders after the usage", trees, s.trees())


def log_not_opened(s: Scenario) -> None:
    """A log that cannot be opened ends the run with 1 before anything is read or changed: at the
    screen after the failure report, quiet with no box at all."""
    missing = r"C:\no such folder\setup.log"
    before, trees = s.machine.registry(), s.trees()
    s.check.run("at the screen", s.run(arguments=("/log", missing)), 1,
                [FailureReport(None, missing)])
    s.machine.watch_message_boxes()
    s.check.run("quiet", s.run(arguments=("/q", "/log", missing)), 1, [])
    s.check.equal("quiet: calls that show a box", [], m.message_box_calls(s.output))
    s.check.registry_unchanged("without a log", before, s.machine.registry())
    s.check.equal("product folders without a log", trees, s.trees())


@dataclasses.dataclass(frozen=True)
class Case:
    """A scenario that takes one case of its table."""
    play: Callable
    case: object

    def __call__(self, s: Scenario) -> None:
        self.play(s, self.case)


def played_for(play: Callable, cases: dict) -> dict[str, Case]:
    """A scenario played once for each case of a table, as <scenario>_<case>."""
    return {f"{play.__name__}_{name}": Case(play, case) for name, case in cases.items()}


SCENARIOS = {f.__name__: f for f in (
    full_run, second_run, answer_no, second_instance, no_jdk, no_tomcat, no_odbc_driver,
    unwritable_file, read_only_destination, file_held_open, read_only_distribution,
    hidden_destination, drive_root, full_disk, expandable_path, long_path, japanese_tomcat,
    planted_dll, x64_build, quiet_run, quiet_second_instance, unknown_switch, log_not_opened)}
SCENARIOS |= played_for(not_there, NOT_THERE) | played_for(java_reads, TOMCAT_FOLDERS)
# Scenarios played again with /quiet and /log, as quiet_<name>.
QUIETLY = (no_jdk, no_odbc_driver, unwritable_file)
QUIET_SCENARIOS = {f"quiet_{f.__name__}": f for f in QUIETLY}
# Scenarios that only one kind of machine can play: the JDK's readers check what the program that
# ships writes.
MACHINE_SCENARIOS = {x64_build: m.WOW64, java_reads: m.WOW64}
# What a scenario needs done as root around it (its folder given), before the scenario itself runs
# as the Wine user.
ROOT_STEPS = {full_disk: small_drive}


def scenarios_for(windows: m.Windows) -> list[str]:
    return [name for name, f in {**SCENARIOS, **QUIET_SCENARIOS}.items()
            if MACHINE_SCENARIOS.get(getattr(f, "play", f), windows) == windows]


# --- The template machine ----------------------------------------------------------------------

def make_template(work: pathlib.Path, mbdriver: pathlib.Path, odbc_driver: str,
                  windows: m.Windows) -> int:
    template = work / "template"
    machine = Machine.create(template, mbdriver, windows)
    machine.install_jdk()
    machine.install_tomcat()
    machine.lay_distribution()
    register = m.REPO / "tests" / "odbc_driver" / "register.sh"
    if odbc_driver and register.exists():
        machine.register_odbc_driver(register, pathlib.Path(odbc_driver))
        print(f"the Access driver is {odbc_driver}")
    else:
        print("no Access driver: every run reports the data source as not registered")
    machine.apply_registry_changes()
    machine.stop()
    return 0


def remove_template(work: pathlib.Path) -> int:
    template = work / "template"
    if template.exists() or template.with_suffix(".display").exists():
        Machine(template, "0", pathlib.Path()).destroy()
    return 0


def run_scenario(play: Callable[[Scenario], None], scenario: Scenario) -> int:
    try:
        play(scenario)
    except Exception:
        scenario.check.failures += 1
        raise
    finally:
        status = scenario.finish()
    return status


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true", help="print the scenario names")
    parser.add_argument("action", nargs="?", choices=("template", "cleanup", "run"))
    parser.add_argument("scenario", nargs="?")
    parser.add_argument("--work", type=pathlib.Path)
    parser.add_argument("--setup", type=pathlib.Path)
    parser.add_argument("--mbdriver", type=pathlib.Path)
    parser.add_argument("--odbc-driver", default="")
    parser.add_argument("--machine", choices=m.KINDS, default=m.X64.name)
    parser.add_argument("--x64-setup", type=pathlib.Path,
                        help="the x86_64 build, for a scenario that runs it on a wow64 machine")
    parser.add_argument("--planted-dll", type=pathlib.Path)
    parser.add_argument("--holder", type=pathlib.Path,
                        help="a program that holds a file open without sharing")
    args = parser.parse_args()
    windows = m.KINDS[args.machine]
    if args.list:
        print(";".join(scenarios_for(windows)))
        return 0
    if args.action is None or args.work is None:
        parser.print_usage()
        return 2
    work = args.work.resolve()
    m.give_to_wine_user(work)
    if args.action == "template":
        m.become_wine_user()
        return make_template(work, args.mbdriver, args.odbc_driver, windows)
    if args.action == "cleanup":
        m.become_wine_user()
        return remove_template(work)
    if args.action == "run" and args.scenario in scenarios_for(windows):
        quiet = args.scenario in QUIET_SCENARIOS
        play_scenario = (QUIET_SCENARIOS if quiet else SCENARIOS)[args.scenario]

        def play() -> int:
            return run_scenario(play_scenario, Scenario(
                args.scenario, work, args.setup, args.mbdriver, windows, args.x64_setup,
                args.planted_dll, args.holder, quiet))

        prepare = ROOT_STEPS.get(play_scenario)
        if prepare is None:
            m.become_wine_user()
            return play()
        with prepare(work / args.scenario):
            return m.as_wine_user_in_child(play)
    parser.print_usage()
    return 2


if __name__ == "__main__":
    sys.exit(main())

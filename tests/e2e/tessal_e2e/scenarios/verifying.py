"""The check of a machine (/verify): it says whether the machine is as a run from the distribution
leaves it, and where it differs, and changes nothing: no call that writes the registry or a data
source, and every file as it was."""

from __future__ import annotations

from typing import Callable

from ..catalog import scenario
from ..expected import log
from ..expected.exits import Exit
from ..expected.files import WEB
from ..expected.log import LOG
from ..machine import DIST, write_calls
from ..registry import DATA_SOURCE_KEY, DATA_SOURCES_KEY, ENVIRONMENT_KEY, MARKER_KEY, REG_SZ, Value
from ..runs import Box
from ..scenario import Scenario

SET_UP = "このコンピューターのセットアップは完了しています。"
JAR = r"\webapps\tessal\WEB-INF\lib\jcom.jar"

# What the check of each state must find: its differences as the log says them, or, before any
# run, the differences that must be among the many it finds. None for a machine as a run left it.
State = Callable[[Scenario], "list[str] | None"]


def after_a_run(s: Scenario) -> None:
    s.check_completion("run", s.run("yes"))


def web_xml_edited(s: Scenario) -> list[str]:
    after_a_run(s)
    web = s.homes.tomcat + "\\" + WEB.file
    path = s.machine.host_path(web)
    path.write_bytes(path.read_bytes().replace(b"</web-app>", b"<!-- edited --></web-app>"))
    return [f"differs {web}: not the bytes a run leaves"]


def jar_removed(s: Scenario) -> list[str]:
    after_a_run(s)
    s.machine.host_path(s.homes.tomcat + JAR).unlink()
    return [f"differs {s.homes.tomcat}{JAR}: missing"]


def java_home_changed(s: Scenario) -> list[str]:
    after_a_run(s)
    s.machine.set_value(ENVIRONMENT_KEY, "JAVA_HOME", Value(REG_SZ, r"C:\jdk"))
    return [rf"differs JAVA_HOME: expected {s.homes.jdk}, found C:\jdk"]


def data_source_removed(s: Scenario) -> list[str]:
    after_a_run(s)
    s.machine.delete_key(DATA_SOURCE_KEY)
    s.machine.delete_value(DATA_SOURCES_KEY, "TESSAL")
    return ["differs TESSAL: missing"]


def before_any_run(s: Scenario) -> list[str]:
    return [f"differs {MARKER_KEY}\\Version: expected {log.VERSION}, found nothing",
            "differs TESSAL: missing", f"differs {s.homes.tomcat}{JAR}: missing"]


STATES: dict[str, State] = {
    "after_a_run": after_a_run, "web_xml_edited": web_xml_edited, "jar_removed": jar_removed,
    "java_home_changed": java_home_changed, "data_source_removed": data_source_removed,
    "before_any_run": before_any_run,
}


def box_line(event: str) -> str:
    """A difference as the box shows it, from its log line."""
    what, _, detail = event.removeprefix("differs ").rpartition(": ")
    if detail == "missing":
        return f"{what}：ありません"
    if detail == "not the bytes a run leaves":
        return f"{what}：内容が異なります"
    what, _, values = event.removeprefix("differs ").partition(": expected ")
    expected, _, found = values.partition(", found ")
    return f"{what}：期待 {shown(expected)} ／ 現在 {'なし' if found == 'nothing' else shown(found)}"


def shown(value: str) -> str:
    """A value as the box shows it: a long one cut short."""
    return value if len(value) <= 60 else value[:60] + "…"


@scenario(cases=STATES)
def verify(s: Scenario, state: State) -> None:
    """/verify on a machine in one state: the box and the exit code say whether it is set up, the
    log and the box name each difference, and nothing is written."""
    s.machine.watch_writes("setup.exe")
    expected = state(s)
    if s.runs:
        # The watch that finds no write of the check's sees those of the run before it.
        s.check.true("the run's writes, seen", write_calls(s.output) != [])
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(DIST)
    run = s.run(arguments=("/verify", "/log", LOG))
    events = log.last_run(s.log())
    found = [event for event in events if event.startswith("differs ")]
    if expected is None:
        s.check.run("verify", run, Exit.MATCHES, [Box("setup", SET_UP, 64)])
        s.check.equal("differences", [], found)
    elif s.name.startswith("verify_before_any_run"):
        s.check.equal("verify: exit code", Exit.DIFFERS, run.exit_code)
        s.check.true(f"differences {expected} among {found}", set(expected) <= set(found))
        shown = [(box.code, box.text.split("\r")) for box in run.boxes]
        s.check.equal("the box", [(48, [f"セットアップと異なる点が{len(found)}件あります。",
                                        *map(box_line, found[:10]),
                                        *(["…"] if len(found) > 10 else [])])], shown)
    else:
        s.check.run("verify", run, Exit.DIFFERS, [Box(
            "setup", "\r".join([f"セットアップと異なる点が{len(expected)}件あります。",
                                *map(box_line, expected)]), 48)])
        s.check.equal("differences", expected, found)
    s.check.equal("the log's last line", log.exit_line(Exit.DIFFERS if expected else Exit.MATCHES),
                  events[-1] if events else None)
    s.check.equal("calls that write", [], write_calls(s.output))
    s.check_unchanged("by the check", before, trees)
    s.check.trees("the distribution", dist, s.machine.tree(DIST))

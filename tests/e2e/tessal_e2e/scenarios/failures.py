"""Runs that a failure ends, or that complete with a problem reported: the failure is reported with
its number and the file, what came before it stays done, nothing after it is done, and a rerun
once the cause is mended leaves what a clean run leaves."""

from __future__ import annotations

import contextlib
import os
import pathlib
import pwd
import shutil
import subprocess
import time
from typing import Callable, Iterator

from .. import wine_user
from ..catalog import EVERY_WIDTH, scenario
from ..expected import boxes, log
from ..expected.boxes import QUESTION, FailureReport
from ..expected.exits import Exit
from ..expected.files import POOLMAN, WEB, deployed, enlarged, packaged_files
from ..expected.log import LOG
from ..expected.state import Homes, appended
from ..machine import INSTALLED_TOMCAT_FILES, windows_path
from ..registry import (ACCESS_DRIVER, ACCESS_DRIVER_KEY, DATA_SOURCE_KEY, ENVIRONMENT_KEY,
                        MARKER_KEY, ODBCINST_KEY, REG_DWORD, REG_SZ, Value)
from ..scenario import Scenario

# What the stand-in driver is told to post when it refuses: ODBC_ERROR_CREATE_DSN_FAILED.
CREATE_DSN_FAILED = 18


@scenario(machines=EVERY_WIDTH, quiet=True)
def no_odbc_driver(s: Scenario) -> None:
    """Without an Access driver that takes the data source, the data source is reported missing,
    the log says why in the ODBC installer's words, and the run completes with the code that says
    a problem was reported: first with a driver that refuses every request, then with none."""
    path = appended(s.machine.registry().value(ENVIRONMENT_KEY, "Path"), s.homes)
    if s.odbc:
        s.machine.set_value(ACCESS_DRIVER_KEY, "Refuse", Value(REG_DWORD, CREATE_DSN_FAILED))
        data_source_refused_run(s, "a driver that refuses", log.DRIVER_REFUSED, path)
    s.machine.delete_key(ACCESS_DRIVER_KEY)
    s.machine.delete_value(f"{ODBCINST_KEY}\\ODBC Drivers", ACCESS_DRIVER)
    data_source_refused_run(s, "no driver", log.NO_DRIVER, path)


def data_source_refused_run(s: Scenario, what: str, reason: str, path: Value) -> None:
    """A run whose data source the ODBC installer refuses for the reason, logged."""
    before, trees = s.machine.registry(), s.trees()
    run = s.run("yes", arguments=() if s.quiet else ("/log", LOG))
    s.expect(what, run, Exit.PROBLEM_REPORTED, boxes.of_completion(odbc=False))
    s.check_completed(before, s.machine.registry(), trees, path, odbc=False)
    events = log.last_run(s.log())
    no_data_source = log.message_line(boxes.NO_DATA_SOURCE)
    s.check.equal(f"{what}: the log's data source", log.data_source_refused(reason),
                  [e for e in events if e.startswith("datasource ") or e == no_data_source])


def blocked_copy(s: Scenario, block: Callable[[pathlib.Path], None], number: int | None,
                 still_blocked: Callable[[pathlib.Path], bool]) -> None:
    """A conf\\server.xml that the copy cannot write: the failure is reported with its number and
    the file, and the run ends there; what came before it stays done, nothing after it is done."""
    target = s.homes.tomcat + r"\conf\server.xml"
    server_xml = s.machine.host_path(target)
    block(server_xml)
    # An earlier run's marker, which must not outlive a run that fails.
    s.machine.set_value(MARKER_KEY, "Version", Value(REG_SZ, "1.00"))
    before, trees = s.machine.registry(), s.trees()
    path = before.value(ENVIRONMENT_KEY, "Path")
    s.expect("run", s.run("yes"), Exit.FAILED, [QUESTION, FailureReport(number, target)])
    after = s.machine.registry()
    s.check_environment(after, appended(path, s.homes))
    s.check_marker(after, set_up=False)
    s.check.true("a data source after the failure", not after.has_key(DATA_SOURCE_KEY))
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


@scenario(quiet=True)
def unwritable_file(s: Scenario) -> None:
    """A folder where conf\\server.xml goes."""
    def block(server_xml: pathlib.Path) -> None:
        server_xml.unlink()
        server_xml.mkdir()

    blocked_copy(s, block, None, pathlib.Path.is_dir)


@scenario()
def read_only_destination(s: Scenario) -> None:
    """A conf\\server.xml that was read-only before the run stays a file that cannot be written:
    Windows refuses the copy (5, access denied)."""
    installed = INSTALLED_TOMCAT_FILES[r"conf\server.xml"]

    def block(server_xml: pathlib.Path) -> None:
        s.machine.attrib("+r", s.homes.tomcat + r"\conf\server.xml")

    def still_blocked(server_xml: pathlib.Path) -> bool:
        return server_xml.read_bytes() == installed and not os.access(server_xml, os.W_OK)

    blocked_copy(s, block, 5, still_blocked)


@scenario()
def file_held_open(s: Scenario) -> None:
    """A deployed jar held open without sharing by another process, as a running Tomcat holds its
    jars: the copy onto it fails with a sharing violation (32), reported with the file. Once the
    holder has let go, a rerun leaves what a clean run leaves."""
    holder_exe = s.programs.needed(s.programs.holder, "file_held_open needs --holder")
    before, trees = s.machine.registry(), s.trees()
    path = before.value(ENVIRONMENT_KEY, "Path")
    s.check_completion("first run", s.run("yes"))
    jar = s.homes.tomcat + r"\webapps\tessal\WEB-INF\lib\jcom.jar"
    held, release = s.folder / "held", s.folder / "release"
    for signal in (held, release):  # left by an earlier run of the scenario
        signal.unlink(missing_ok=True)
    holder = s.machine.start_wine(str(holder_exe), jar, windows_path(held), windows_path(release))
    try:
        deadline = time.monotonic() + 60
        while not held.exists() and holder.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        s.check.true(f"the jar is not held (holder ended with {holder.poll()})", held.exists())
        s.check.run("run while the jar is held", s.run("yes"), Exit.FAILED,
                    [QUESTION, FailureReport(32, jar)])
    finally:
        release.touch()
        holder.wait(timeout=60)
    s.check_completion("run after the holder let go", s.run("yes"), first=False)
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), s.odbc)


# A drive small enough to fill: a tmpfs that root mounts for the scenario (tmpfs counts 4 KiB
# pages).
SMALL_DRIVE = 8 << 20
PAGE = 4096


@contextlib.contextmanager
def small_drive(folder: pathlib.Path) -> Iterator[None]:
    """A tmpfs of SMALL_DRIVE bytes at folder/drive, which the Wine user owns: mounted around the
    scenario as root, which then plays it as the Wine user in a child, where it is found
    mounted."""
    mount_point = folder / "drive"
    if not wine_user.is_root():
        if not os.path.ismount(mount_point):
            raise SystemExit("full_disk mounts a small drive: run it as root")
        yield
        return
    user = pwd.getpwnam(wine_user.WINE_USER)
    subprocess.run(["umount", str(mount_point)], stderr=subprocess.DEVNULL, check=False)
    shutil.rmtree(folder, ignore_errors=True)
    mount_point.mkdir(parents=True)
    wine_user.give(folder)
    subprocess.run(["mount", "-t", "tmpfs", "-o",
                    f"size={SMALL_DRIVE},uid={user.pw_uid},gid={user.pw_gid},mode=0755",
                    "tessal-small-drive", str(mount_point)], check=True)
    try:
        yield
    finally:
        subprocess.run(["umount", str(mount_point)], check=True)


def pages(size: int) -> int:
    return -(-size // PAGE)


@scenario(root_step=small_drive)
def full_disk(s: Scenario) -> None:
    """Tomcat on a small drive that runs out of space while web.xml is rewritten: the report with
    112 (the disk is full) and the file, and web.org a complete copy. With space freed, a rerun
    leaves what a clean run leaves."""
    drive = s.folder / "drive"
    s.machine.map_drive("d", drive)
    s.homes = Homes(r"D:\Apache Group\Tomcat 4.1")
    s.machine.install_tomcat(s.homes.tomcat)
    # A web.xml whose rewrite grows it by many pages: every line that names the old folder
    # becomes the longer line of the real one.
    grown = enlarged(WEB, 256 << 10, lambda text: f"  <!-- {text} -->", b"</web-app>")
    s.machine.host_path(s.dist + "\\" + WEB.dist).write_bytes(grown)
    dist = s.machine.tree(s.dist)
    before, trees = s.machine.registry(), s.trees()
    path = before.value(ENVIRONMENT_KEY, "Path")
    expected = deployed(trees, s.homes, dist=dist)
    web_xml = s.homes.tomcat + "\\" + WEB.file

    # The drive keeps room for the deployment and the backup, and for half the growth of web.xml.
    deployment = sum(pages(len(data)) - pages(len(trees["tomcat"].get(name, b"")))
                     for name, data in deployed(trees, s.homes, rewrite=False, dist=dist)[
                         "tomcat"].items())
    growth = pages(len(expected["tomcat"][WEB.file])) - pages(len(grown))
    room = deployment + pages(len(grown)) + growth // 2
    stat = os.statvfs(drive)
    filler = drive / "filler"
    filler.write_bytes(bytes((stat.f_bavail * stat.f_frsize) - room * PAGE))

    s.check.run("run on a full drive", s.run("yes"), Exit.FAILED,
                [QUESTION, FailureReport(112, web_xml)])
    tomcat = s.machine.tree(s.homes.tomcat)
    s.check.equal(f"{WEB.backup} complete", grown, tomcat.get(WEB.backup))
    s.check.true("poolman.xml rewritten after the failure", POOLMAN.backup not in tomcat)
    filler.unlink()
    # The run that failed wrote the environment already.
    s.check_completion("run with space freed", s.run("yes"), first=False)
    s.check_environment(s.machine.registry(), appended(path, s.homes))
    for base in ("jdk", "tomcat"):
        s.check.trees(s.homes.folder(base), expected[base], s.trees()[base])

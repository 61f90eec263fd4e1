"""Runs that go to their end: what they leave is the environment, the deployed and rewritten files
and the data source, wherever the products and the distribution are and whatever Path holds."""

from __future__ import annotations

import os
import pathlib
import shutil

from ..catalog import EVERY_WIDTH, scenario
from ..expected.state import Homes, appended
from ..registry import DATA_SOURCE_KEY, ENVIRONMENT_KEY, REG_EXPAND_SZ, REG_SZ, Value
from ..scenario import Scenario


@scenario(machines=EVERY_WIDTH)
def full_run(s: Scenario) -> None:
    """Yes on a machine as installed, from a release folder with its SHA256SUMS: environment,
    files, configuration and data source."""
    s.machine.lay_checksums(s.dist)
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(s.dist)
    path = before.value(ENVIRONMENT_KEY, "Path")
    s.check_completion("run", s.run("yes"))
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), s.odbc)
    s.check.trees("the distribution", dist, s.machine.tree(s.dist))


@scenario(machines=EVERY_WIDTH)
def second_run(s: Scenario) -> None:
    """A second run leaves what the first left: Path once, the same files and backups, and a
    data source made anew."""
    before, trees = s.machine.registry(), s.trees()
    s.check_completion("first run", s.run("yes"))
    first, first_trees = s.machine.registry(), s.trees()
    if s.odbc:
        # Set by hand between the runs: the run removes the data source before it adds it.
        s.machine.set_value(DATA_SOURCE_KEY, "Description", Value(REG_SZ, "by hand"))
    s.check_completion("second run", s.run("yes"), first=False)
    second = s.machine.registry()
    s.check.registry_unchanged("by the second run", first, second)
    for base in ("jdk", "tomcat"):
        s.check.trees(f"{s.homes.folder(base)} after the second run", first_trees[base],
                      s.trees()[base])
    s.check_completed(before, second, trees,
                      appended(before.value(ENVIRONMENT_KEY, "Path"), s.homes), s.odbc)


@scenario()
def read_only_distribution(s: Scenario) -> None:
    """Every packaged file read-only, as on a CD or a copy of one: the copies that the run makes
    are writable, so a first and a second run complete; the distribution stays as it was."""
    s.machine.attrib("+r", s.dist + r"\*", recursive=True)
    dist_files = [s.machine.host_path(s.dist) / pathlib.PureWindowsPath(name).as_posix()
                  for name in s.machine.tree(s.dist)]
    before, trees, dist = s.machine.registry(), s.trees(), s.machine.tree(s.dist)
    path = before.value(ENVIRONMENT_KEY, "Path")
    for run in ("first run", "second run"):
        s.check_completion(run, s.run("yes"), first=run == "first run")
    s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), s.odbc)
    s.check.trees("the distribution", dist, s.machine.tree(s.dist))
    s.check.equal("writable files of the distribution", [],
                  [str(f) for f in dist_files if os.access(f, os.W_OK)])
    written = [s.machine.host_path(f"{s.homes.folder(base)}\\{name}")
               for base, files in s.trees().items() for name in files
               if trees[base].get(name) != files[name] or name.endswith(".org")]
    s.check.equal("read-only files that the run wrote", [],
                  [str(f) for f in written if not os.access(f, os.W_OK)])


@scenario()
def hidden_destination(s: Scenario) -> None:
    """A destination folder that exists and is hidden (conf): the run uses it as it is, with no
    message, and copies its files."""
    s.machine.attrib("+h", s.homes.tomcat + r"\conf")
    full_run(s)


@scenario()
def drive_root(s: Scenario) -> None:
    """Started from the root of a drive, as from a CD: D:\\setup.exe with J2SE and TOMCAT beside
    it. Its folder is the drive itself, and the run completes as from any other folder."""
    cd = s.folder / "cd"
    shutil.rmtree(cd, ignore_errors=True)  # left by an earlier run of the scenario
    cd.mkdir()
    s.machine.map_drive("d", cd, "cdrom")
    s.dist = "D:"
    s.machine.lay_distribution(s.dist)
    s.setup = s.machine.put_setup(s.programs.setup, s.dist)
    full_run(s)


@scenario()
def expandable_path(s: Scenario) -> None:
    """Path keeps its type: its %SystemRoot% references stay references."""
    path = Value(REG_EXPAND_SZ, r"%SystemRoot%\system32;%SystemRoot%")
    s.machine.set_value(ENVIRONMENT_KEY, "Path", path)
    s.check_completion("run", s.run("yes"))
    s.check_environment(s.machine.registry(), Value(
        REG_EXPAND_SZ, r"%SystemRoot%\system32;%SystemRoot%;C:\j2sdk1.4.2_19\bin"))


@scenario()
def long_path(s: Scenario) -> None:
    """A Path of today, longer than any buffer of fixed size, with a character that code page 932
    has not got, and of type REG_SZ: it comes back whole and of its type, with the JDK added
    once."""
    tools = ";".join(rf"C:\Program Files\Tool {i:03d}\bin" for i in range(80))
    path = Value(REG_SZ, rf"C:\Windows\system32;C:\Tools\Zürich\bin;{tools}")
    s.machine.set_value(ENVIRONMENT_KEY, "Path", path)
    before, trees = s.machine.registry(), s.trees()
    for run in ("first run", "second run"):
        s.check_completion(run, s.run("yes"), first=run == "first run")
        s.check_completed(before, s.machine.registry(), trees, appended(path, s.homes), s.odbc)


@scenario()
def japanese_tomcat(s: Scenario) -> None:
    """A Tomcat folder with Japanese characters: deployed into, and written into each
    configuration file as its reader reads it. The distribution is started from a Japanese folder
    too, as a Japanese administrator would copy it."""
    s.homes = Homes(r"C:\アプリ\Tomcat 4.1")
    s.machine.install_tomcat(s.homes.tomcat)
    dist = r"C:\配布\tessal セットアップ"
    s.machine.host_path(dist).parent.mkdir()
    s.machine.host_path(s.dist).rename(s.machine.host_path(dist))
    s.setup = dist + r"\setup.exe"
    before, trees = s.machine.registry(), s.trees()
    old_tomcat = s.machine.tree(s.machine.windows.tomcat_home)
    s.check_completion("run", s.run("yes"))
    s.check_completed(before, s.machine.registry(), trees,
                      appended(before.value(ENVIRONMENT_KEY, "Path"), s.homes), s.odbc)
    s.check.equal("the other Tomcat folder", old_tomcat,
                  s.machine.tree(s.machine.windows.tomcat_home))

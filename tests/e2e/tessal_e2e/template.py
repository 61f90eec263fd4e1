"""The template machine: made once for a build, with the products installed and registered, the
sample distribution laid out and the stand-in Access driver if one was built; each scenario runs
on a copy of it."""

from __future__ import annotations

import pathlib

from .machine import REGISTER_ODBC_SH, Machine, Windows, share_wine_files


def furnish(machine: Machine, odbc_driver: pathlib.Path | None) -> bool:
    """Installs the JDK and Tomcat, lays the distribution, and registers the Access driver if
    one is given; whether there is one."""
    machine.install_jdk()
    machine.install_tomcat()
    machine.lay_distribution()
    if odbc_driver is None or not REGISTER_ODBC_SH.exists():
        return False
    machine.register_odbc_driver(odbc_driver)
    return True


def make(work: pathlib.Path, mbdriver: pathlib.Path, odbc_driver: pathlib.Path | None,
         windows: Windows) -> int:
    machine = Machine.create(work / "template", mbdriver, windows)
    if furnish(machine, odbc_driver):
        print(f"the Access driver is {odbc_driver}")
    else:
        print("no Access driver: every run reports the data source as not registered")
    machine.apply_registry_changes()
    machine.stop()
    share_wine_files(machine.prefix)
    return 0


def remove(work: pathlib.Path) -> int:
    template = work / "template"
    if template.exists() or template.with_suffix(".display").exists():
        Machine(template, "0", pathlib.Path()).destroy()
    return 0


def exists(work: pathlib.Path) -> bool:
    return (work / "template.display").exists()


def copy(work: pathlib.Path, prefix: pathlib.Path, mbdriver: pathlib.Path,
         windows: Windows) -> Machine:
    """A copy of the template at prefix, with a screen of its own."""
    if not exists(work):
        raise SystemExit(f"no template machine in {work}: make it with the template action")
    machine = Machine.existing(work / "template", mbdriver, windows).copy(prefix)
    machine.show_on_own_screen()
    return machine

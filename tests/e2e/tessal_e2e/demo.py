"""setup.exe run once on a throwaway Windows machine, answering Yes, and a report of what changed
on it: where the products were found and in which registry view, the environment, the files
deployed, the lines rewritten, the data source, and pictures of the boxes."""

from __future__ import annotations

import pathlib
import shutil
import subprocess

from . import template
from .expected.exits import Exit, meaning
from .expected.files import Tree
from .machine import JAVA_HOME, Machine, Windows, read_attributes
from .registry import (DATA_SOURCE_KEY, ENVIRONMENT_KEY, JDK_KEY, TOMCAT_KEY, TYPE_NAMES,
                       Registry, Value)
from .runs import Run


def show(value: Value | None) -> str:
    return "(none)" if value is None else f"{TYPE_NAMES.get(value.type)} {value.data}"


def changed_lines(original: bytes, rewritten: bytes) -> list[tuple[str, str]]:
    old = original.decode("cp932").split("\r\n")
    new = rewritten.decode("cp932").split("\r\n")
    return [(a, b) for a, b in zip(old, new) if a != b]


def view_name(registry: Registry) -> str:
    return f"the {registry.view}-bit view"


def report(windows: Windows, setup: str, run: Run, shots: list[pathlib.Path],
           before: Registry, after: Registry, trees_before: dict[str, Tree],
           trees_after: dict[str, Tree]) -> None:
    tomcat_home = windows.tomcat_home
    program = "32-bit, under WoW64" if windows.view == 32 else "64-bit"
    print(f"\n== setup.exe ({program}) on a throwaway 64-bit Windows machine (Wine, Japanese, "
          "code page 932)")
    other = after.seen_by(32 if windows.view == 64 else 64)
    for product, home, key, value in (("JDK 1.4", JAVA_HOME, JDK_KEY, "JavaHome"),
                                      ("Tomcat 4.1", tomcat_home, TOMCAT_KEY, "default value")):
        print(f"   {product:<12} {home}")
        print(f"                found in {view_name(after)}: {key}, {value}")
        print(f"                kept by the registry as {after.hive_key(key)}")
        print(f"                {view_name(other)}: "
              f"{'holds it too' if other.has_key(key) else 'no such key'}")
    print(f"   started as   {setup}, beside J2SE\\ and TOMCAT\\ laid out from sample/")

    print("\n== the message boxes, answered Yes and then OK")
    for i, box in enumerate(run.boxes):
        shot = f"   ({shots[i].name})" if i < len(shots) else ""
        text = box.text.replace("\r\n", " ").replace("\r", " ")
        print(f"   {i + 1}. [{box.caption}] {text}   code {box.code}{shot}")
    for error in run.errors:
        print(f"   mbdriver: {error}")
    print(f"   exit code {run.exit_code}: {meaning(run.exit_code)}")

    print(f"\n== the system environment: {ENVIRONMENT_KEY}")
    for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME", "Path"):
        old = before.value(ENVIRONMENT_KEY, name)
        new = after.value(ENVIRONMENT_KEY, name)
        print(f"   {name}\n     before: {show(old)}\n     after:  {show(new)}")

    homes = ((JAVA_HOME, "jdk"), (tomcat_home, "tomcat"))
    deployed, rewritten = [], []
    for home, base in homes:
        old, new = trees_before[base], trees_after[base]
        for name, data in new.items():
            if old.get(name) != data:
                (rewritten if name.endswith(".org") else deployed).append((home, base, name))
    replaced = sum(1 for _, base, name in deployed if name in trees_before[base])
    print(f"\n== files deployed: {len(deployed)} ({len(deployed) - replaced} new, {replaced} "
          f"replaced), for example")
    for home, _, name in deployed[:3] + deployed[-3:]:
        print(f"   {home}\\{name}")
    print("   not deployed, as intended: " + ", ".join(
        name.rsplit("\\", 1)[-1] + f" ({attribute})" for attribute, name in read_attributes())
        + ", WEB-INF\\src\\ (a sub-folder)")

    print("\n== configuration lines rewritten (each previous file kept beside it as .org)")
    for home, base, backup in rewritten:
        tree = trees_after[base]
        stem = backup[:-len(".org")]
        file = next(n for n in tree if n != backup and n.rsplit(".", 1)[0] == stem)
        print(f"   {home}\\{file}")
        for old, new in changed_lines(tree[backup], tree[file]):
            print(f"     - {old.strip()}\n     + {new.strip()}")

    print(f"\n== the ODBC system data source: {DATA_SOURCE_KEY}, in {view_name(after)}")
    print(f"   kept by the registry as {after.hive_key(DATA_SOURCE_KEY)}"
          f"{' (the 32-bit ODBC)' if windows.view == 32 else ''}")
    print(f"   before: {'present' if before.has_key(DATA_SOURCE_KEY) else '(none)'}")
    if not after.has_key(DATA_SOURCE_KEY):
        print("   after:  (none): this machine has no Access driver")
    values = after.named_values(DATA_SOURCE_KEY)
    for name in sorted(values, key=str.lower):
        print(f"   after:  {name}={values[name].data}")


def pictures(shots: pathlib.Path) -> list[pathlib.Path]:
    """mbdriver's pictures of the boxes, in their order, as PNG files."""
    pngs = []
    for bmp in sorted(shots.glob("box-*.bmp"), key=lambda p: int(p.stem.split("-")[1])):
        png = bmp.with_suffix(".png")
        subprocess.run(["convert", str(bmp), str(png)], check=True)
        bmp.unlink()
        pngs.append(png)
    return pngs


def demo(build: pathlib.Path, out: pathlib.Path, windows: Windows) -> int:
    """Runs the build's setup.exe, mbdriver.exe and (if built) fakeodbc.dll on a new machine;
    out receives the pictures of the boxes (shots/box-N.png) and mbdriver's log."""
    shots = out / "shots"
    shutil.rmtree(shots, ignore_errors=True)

    print("== making a Windows machine (a Wine prefix; about 20 seconds)", flush=True)
    machine = Machine.create(out / "machine", build / "tests" / "driver" / "mbdriver.exe",
                             windows)
    try:
        fakeodbc = build / "tests" / "odbc_driver" / "fakeodbc.dll"
        # Wine has no Access driver: a stand-in takes its place.
        template.furnish(machine, fakeodbc if fakeodbc.exists() else None)
        setup = machine.put_setup(build / "setup.exe")
        before = machine.registry()
        trees_before = {"jdk": machine.tree(JAVA_HOME),
                        "tomcat": machine.tree(windows.tomcat_home)}

        print(f"== running {setup} under the message-box driver", flush=True)
        run = machine.run(setup, out / "boxes.log", answers=("yes",), shots=shots)
        after = machine.registry()
        trees_after = {"jdk": machine.tree(JAVA_HOME), "tomcat": machine.tree(windows.tomcat_home)}
        pngs = pictures(shots)
        report(windows, setup, run, pngs, before, after, trees_before, trees_after)
    finally:
        machine.destroy()

    print(f"\n== pictures of the boxes: {shots}/")
    for png in pngs:
        print(f"   {png.name}")
    # Without the stand-in Access driver the data source is reported and the run ends with 1603.
    completed = run.exit_code in (Exit.SET_UP, Exit.SET_UP_RESTART_REQUIRED,
                                  Exit.PROBLEM_REPORTED)
    return 0 if completed and not run.errors else 1

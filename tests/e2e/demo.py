#!/usr/bin/env python3
"""Runs setup.exe once on a throwaway Windows machine (a Wine prefix with the JDK 1.4 and Tomcat
4.1 registered), answering Yes, and reports what changed on it.

    demo.py --build BUILD_DIR --out OUT_DIR [--machine KIND]

BUILD_DIR is a build tree holding setup.exe, mbdriver.exe and (if built) fakeodbc.dll: the i686
one, the program that ships, runs on a wow64 machine (the default), as on a 64-bit Windows with
the 32-bit JDK and Tomcat; an x86_64 one on an x64 machine. OUT_DIR receives the pictures of the
boxes (shots/box-N.png) and mbdriver's log; the machine itself is removed at the end.
"""

from __future__ import annotations

import argparse
import pathlib
import shutil
import subprocess
import sys

import machine as m

EXIT_MEANINGS = {0: "setup completed", 1: "ended by a failure", 2: "JDK or Tomcat not installed",
                 3: "another copy is running", 4: "the user answered No",
                 5: "setup completed, but a message reported a problem",
                 87: "the command line means nothing to the program"}


def show(value: m.Value | None) -> str:
    return "(none)" if value is None else f"{m.TYPE_NAMES.get(value.type)} {value.data}"


def changed_lines(original: bytes, rewritten: bytes) -> list[tuple[str, str]]:
    old = original.decode("cp932").split("\r\n")
    new = rewritten.decode("cp932").split("\r\n")
    return [(a, b) for a, b in zip(old, new) if a != b]


def view_name(registry: m.Registry) -> str:
    return f"the {registry.windows.view}-bit view"


def report(setup: str, run: m.Run, shots: list[pathlib.Path],
           before: m.Registry, after: m.Registry, trees_before: dict, trees_after: dict) -> None:
    windows = after.windows
    tomcat_home = windows.tomcat_home
    program = "32-bit, under WoW64" if windows.view == 32 else "64-bit"
    print(f"\n== setup.exe ({program}) on a throwaway 64-bit Windows machine (Wine, Japanese, "
          "code page 932)")
    other = after.seen_by(m.WOW64 if windows.view == 64 else m.X64)
    for product, home, key, value in (("JDK 1.4", m.JAVA_HOME, m.JDK_KEY, "JavaHome"),
                                      ("Tomcat 4.1", tomcat_home, m.TOMCAT_KEY, "default value")):
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
    print(f"   exit code {run.exit_code}: {EXIT_MEANINGS.get(run.exit_code, 'unknown')}")

    print(f"\n== the system environment: {m.ENVIRONMENT_KEY}")
    for name in ("CATALINA_HOME", "CLASSPATH", "JAVA_HOME", "Path"):
        old = before.value(m.ENVIRONMENT_KEY, name)
        new = after.value(m.ENVIRONMENT_KEY, name)
        print(f"   {name}\n     before: {show(old)}\n     after:  {show(new)}")

    homes = ((m.JAVA_HOME, "jdk"), (tomcat_home, "tomcat"))
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
        name.rsplit("\\", 1)[-1] + f" ({attribute})" for attribute, name in m.read_attributes())
        + ", WEB-INF\\src\\ (a sub-folder)")

    print("\n== configuration lines rewritten (each previous file kept beside it as .org)")
    for home, base, backup in rewritten:
        tree = trees_after[base]
        stem = backup[:-len(".org")]
        file = next(n for n in tree if n != backup and n.rsplit(".", 1)[0] == stem)
        print(f"   {home}\\{file}")
        for old, new in changed_lines(tree[backup], tree[file]):
            print(f"     - {old.strip()}\n     + {new.strip()}")

    print(f"\n== the ODBC system data source: {m.DATA_SOURCE_KEY}, in {view_name(after)}")
    print(f"   kept by the registry as {after.hive_key(m.DATA_SOURCE_KEY)}"
          f"{' (the 32-bit ODBC)' if windows.view == 32 else ''}")
    print(f"   before: {'present' if before.has_key(m.DATA_SOURCE_KEY) else '(none)'}")
    if not after.has_key(m.DATA_SOURCE_KEY):
        print("   after:  (none): this machine has no Access driver")
    values = after.named_values(m.DATA_SOURCE_KEY)
    for name in sorted(values, key=str.lower):
        print(f"   after:  {name}={values[name].data}")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", type=pathlib.Path, required=True)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    parser.add_argument("--machine", choices=m.KINDS, default=m.WOW64.name)
    args = parser.parse_args()
    windows = m.KINDS[args.machine]
    build, out = args.build.resolve(), args.out.resolve()
    m.give_to_wine_user(out)
    m.become_wine_user()
    shots = out / "shots"
    shutil.rmtree(shots, ignore_errors=True)

    print("== making a Windows machine (a Wine prefix; about 20 seconds)", flush=True)
    machine = m.Machine.create(out / "machine", build / "tests" / "driver" / "mbdriver.exe",
                               windows)
    try:
        machine.install_jdk()
        machine.install_tomcat()
        machine.lay_distribution()
        fakeodbc = build / "tests" / "odbc_driver" / "fakeodbc.dll"
        register = m.REPO / "tests" / "odbc_driver" / "register.sh"
        if fakeodbc.exists() and register.exists():
            # Wine has no Access driver: a stand-in takes its place.
            machine.register_odbc_driver(register, fakeodbc)
        setup = machine.put_setup(build / "setup.exe")
        before = machine.registry()
        trees_before = {"jdk": machine.tree(m.JAVA_HOME),
                        "tomcat": machine.tree(windows.tomcat_home)}

        print(f"== running {setup} under the message-box driver", flush=True)
        run = machine.run(setup, out / "boxes.log", answers=("yes",), shots=shots)
        after = machine.registry()
        trees_after = {"jdk": machine.tree(m.JAVA_HOME),
                       "tomcat": machine.tree(windows.tomcat_home)}

        pictures = []
        for bmp in sorted(shots.glob("box-*.bmp"), key=lambda p: int(p.stem.split("-")[1])):
            png = bmp.with_suffix(".png")
            subprocess.run(["convert", str(bmp), str(png)], check=True)
            bmp.unlink()
            pictures.append(png)
        report(setup, run, pictures, before, after, trees_before, trees_after)
    finally:
        machine.destroy()

    print(f"\n== pictures of the boxes: {shots}/")
    for png in pictures:
        print(f"   {png.name}")
    # Without the stand-in Access driver the data source is reported and the run ends with 5.
    return 0 if run.exit_code in (0, 5) and not run.errors else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""End-to-end tests of setup.exe on Windows machines under Wine.

    scenarios.py --list [--machine KIND]
    scenarios.py template --work DIR --mbdriver EXE [--odbc-driver DLL] [--machine KIND]
    scenarios.py cleanup --work DIR
    scenarios.py run NAME --work DIR --setup EXE --mbdriver EXE [--machine KIND]
                 [--x64-setup EXE] [--planted-dll DLL] [--holder EXE]
    scenarios.py interrupted --work DIR --setup EXE --mbdriver EXE [--machine KIND] [--few]
    scenarios.py demo --build BUILD_DIR --out OUT_DIR [--machine KIND]

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

interrupted kills runs part-way, each on its own copy of the template, and checks what they
leave; --few makes it three kills, for a build whose full set runs elsewhere. demo runs a build
tree's setup.exe once on a machine of its own, answering Yes, and reports what changed; OUT_DIR
receives the pictures of the boxes.
"""

from __future__ import annotations

import argparse
import pathlib
import sys

from tessal_e2e import catalog, template, wine_user
from tessal_e2e.demo import demo
from tessal_e2e.interrupted import Interrupted
from tessal_e2e.machine import KINDS, Windows
from tessal_e2e.scenario import Programs, Scenario


def parse() -> argparse.Namespace:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true", help="print the scenario names")
    parser.add_argument("action", nargs="?",
                        choices=("template", "cleanup", "run", "interrupted", "demo"))
    parser.add_argument("scenario", nargs="?")
    parser.add_argument("--work", type=pathlib.Path)
    parser.add_argument("--setup", type=pathlib.Path)
    parser.add_argument("--mbdriver", type=pathlib.Path)
    parser.add_argument("--odbc-driver", default="")
    parser.add_argument("--machine", choices=KINDS, default=None,
                        help="x64 (the default), or wow64 (the default of demo)")
    parser.add_argument("--x64-setup", type=pathlib.Path,
                        help="the x86_64 build, for a scenario that runs it on a wow64 machine")
    parser.add_argument("--planted-dll", type=pathlib.Path)
    parser.add_argument("--holder", type=pathlib.Path,
                        help="a program that holds a file open without sharing")
    parser.add_argument("--few", action="store_true", help="interrupted: three kills, not all")
    parser.add_argument("--build", type=pathlib.Path, help="demo: the build tree")
    parser.add_argument("--out", type=pathlib.Path, help="demo: where its output goes")
    args = parser.parse_args()
    needed = {"demo": ("build", "out"), "interrupted": ("work", "setup", "mbdriver")}.get(
        args.action, ("work",))
    if not args.list and (args.action is None or None in map(vars(args).get, needed)):
        parser.print_usage()
        raise SystemExit(2)
    return args


def play(entry: catalog.Entry, work: pathlib.Path, programs: Programs, windows: Windows) -> int:
    """Plays a scenario as the Wine user. A step that needs root is done around it by this
    process, which stays root while a child plays the scenario."""
    with entry.step(work / entry.name):
        if entry.root_step is not None and wine_user.is_root():
            return wine_user.run_as_user()
        wine_user.become()
        s = Scenario(entry.name, work, programs, windows, entry.quiet)
        try:
            entry.play(s)
        except Exception:
            s.check.failures += 1
            raise
        finally:
            status = s.finish()
        return status


def main() -> int:
    args = parse()
    if args.action == "demo":
        out = args.out.resolve()
        wine_user.give(out)
        wine_user.become()
        return demo(args.build.resolve(), out, KINDS[args.machine or "wow64"])
    windows = KINDS[args.machine or "x64"]
    entries = {entry.name: entry for entry in catalog.entries_for(windows)}
    if args.list:
        print(";".join(entries))
        return 0
    if args.action == "run" and args.scenario not in entries:
        print(f"no scenario {args.scenario} for a {windows.name} machine", file=sys.stderr)
        return 2
    work = args.work.resolve()
    if args.action == "interrupted" and not template.exists(work):
        raise SystemExit(f"no template machine in {args.work}: make it with scenarios.py template")
    wine_user.give(work)
    if args.action == "run":
        return play(entries[args.scenario], work, Programs(
            args.setup, args.mbdriver, args.x64_setup, args.planted_dll, args.holder), windows)
    wine_user.become()
    if args.action == "template":
        odbc_driver = pathlib.Path(args.odbc_driver) if args.odbc_driver else None
        return template.make(work, args.mbdriver, odbc_driver, windows)
    if args.action == "interrupted":
        return Interrupted(work, Programs(args.setup, args.mbdriver), windows, args.few).run()
    return template.remove(work)


if __name__ == "__main__":
    sys.exit(main())

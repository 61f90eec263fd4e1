#!/usr/bin/env python3
"""The data-source routines against Wine's real ODBC installer, with fakeodbc.dll standing in for
the Access driver. Runs in the build tree's shared prefix and leaves it as it found it: no
driver, no TESSAL data source.

    odbc_test.py GROUP PREFIX MBDRIVER DATA_SOURCE_RUN FAKEODBC_DLL OUTDIR
"""

from __future__ import annotations

import pathlib
import shutil
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))
from tessal_e2e import wine_user  # noqa: E402
from tessal_e2e.checks import Checks  # noqa: E402
from tessal_e2e.machine import Machine, windows_path  # noqa: E402

UNREGISTER_SH = pathlib.Path(__file__).resolve().parent / "unregister.sh"
ACCESS = "Microsoft Access Driver (*.mdb)"
ODBC_INI = r"HKLM\Software\ODBC\ODBC.INI"
USER_ODBC_INI = r"HKCU\Software\ODBC\ODBC.INI"
NOT_REGISTERED = ('{"caption":"setup","text":"データソースTESSALが登録されませんでした。",'
                  '"buttons":"ok","icon":"critical","systemModal":false,"code":16}')
# What the program asks of the driver: remove the old data source, then add it anew.
REMOVE = f"3 {ACCESS} DSN=TESSAL||"
ADD = (f"1 {ACCESS} DSN=TESSAL|DBQ=C:\\Tomcat\\webapps\\tessal\\TESSAL.mdb|MaxBufferSize=2048|"
       "PageTimeout=5|FIL=MS Access||")
# The data source's values, by their names in lower case as the registry compares them.
DATA_SOURCE = {"dbq": r"C:\Tomcat\webapps\tessal\TESSAL.mdb",
               "driver": r"C:\windows\system32\fakeodbc.dll", "fil": "MS Access",
               "maxbuffersize": "2048", "pagetimeout": "5"}


class OdbcTest:
    def __init__(self, group: str, prefix: pathlib.Path, mbdriver: pathlib.Path,
                 program: pathlib.Path, dll: pathlib.Path, out: pathlib.Path):
        self.check = Checks(group)
        self.machine = Machine.existing(prefix, mbdriver)
        self.program = windows_path(program)
        self.dll = dll
        self.out = out
        self.calls = out / "odbc.log"  # what the driver was asked, one call a line
        self.machine.set_environment("TESSAL_FAKE_ODBC_LOG", windows_path(self.calls))

    def reg(self, *args: str) -> None:
        self.machine.wine("reg", *args)

    def forget_data_source(self) -> None:
        self.reg("delete", ODBC_INI + r"\TESSAL", "/f")
        self.reg("delete", ODBC_INI + r"\ODBC Data Sources", "/v", "TESSAL", "/f")
        self.reg("delete", USER_ODBC_INI + r"\TESSAL", "/f")

    def cleanup(self) -> None:
        self.forget_data_source()
        subprocess.run(["bash", str(UNREGISTER_SH), str(self.machine.prefix)],
                       env=self.machine.environment(), check=False)

    def register(self, name: str, *lines: str) -> None:
        """The program under mbdriver, answering every box with OK: it exits with 0, and mbdriver
        logs exactly the lines given."""
        log = self.out / f"{name}.log"
        status = self.machine.start(self.program, log, answers=("ok",)).wait(timeout=180)
        self.check.equal(f"{name}: exit code", 0, status)
        self.check.lines(f"{name}: boxes", [*lines, ""], self.read(log))

    def expect_calls(self, name: str, *calls: str) -> None:
        self.check.lines(f"{name}: driver calls", [*calls, ""], self.read(self.calls))

    @staticmethod
    def read(path: pathlib.Path) -> list[str]:
        return (path.read_text(encoding="utf-8") if path.exists() else "").split("\n")

    def expect_data_source(self, when: str) -> None:
        self.check.equal(f"{when}: data source", DATA_SOURCE,
                         self.machine.query(ODBC_INI + r"\TESSAL"))
        listed = self.machine.query(ODBC_INI + r"\ODBC Data Sources").get("tessal")
        self.check.equal(f"{when}: listed", ACCESS, listed)
        self.check.equal(f"{when}: user data source", {},
                         self.machine.query(USER_ODBC_INI + r"\TESSAL"))

    def missing(self) -> None:
        self.cleanup()
        self.register("missing", NOT_REGISTERED, '{"exit":0}')
        self.check.equal("data source", {}, self.machine.query(ODBC_INI + r"\TESSAL"))
        self.check.true("the installer called a driver that is not registered",
                        not self.calls.exists())

    def registered(self) -> None:
        self.cleanup()
        try:
            self.machine.register_odbc_driver(self.dll)
        except subprocess.CalledProcessError:
            self.check.fail("register.sh failed")
        # A value that no run writes, so that only a removal of the old source makes it go.
        self.reg("add", ODBC_INI + r"\TESSAL", "/v", "Stale", "/d", "old", "/f")

        self.register("first", '{"exit":0}')
        self.expect_calls("first", REMOVE, ADD)
        self.expect_data_source("first")

        self.register("again", '{"exit":0}')
        self.expect_calls("again", REMOVE, ADD, REMOVE, ADD)
        self.expect_data_source("again")


GROUPS = ("missing", "registered")


def main() -> int:
    if len(sys.argv) != 7 or sys.argv[1] not in GROUPS:
        print(__doc__, file=sys.stderr)
        return 2
    group, prefix, mbdriver, program, dll, out = sys.argv[1], *map(pathlib.Path, sys.argv[2:])
    # Wine runs as the tests' unprivileged user, who writes the logs in a folder of its own.
    out = out.resolve()
    wine_user.give(out.parent)
    wine_user.become()
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    test = OdbcTest(group, prefix, mbdriver, program, dll, out)
    try:
        getattr(test, group)()
    finally:
        test.cleanup()
    return test.check.verdict()


if __name__ == "__main__":
    sys.exit(main())

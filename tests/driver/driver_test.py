#!/usr/bin/env python3
"""End-to-end tests of mbdriver under wine64: mbprobe shows boxes through the platform layer,
mbdriver answers them, and each group checks the log, the exit codes and the pictures.

    driver_test.py GROUP PREFIX MBDRIVER MBPROBE OUTDIR
"""

from __future__ import annotations

import pathlib
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))
from tessal_e2e import wine_user  # noqa: E402
from tessal_e2e.checks import Checks  # noqa: E402
from tessal_e2e.machine import Machine, windows_path  # noqa: E402
from tessal_e2e.runs import wait_for_box  # noqa: E402

QUESTION = "セットアップを開始してよろしいですか？"


def box(text: str, buttons: str = "ok", icon: str = "none", code: int = 0,
        caption: str = "setup", modal: str = "false") -> str:
    """A box as mbdriver logs it: a line of JSON, its strings escaped as given."""
    return (f'{{"caption":"{caption}","text":"{text}","buttons":"{buttons}","icon":"{icon}",'
            f'"systemModal":{modal},"code":{code}}}')


SETUP_BOX = box(QUESTION, "yesno", "information", 68)


class DriverTest:
    def __init__(self, group: str, prefix: pathlib.Path, mbdriver: pathlib.Path,
                 probe: pathlib.Path, out: pathlib.Path):
        self.check = Checks(group)
        self.machine = Machine.existing(prefix, mbdriver)
        self.probe = windows_path(probe)
        self.out = out

    def log(self, name: str) -> pathlib.Path:
        return self.out / f"{name}.log"

    def start(self, name: str, *probe_args: str, **options):
        """mbprobe under mbdriver, logging to OUTDIR/NAME.log."""
        return self.machine.start(self.probe, self.log(name), arguments=probe_args, **options)

    def drive(self, name: str, *probe_args: str, **options) -> int:
        """mbprobe under mbdriver to its end; mbdriver's exit code."""
        return self.start(name, *probe_args, **options).wait(timeout=180)

    def expect_run(self, name: str, exit_code: int, code: int, *lines: str) -> None:
        """The run's exit code and its whole log, every line ended."""
        self.check.equal(f"{name}: exit code", code, exit_code)
        path = self.log(name)
        text = path.read_text(encoding="utf-8") if path.exists() else ""
        self.check.lines(f"{name}: log", [*lines, ""], text.split("\n"))

    def answers(self) -> None:
        rc = self.drive("yes", "box", "68", "-", QUESTION, answers=("yes",))
        self.expect_run("yes", rc, 6, SETUP_BOX, '{"exit":6}')
        rc = self.drive("no", "box", "68", "-", QUESTION, answers=("no",))
        self.expect_run("no", rc, 7, SETUP_BOX, '{"exit":7}')
        # Boxes in a row take the answers in order; an OK box without one left is answered ok.
        rc = self.drive("sequence", "sequence", "4", "eins", "zwei", answers=("no", "yes"))
        self.expect_run("sequence", rc, 76, box("eins", "yesno", code=4),
                        box("zwei", "yesno", code=4), '{"exit":76}')
        rc = self.drive("oks", "sequence", "0", "a", "b")
        self.expect_run("oks", rc, 11, box("a"), box("b"), '{"exit":11}')

    def icons(self) -> None:
        rc = self.drive("critical", "box", "4112", "警告", QUESTION)
        self.expect_run("critical", rc, 1,
                        box(QUESTION, icon="critical", code=4112, caption="警告", modal="true"),
                        '{"exit":1}')
        rc = self.drive("question", "box", "36", "-", "q", answers=("yes",))
        self.expect_run("question", rc, 6, box("q", "yesno", "question", 36), '{"exit":6}')
        rc = self.drive("exclamation", "box", "48", "-", "e")
        self.expect_run("exclamation", rc, 1, box("e", icon="exclamation", code=48),
                        '{"exit":1}')
        rc = self.drive("none", "box", "0", "-", "n")
        self.expect_run("none", rc, 1, box("n"), '{"exit":1}')

    def text(self) -> None:
        # The characters that JSON escapes, and those that the command line to the program quotes.
        rc = self.drive("escapes", "box", "0", 'a "b"', '一行目\r二行目\n\t"引用" C:\\temp\\')
        self.expect_run("escapes", rc, 1,
                        box(r'一行目\r二行目\n\t\"引用\" C:\\temp\\', caption=r'a \"b\"'),
                        '{"exit":1}')

    def instance(self) -> None:
        # The first copy holds its box open until the second has come and gone.
        release = self.out / "release"
        first = self.start("first", "instance", answers=("yes",), hold=release, timeout=60)
        wait_for_box(self.log("first"))
        rc = self.drive("second", "instance")
        self.expect_run("second", rc, 3, box("already", icon="critical", code=16), '{"exit":3}')
        release.touch()
        self.expect_run("first", first.wait(timeout=180), 6,
                        box("first", "yesno", "information", 68), '{"exit":6}')

    def screenshot(self) -> None:
        shots = self.out / "shots"
        rc = self.drive("shot", "box", "68", "-", QUESTION, answers=("yes",), shots=shots)
        self.expect_run("shot", rc, 6, SETUP_BOX, '{"exit":6}')
        bmp = shots / "box-1.bmp"
        if not bmp.exists() or bmp.stat().st_size == 0:
            self.check.fail(f"no picture at {bmp}")
            return
        data = bmp.read_bytes()
        self.check.equal("picture signature", b"BM", data[:2])
        self.check.equal("bits a pixel", 24, struct.unpack_from("<H", data, 28)[0])
        # A box that never reached the screen captures as one flat colour.
        spread = subprocess.run(["convert", str(bmp), "-format",
                                 "%[fx:standard_deviation > 0.05]", "info:"],
                                capture_output=True, encoding="utf-8", check=False)
        self.check.equal("picture shows more than a blank", "1", spread.stdout.rstrip("\n"))
        subprocess.run(["convert", str(bmp), str(shots / "box-1.png")], check=False)

    def failures(self) -> None:
        rc = self.drive("unanswered", "box", "68", "-", QUESTION)
        self.expect_run("unanswered", rc, 90, SETUP_BOX,
                        '{"error":"no answer left for a box with buttons yesno"}')
        rc = self.drive("wrong", "box", "0", "-", "n", answers=("yes",))
        self.expect_run("wrong", rc, 90, box("n"),
                        '{"error":"the box has no button for the answer yes"}')
        # The timeout counts from the start, so it leaves a loaded machine the seconds it may take
        # to show the box; what runs out is the wait for the hold.
        rc = self.drive("stuck", "box", "68", "-", QUESTION, answers=("yes",),
                        hold=self.out / "never", timeout=15)
        self.expect_run("stuck", rc, 91, SETUP_BOX, '{"error":"the hold was not released in time"}')
        # A program that shows no box at all: its exit code passes through.
        rc = self.drive("silent", "unknown-command")
        self.expect_run("silent", rc, 2, '{"exit":2}')


GROUPS = ("answers", "icons", "text", "instance", "screenshot", "failures")


def main() -> int:
    if len(sys.argv) != 6 or sys.argv[1] not in GROUPS:
        print(__doc__, file=sys.stderr)
        return 2
    group, prefix, mbdriver, probe, out = sys.argv[1], *map(pathlib.Path, sys.argv[2:])
    # Wine runs as the tests' unprivileged user, who writes the logs in a folder of its own.
    out = out.resolve()
    wine_user.give(out.parent)
    wine_user.become()
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    test = DriverTest(group, prefix, mbdriver, probe, out)
    getattr(test, group)()
    return test.check.verdict()


if __name__ == "__main__":
    sys.exit(main())

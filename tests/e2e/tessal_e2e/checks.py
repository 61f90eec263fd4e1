"""Soft assertions: each failed check is reported on a line of its own and counted, and the test
goes on, so that one run shows every way in which it went wrong."""

from __future__ import annotations

import re
from typing import Sequence

from .expected.boxes import FailureReport
from .machine import VOLATILE_KEYS
from .registry import Registry
from .runs import Run


class Checks:
    def __init__(self, name: str):
        self.name = name
        self.failures = 0

    def fail(self, message: str) -> None:
        print(f"FAIL [{self.name}]: {message}", flush=True)
        self.failures += 1

    def equal(self, what: str, expected, actual) -> None:
        if expected != actual:
            self.fail(f"{what}: expected {expected!s}, got {actual!s}")

    def true(self, what: str, condition: bool) -> None:
        if not condition:
            self.fail(what)

    def run(self, what: str, run: Run, exit_code: int, boxes: list) -> None:
        """The boxes in order (a failure report stands for any report that it matches) and the
        exit code."""
        for error in run.errors:
            self.fail(f"{what}: mbdriver: {error}")
        self.equal(f"{what}: exit code{run.unlogged_end()}", exit_code, run.exit_code)
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

    def lines(self, what: str, expected: Sequence, actual: Sequence[str]) -> None:
        """Lines, one by one; a pattern stands for any line that it matches."""
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

    def registry_unchanged(self, what: str, before: Registry, after: Registry,
                           except_keys: tuple[str, ...] = ()) -> None:
        for difference in before.differences(after, VOLATILE_KEYS + except_keys):
            self.fail(f"{what}: registry changed: {difference}")

    def verdict(self) -> int:
        """The exit code of a test made of these checks, after its last: PASS said aloud."""
        if self.failures:
            return 1
        print(f"PASS [{self.name}]")
        return 0

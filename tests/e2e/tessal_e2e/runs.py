"""What a run of a program under mbdriver, the message-box driver, came to: the boxes it showed,
as mbdriver logged them, and how it ended."""

from __future__ import annotations

import dataclasses
import json
import pathlib
import time

# mbdriver's exit code for a program that it killed as asked.
KILLED = 93


@dataclasses.dataclass(frozen=True)
class Box:
    caption: str
    text: str
    code: int

    def __str__(self) -> str:
        return f"[{self.caption}] {self.text!r} ({self.code})"


@dataclasses.dataclass
class Run:
    """One run of a program under mbdriver: the boxes it showed, in order, and how it ended.
    killed is set for a run that mbdriver killed as asked: the milliseconds from the first answer
    to the kill, -1 for a kill before any answer. ended says whether mbdriver logged the end;
    printed is what the run's processes printed, Wine's messages among it, if it was kept."""
    exit_code: int
    boxes: list[Box]
    errors: list[str]
    killed: int | None = None
    ended: bool = False
    printed: str | None = None

    @classmethod
    def from_log(cls, exit_code: int, log: pathlib.Path,
                 output: pathlib.Path | None = None) -> Run:
        """The run that mbdriver logged, which ended with exit_code. The program's own exit code,
        which mbdriver logs whole, wins: a Linux process's status keeps only its low 8 bits, and
        3010 would come back as 194."""
        boxes, errors, killed, ended = [], [], None, False
        text = log.read_text(encoding="utf-8") if log.exists() else ""
        for line in text.splitlines():
            record = json.loads(line)
            if "caption" in record:
                boxes.append(Box(record["caption"], record["text"], record["code"]))
            elif "error" in record:
                errors.append(record["error"])
            elif "killed" in record:
                killed, ended = -1 if record["killed"] is None else record["killed"], True
            elif "exit" in record:
                exit_code, ended = record["exit"], True
        printed = None
        if output is not None and output.exists():
            printed = output.read_text(encoding="utf-8", errors="replace")
        return cls(exit_code, boxes, errors, killed, ended, printed)

    def unlogged_end(self) -> str:
        """For a report of a wrong exit code: nothing if mbdriver logged how the program ended;
        otherwise the code is mbdriver's own or its Wine process's status, and the end of what
        the run printed says more."""
        if self.ended:
            return ""
        printed = "not kept" if self.printed is None else repr(self.printed[-2000:])
        return f" (mbdriver logged no end of the program; what the run printed: {printed})"


def wait_for_box(log: pathlib.Path, timeout: float = 60) -> bool:
    """Waits until a run logs its first record, for a run started and not yet ended."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if log.exists() and log.stat().st_size > 0:
            return True
        time.sleep(0.1)
    return False

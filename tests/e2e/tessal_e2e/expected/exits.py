"""The exit codes of setup.exe and what each means, in the words of the program's log."""

from __future__ import annotations

import enum


class Exit(enum.IntEnum):
    COMPLETED = 0
    FAILED = 1
    PRODUCT_MISSING = 2
    ALREADY_RUNNING = 3
    DECLINED = 4
    COMPLETED_WITH_PROBLEMS = 5
    INVALID_ARGUMENTS = 87

    @property
    def meaning(self) -> str:
        return _MEANINGS[self]

    @classmethod
    def of_completion(cls, odbc: bool) -> Exit:
        """A run that goes to its end: 0, or 5 when the data source, for want of an Access driver
        that takes it, was reported as not registered."""
        return cls.COMPLETED if odbc else cls.COMPLETED_WITH_PROBLEMS


_MEANINGS = {
    Exit.COMPLETED: "setup completed",
    Exit.FAILED: "ended by a failure",
    Exit.PRODUCT_MISSING: "the JDK or Tomcat is not installed, or its folder could not be read",
    Exit.ALREADY_RUNNING: "another copy of the program is running",
    Exit.DECLINED: "the question was answered No",
    Exit.COMPLETED_WITH_PROBLEMS: "setup completed, but a message reported a problem",
    Exit.INVALID_ARGUMENTS: "the command line means nothing to the program",
}


def meaning(code: int) -> str:
    """What an exit code means, or "unknown" for one that the program never gives."""
    try:
        return Exit(code).meaning
    except ValueError:
        return "unknown"

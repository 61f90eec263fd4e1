"""How setup.exe can end: each outcome with its exit code and the words of the program's log,
read from the program's own definition of them, setup/outcomes.def."""

from __future__ import annotations

import pathlib
import re

DEFINITION = pathlib.Path(__file__).resolve().parents[4] / "setup" / "outcomes.def"


class Outcome(int):
    """An exit code that knows the outcome it stands for: several outcomes share 1603, which
    their log lines tell apart."""
    name: str
    meaning: str

    def __new__(cls, name: str, code: int, meaning: str) -> Outcome:
        outcome = super().__new__(cls, code)
        outcome.name, outcome.meaning = name, meaning
        return outcome

    def __repr__(self) -> str:
        return f"{self.name} ({int(self)})"


def _read(definition: pathlib.Path) -> dict[str, Outcome]:
    """The outcomes by name, kSetUpRestartRequired as SET_UP_RESTART_REQUIRED."""
    outcomes = {}
    for name, code, meaning in re.findall(r'^(?:SETUP|VERIFY)_OUTCOME\(k(\w+), (\d+), "(.*)"\)$',
                                          definition.read_text(encoding="utf-8"), re.MULTILINE):
        constant = re.sub(r"(?<!^)(?=[A-Z])", "_", name).upper()
        outcomes[constant] = Outcome(constant, int(code), meaning)
    return outcomes


OUTCOMES = _read(DEFINITION)


class Exit:
    """The outcomes by their names in the program."""
    SET_UP = OUTCOMES["SET_UP"]
    SET_UP_RESTART_REQUIRED = OUTCOMES["SET_UP_RESTART_REQUIRED"]
    DECLINED = OUTCOMES["DECLINED"]
    FAILED = OUTCOMES["FAILED"]
    PRODUCT_MISSING = OUTCOMES["PRODUCT_MISSING"]
    PROBLEM_REPORTED = OUTCOMES["PROBLEM_REPORTED"]
    ALREADY_RUNNING = OUTCOMES["ALREADY_RUNNING"]
    INVALID_COMMAND_LINE = OUTCOMES["INVALID_COMMAND_LINE"]
    MATCHES = OUTCOMES["MATCHES"]
    DIFFERS = OUTCOMES["DIFFERS"]
    UNVERIFIED = OUTCOMES["UNVERIFIED"]

    @classmethod
    def of_completion(cls, odbc: bool, first: bool = True) -> Outcome:
        """A run that goes to its end: set up, with a restart where it changed the environment
        (a first run), or a problem reported where the data source, for want of an Access driver
        that takes it, was not registered."""
        if not odbc:
            return cls.PROBLEM_REPORTED
        return cls.SET_UP_RESTART_REQUIRED if first else cls.SET_UP


def meaning(code: int) -> str:
    """What an exit code means, or "unknown" for one that the program never gives."""
    meanings = [o.meaning for o in OUTCOMES.values() if o == code]
    return " / ".join(meanings) if meanings else "unknown"

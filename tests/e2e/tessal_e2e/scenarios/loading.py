"""What the program loads and where it looks: no DLL from beside it, and the registry view of its
own width, which is why the program that ships is 32-bit."""

from __future__ import annotations

import shutil

from ..catalog import EVERY_WIDTH, scenario
from ..expected.boxes import NO_JDK
from ..machine import DIST
from ..scenario import Scenario
from .completing import full_run
from .unchanged import ends_without_product


@scenario(machines=EVERY_WIDTH)
def planted_dll(s: Scenario) -> None:
    """An ODBCCP32.dll laid beside setup.exe, and Wine told to take a DLL that it finds before its
    own, as Windows searches: the run is a full run all the same, the data source registered by
    the system's installer, and the planted DLL never runs."""
    # Without a driver the system's installer refuses as the planted one does: nothing to tell.
    s.check.true("no Access driver to tell the installers apart", s.odbc)
    planted = s.programs.needed(s.programs.planted_dll, "planted_dll needs --planted-dll")
    shutil.copyfile(planted, s.machine.host_path(DIST + r"\ODBCCP32.dll"))
    s.machine.prefer_native("odbccp32")
    full_run(s)
    marker = s.machine.host_path(DIST + r"\planted-dll-ran.txt")
    if marker.exists():
        s.check.fail(f"the planted DLL ran with the program's rights: {marker.read_bytes()!r}")


@scenario()
def x64_build(s: Scenario) -> None:
    """Why the program ships as 32-bit: on a machine whose products are 32-bit, the x86_64 build
    reads the 64-bit view, finds no JDK and changes nothing; the i686 build then finds both."""
    x64_setup = s.programs.needed(s.programs.x64_setup,
                                  "x64_build needs --x64-setup: the x86_64 build of setup.exe")
    s.machine.put_setup(x64_setup)
    ends_without_product(s, "the x86_64 build", NO_JDK)
    s.machine.put_setup(s.programs.setup)
    full_run(s)

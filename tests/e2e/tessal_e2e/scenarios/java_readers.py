"""The configuration that a run rewrote, read back by the JDK's own readers as tessal reads it:
each gives back the Tomcat folder exactly, whatever characters it holds."""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess

from ..catalog import scenario
from ..expected.files import REWRITES
from ..expected.state import Homes
from ..machine import WOW64
from ..scenario import Scenario
from .completing import full_run

# Tomcat folders that each configuration file must name so that tessal's Java reads them back:
# characters of code page 932 whose second byte is 0x5C ("\\"), characters that only Windows' form
# of Shift_JIS has, XML's "&", a "%" before a letter that a FileHandler pattern takes for its own.
TOMCAT_FOLDERS = {
    "shift_jis_5c": r"C:\ソフト\表計算 能力\Tomcat 4.1",
    "windows_31j": r"C:\髙橋①～\Tomcat 4.1",
    "ampersand": r"C:\R&D\Tomcat 4.1",
    "percent": r"C:\100%tools\Tomcat 4.1",
    "ascii": WOW64.tomcat_home,
}
CONFIGURATION_READER = pathlib.Path(__file__).resolve().parents[2] / "java/ReadConfiguration.java"


# The JDK's readers check what the program that ships writes.
@scenario(cases=TOMCAT_FOLDERS)
def java_reads(s: Scenario, tomcat: str) -> None:
    """A run for a Tomcat folder, then the configuration files read back by the JDK's own readers
    as tessal reads them: each gives back the folder exactly."""
    if tomcat != s.homes.tomcat:
        s.homes = Homes(tomcat)
        s.machine.install_tomcat(tomcat)
    full_run(s)
    slash = s.homes.slash
    logs = f"{slash}/webapps/tessal/logs"
    # The handler's pattern names "C:/...": a folder "C:" below the one the reader starts in.
    scratch = s.folder / "java"
    shutil.rmtree(scratch, ignore_errors=True)
    (scratch / logs).mkdir(parents=True)
    files = [s.machine.host_path(f"{s.homes.folder(r.base)}\\{r.file}") for r in REWRITES]
    read = subprocess.run(["java", str(CONFIGURATION_READER), *map(str, files), str(scratch)],
                          cwd=scratch, env={**os.environ, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"},
                          capture_output=True, encoding="utf-8", check=False)
    if read.returncode != 0:
        s.check.fail(f"the Java reader failed: {read.stderr}")
        return
    values: dict[str, list[str]] = {}
    for line in read.stdout.splitlines():
        key, _, value = line.partition("=")
        values.setdefault(key, []).append(value)
    s.check.equal(f"the FileHandler's log file (pattern {values.get('pattern')})",
                  [f"{logs}/system.log.0"], values.get("logfile"))
    s.check.equal("web.xml's tessal.home", [tomcat + "\\webapps\\tessal\\"],
                  values.get("param-value"))
    s.check.equal("poolman.xml's logFile", [f"{logs}/poolman.log"], values.get("logFile"))

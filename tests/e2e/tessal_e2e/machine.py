"""A Windows machine for end-to-end runs: a Wine prefix with the JDK 1.4 and Tomcat 4.1 installed
and registered, the distribution laid out in it, and programs run under mbdriver.

Everything is read back from the outside: the registry from the prefix's hive file, the product
folders from the prefix's drive, the message boxes from mbdriver's log.
"""

from __future__ import annotations

import dataclasses
import hashlib
import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile

from .registry import (HKLM, JDK_KEY, REG_SZ, TOMCAT_KEY, RegEdit, Registry, Value,
                       in_view)
from .runs import Run

REPO = pathlib.Path(__file__).resolve().parents[3]
SAMPLE = REPO / "sample"
PREFIX_SH = REPO / "tests" / "wine" / "prefix.sh"
SCREEN_SH = REPO / "tests" / "wine" / "screen.sh"
REGISTER_ODBC_SH = REPO / "tests" / "odbc_driver" / "register.sh"
# wine64 without address randomization, as tests/wine/run.sh starts it and for the same reason: a
# randomly placed heap may take the address of Windows' shared user data, and Wine then exits.
WINE = ("setarch", "--addr-no-randomize", "/usr/lib/wine/wine64")

X11_DRIVER_KEY = r"HKEY_CURRENT_USER\Software\Wine\X11 Driver"
WINE_DEBUG_KEY = r"HKEY_CURRENT_USER\Software\Wine\Debug"
# Every entry of user32 that shows a message box, whichever a program calls, in both widths.
MESSAGE_BOX_ENTRIES = ";".join(f"user32.{entry}{width}" for entry in (
    "MessageBox", "MessageBoxEx", "MessageBoxIndirect", "MessageBoxTimeout") for width in "AW")
# The calls that change the registry or the ODBC data sources, by their names in any DLL.
WRITING_ENTRIES = ";".join(f"{entry}{width}" for entry in (
    "RegSetValueEx", "RegSetValue", "RegCreateKeyEx", "RegCreateKey", "RegDeleteValue",
    "RegDeleteKey", "RegDeleteKeyEx", "RegDeleteTree", "SQLConfigDataSource",
    "SQLWritePrivateProfileString") for width in ("A", "W", ""))
# Written by Wine itself whenever the machine starts (the display driver's date).
VOLATILE_KEYS = (HKLM + r"\System\CurrentControlSet\Control\Class"
                 r"\{4d36e968-e325-11ce-bfc1-08002be10318}",)

# Wine's own programs and libraries, which no run changes: the copies of a machine share them.
SHARED = ("drive_c/windows/system32", "drive_c/windows/syswow64", "drive_c/windows/winsxs")

JAVA_HOME = r"C:\j2sdk1.4.2_19"
DIST = r"C:\dist"

# What an installed product already holds, so that the setup overwrites files as on a real
# machine instead of only filling empty folders.
INSTALLED_JDK_FILES = {
    r"jre\lib\logging.properties":
        b"# Default logging configuration of the runtime\r\nhandlers= "
        b"java.util.logging.ConsoleHandler\r\n.level= INFO\r\n",
}
INSTALLED_TOMCAT_FILES = {
    r"conf\server.xml": b'<Server port="8005" shutdown="SHUTDOWN" debug="0">\r\n</Server>\r\n',
    r"webapps\ROOT\index.html": b"<html><body>Tomcat 4.1</body></html>\r\n",
}


@dataclasses.dataclass(frozen=True)
class Windows:
    """A kind of 64-bit Windows machine, named for the build of setup.exe that runs on it, and
    where that build's products are installed and registered. A program sees HKLM\\SOFTWARE
    through the registry view of its own width."""
    name: str
    view: int  # 64 or 32: the registry view of the program, its products and its ODBC
    tomcat_home: str
    regedit: str  # a regedit of the program's width, which writes in its view


# The x86_64 build on 64-bit Windows, and the i686 build that ships, under WoW64: a 32-bit JDK,
# Tomcat and Access driver register in the 32-bit view and install under Program Files (x86).
X64 = Windows("x64", 64, r"C:\Program Files\Apache Group\Tomcat 4.1", "regedit")
WOW64 = Windows("wow64", 32, r"C:\Program Files (x86)\Apache Group\Tomcat 4.1",
                r"C:\windows\syswow64\regedit.exe")
KINDS = {kind.name: kind for kind in (X64, WOW64)}


def read_attributes(sample: pathlib.Path = SAMPLE) -> list[tuple[str, str]]:
    """(attribute, file below the sample) for each line of the sample's ATTRIBUTES."""
    entries = []
    for line in (sample / "ATTRIBUTES").read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            attribute, name = line.split(None, 1)
            entries.append((attribute, name.strip()))
    return entries


def share_wine_files(prefix: pathlib.Path) -> None:
    """Makes the files of Wine's own folders read-only, so that copies may share them: Wine runs
    as a user whom file permissions bind, so a program that tried to change one would be refused
    rather than change it on every machine."""
    for folder in SHARED:
        subprocess.run(["find", str(prefix / folder), "-type", "f", "-exec", "chmod", "a-w", "{}",
                        "+"], check=True)


def copy_prefix(source: pathlib.Path, target: pathlib.Path, below: str = "") -> None:
    """Copies a prefix as cp -a does, but links the files of Wine's own folders to the source's:
    copying over a gigabyte for every machine cost seconds of processor time each."""
    target.mkdir()
    shutil.copystat(source, target)
    copied, linked = [], []
    for entry in source.iterdir():
        relative = f"{below}{entry.name}"
        if relative in SHARED:
            linked.append(str(entry))
        elif any(folder.startswith(f"{relative}/") for folder in SHARED):
            copy_prefix(entry, target / entry.name, f"{relative}/")
        else:
            copied.append(str(entry))
    for option, entries in (("-a", copied), ("-al", linked)):
        if entries:
            subprocess.run(["cp", option, *entries, str(target)], check=True)


def exit_status(status: int) -> str:
    """A Wine program's status as the failure report gives it: a Windows program's own failure
    has a code, one ended from outside (its wineserver gone) a signal."""
    if status < 0:
        return f"signal {-status} ({signal.strsignal(-status)})"
    return f"status {status}"


def windows_path(host: pathlib.Path) -> str:
    """A file of this host as a Windows program in the prefix names it: Wine maps / to Z:."""
    return "Z:" + str(pathlib.Path(host).resolve()).replace("/", "\\")


def write_calls(output: pathlib.Path) -> list[str]:
    """The calls that change the registry or the data sources, as Wine reported them on a run's
    output for a machine that watches them."""
    text = output.read_text(encoding="utf-8", errors="replace") if output.exists() else ""
    names = WRITING_ENTRIES.split(";")
    return [line for line in text.splitlines()
            if ":Call " in line and any(f".{name}(" in line for name in names)]


def message_box_calls(output: pathlib.Path) -> list[str]:
    """The calls into user32 that show a message box, as Wine reported them on a run's output for
    a machine that watches them."""
    text = output.read_text(encoding="utf-8", errors="replace") if output.exists() else ""
    return [line for line in text.splitlines() if ":Call user32.MessageBox" in line]


class Machine:
    """A Windows machine: a Wine prefix, the X display its windows go to, and the message-box
    driver that plays its user."""

    def __init__(self, prefix: pathlib.Path, display: str, mbdriver: pathlib.Path,
                 windows: Windows = X64):
        self.prefix = pathlib.Path(prefix).resolve()
        self.display = display
        self.mbdriver = pathlib.Path(mbdriver).resolve()
        self.windows = windows
        # Changes in the program's view of HKLM\SOFTWARE, made as its own installers make them,
        # and changes to the rest of the registry.
        self._edits = {windows.regedit: RegEdit(), X64.regedit: RegEdit()}
        self._registry: tuple[tuple[int, int], Registry] | None = None  # the last hive read
        self._native_first: list[str] = []  # DLLs that Wine takes from the search path first
        self._debug = "-all"  # Wine's debug channels
        self._environment: dict[str, str] = {}  # for the programs that run on the machine
        self._screen: subprocess.Popen | None = None  # an X server of the machine's own

    # Making, copying and removing prefixes.

    @classmethod
    def create(cls, prefix: pathlib.Path, mbdriver: pathlib.Path,
               windows: Windows = X64) -> Machine:
        """A freshly booted prefix with a Japanese desktop on an X server of its own."""
        prefix = pathlib.Path(prefix).resolve()
        subprocess.run([str(PREFIX_SH), "setup", str(prefix)], check=True)
        machine = cls.existing(prefix, mbdriver, windows)
        # Wine hands its windows to the window manager and waits up to two seconds for it to
        # confirm each box taken down; Xvfb runs none, so every box would cost those seconds.
        machine.set_value(X11_DRIVER_KEY, "Managed", Value(REG_SZ, "N"))
        return machine

    @classmethod
    def existing(cls, prefix: pathlib.Path, mbdriver: pathlib.Path,
                 windows: Windows = X64) -> Machine:
        prefix = pathlib.Path(prefix).resolve()
        display = pathlib.Path(f"{prefix}.display").read_text().split()[0]
        return cls(prefix, display, mbdriver, windows)

    def copy(self, prefix: pathlib.Path) -> Machine:
        """A machine in the same state as this one, on the same display. The copy has a wineserver
        of its own: Wine keys its server by the prefix folder."""
        self.stop()
        prefix = pathlib.Path(prefix).resolve()
        # A copy left by an earlier run that was killed may still have its server.
        Machine(prefix, self.display, self.mbdriver).stop()
        shutil.rmtree(prefix, ignore_errors=True)
        prefix.parent.mkdir(parents=True, exist_ok=True)
        copy_prefix(self.prefix, prefix)
        return Machine(prefix, self.display, self.mbdriver, self.windows)

    def show_on_own_screen(self) -> None:
        """Starts an X server for this machine's windows alone, as every Windows machine has a
        screen of its own: mbdriver tells a box's icon by its pixels, and the boxes of two
        machines on one screen lie over each other. The server ends with the machine, or with
        the thread that started it if that ends first."""
        ready, write = os.pipe()
        self._screen = subprocess.Popen(
            ["setpriv", "--pdeathsig", "TERM", str(SCREEN_SH), str(write)], pass_fds=(write,),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with open(ready, encoding="ascii") as display:
            self.display = display.readline().strip()
        if not self.display:
            raise RuntimeError(f"Xvfb gave no display: {exit_status(self._screen.wait())}")

    def destroy(self) -> None:
        """Stops the prefix's wineserver and its X server (if it has one) and removes it."""
        subprocess.run([str(PREFIX_SH), "cleanup", str(self.prefix)], check=False)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def discard(self) -> None:
        """Shuts a copy down and removes it."""
        self.shut_down()
        shutil.rmtree(self.prefix, ignore_errors=True)

    # Wine processes.

    def prefer_native(self, *dlls: str) -> None:
        """Has Wine load a DLL of these names that the search finds before its own, as Windows
        does for any DLL that is not a known one: a DLL laid beside a program is then taken."""
        self._native_first += dlls

    def watch_message_boxes(self) -> None:
        """Has Wine report every call into user32 that would show a message box, whatever process
        makes it, on that process's output: its relay channel, narrowed to those entries. Unlike
        mbdriver, which sees the boxes that reach the screen, this sees a call that shows none."""
        self.set_value(WINE_DEBUG_KEY, "RelayInclude", Value(REG_SZ, MESSAGE_BOX_ENTRIES))
        self._debug = "-all,+relay"

    def watch_writes(self, program: str) -> None:
        """Has Wine report every call that the program (setup.exe) makes to change the registry or
        the data sources, on its output: its relay channel, narrowed to those entries and to the
        calls the program itself makes."""
        self.set_value(WINE_DEBUG_KEY, "RelayInclude", Value(REG_SZ, WRITING_ENTRIES))
        # Wine reads the list of callers to include only where there is none to exclude.
        self.delete_value(WINE_DEBUG_KEY, "RelayFromExclude")
        self.set_value(WINE_DEBUG_KEY, "RelayFromInclude", Value(REG_SZ, program))
        self._debug = "-all,+relay"

    def set_environment(self, name: str, value: str) -> None:
        """An environment variable for every program that runs on the machine from now on."""
        self._environment[name] = value

    def environment(self) -> dict[str, str]:
        env = {**os.environ, **self._environment}
        overrides = ";".join(["mscoree,mshtml="] + [f"{dll}=n,b" for dll in self._native_first])
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG=self._debug, WINEDLLOVERRIDES=overrides,
                   LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8", DISPLAY=f":{self.display}")
        return env

    def wine(self, *args: str, timeout: float = 120, debug: str = "") -> tuple[int, str]:
        """Runs a Windows program to its end; its exit code and what it printed, with the debug
        channels added. The output goes through a file: the services that the first program of a
        prefix starts inherit its handles, and a pipe would stay open until they end."""
        env = self.environment()
        env["WINEDEBUG"] += debug
        with tempfile.TemporaryFile() as output:
            result = subprocess.run([*WINE, *args], env=env, timeout=timeout,
                                    stdin=subprocess.DEVNULL, stdout=output, stderr=output)
            output.seek(0)
            return result.returncode, output.read().decode("utf-8", "replace")

    def tool(self, *args: str) -> None:
        """Runs one of Windows' own tools that prepares the machine; one that fails stops the
        scenario. Such a failure is Wine's, not the program's, and rare: the report carries
        Wine's errors and the processes it started and ended, to say what happened."""
        status, output = self.wine(*args, debug=",err+all,+process")
        if status != 0:
            raise RuntimeError(f"{' '.join(args)} failed with {exit_status(status)}:\n{output}")

    def start_wine(self, *args: str) -> subprocess.Popen:
        """Starts a Windows program and returns at once."""
        return subprocess.Popen([*WINE, *args], env=self.environment(), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self) -> None:
        """Ends every process of the prefix; the wineserver saves the registry as it goes."""
        if self.prefix.is_dir():
            env = self.environment()
            subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, check=False)
            subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, check=False)

    def shut_down(self) -> None:
        """Stops the prefix and ends the machine's own X server if it has one; the prefix stays."""
        self.stop()
        if self._screen is not None:
            self._screen.terminate()
            self._screen.wait()
            self._screen = None

    # The registry.

    def _edit(self, key: str, native: bool = False) -> RegEdit:
        program_view = in_view(key) and not native
        return self._edits[self.windows.regedit if program_view else X64.regedit]

    def set_value(self, key: str, name: str, value: Value, native: bool = False) -> None:
        """Sets a value as the program sees it: in its own view of HKLM\\SOFTWARE, or in the
        64-bit view for a setting of Wine's own, which its 64-bit services read."""
        self._edit(key, native).set(key, name, value)

    def delete_key(self, key: str) -> None:
        self._edit(key).delete_key(key)

    def delete_value(self, key: str, name: str) -> None:
        self._edit(key).delete_value(key, name)

    def apply_registry_changes(self) -> None:
        """Imports the changes asked for since the last import, with one regedit a view."""
        for regedit, edit in self._edits.items():
            if not edit:
                continue
            reg = self.prefix / "drive_c" / "changes.reg"
            edit.write(reg)
            try:
                self.tool(regedit, "/S", r"C:\changes.reg")
            finally:
                reg.unlink()
            self._edits[regedit] = RegEdit()

    def registry(self) -> Registry:
        """HKEY_LOCAL_MACHINE as it is now. Stops the prefix, which is what writes the hive."""
        self.apply_registry_changes()
        self.stop()
        hive = self.prefix / "system.reg"
        stamp = (hive.stat().st_mtime_ns, hive.stat().st_size)
        if self._registry is None or self._registry[0] != stamp:
            self._registry = (stamp, Registry.load(hive, self.windows.view))
        return self._registry[1]

    def query(self, key: str) -> dict[str, str]:
        """A key's values as Wine's reg.exe shows them to a running program, by their names in
        lower case as the registry compares them; empty for a key that does not exist. Unlike
        registry, this leaves the prefix running."""
        _, output = self.wine("reg", "query", key)
        values = {}
        for line in output.replace("\r", "").splitlines():
            shown = re.fullmatch(r"    (.*)    REG_[A-Z_]*    (.*)", line)
            if shown:
                values[shown[1].lower()] = shown[2]
        return values

    # Files.

    def host_path(self, path: str) -> pathlib.Path:
        """The host file behind a path of the machine, on any of its drives."""
        drive, colon, rest = path.partition(":")
        if not colon or len(drive) != 1:
            raise ValueError(f"not a path on a drive: {path}")
        root = self.prefix / "dosdevices" / f"{drive.lower()}:"
        return root / pathlib.PureWindowsPath(rest.lstrip("\\")).as_posix()

    def map_drive(self, letter: str, folder: pathlib.Path, kind: str = "hd") -> None:
        """Gives the machine a drive that is a host folder; kind is Wine's drive type ("hd",
        "cdrom", ...)."""
        device = self.prefix / "dosdevices" / f"{letter.lower()}:"
        device.unlink(missing_ok=True)
        device.symlink_to(pathlib.Path(folder).resolve())
        self.set_value(HKLM + r"\Software\Wine\Drives", f"{letter.lower()}:",
                       Value(REG_SZ, kind), native=True)

    def attrib(self, flags: str, path: str, recursive: bool = False) -> None:
        """Sets or clears file attributes as Windows' attrib does ("+r", "-h", ...)."""
        self.tool("attrib", flags, path, *(["/s"] if recursive else []))

    def tree(self, folder: str) -> dict[str, bytes]:
        """Every file below the folder, by its path below it written with "\\"."""
        root = self.host_path(folder)
        return {str(pathlib.PureWindowsPath(p.relative_to(root))): p.read_bytes()
                for p in sorted(root.rglob("*")) if p.is_file()}

    def write_files(self, folder: str, files: dict[str, bytes]) -> None:
        for name, data in files.items():
            path = self.host_path(folder + "\\" + name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)

    # The products and the distribution.

    def install_jdk(self, home: str = JAVA_HOME) -> None:
        self.host_path(home + r"\jre").mkdir(parents=True, exist_ok=True)
        self.write_files(home, INSTALLED_JDK_FILES)
        self.set_value(JDK_KEY, "JavaHome", Value(REG_SZ, home))
        self.set_value(JDK_KEY, "RuntimeLib", Value(REG_SZ, home + r"\jre\bin\client\jvm.dll"))

    def install_tomcat(self, home: str | None = None) -> None:
        home = home or self.windows.tomcat_home
        self.host_path(home + r"\webapps").mkdir(parents=True, exist_ok=True)
        self.write_files(home, INSTALLED_TOMCAT_FILES)
        self.set_value(TOMCAT_KEY, "", Value(REG_SZ, home))
        self.set_value(TOMCAT_KEY, "Version", Value(REG_SZ, "4.1.40"))

    def register_odbc_driver(self, dll: pathlib.Path) -> None:
        """Registers a setup DLL for the Access driver in the ODBC of the program's width; Wine
        brings no Access driver of its own."""
        self.apply_registry_changes()
        subprocess.run(["bash", str(REGISTER_ODBC_SH), str(self.prefix), str(dll),
                        str(self.windows.view)],
                       env=self.environment(), check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL)

    def lay_distribution(self, folder: str = DIST, sample: pathlib.Path = SAMPLE) -> None:
        """Copies the packaged J2SE and TOMCAT folders into folder and gives the files listed in
        the sample's ATTRIBUTES their hidden or system attribute."""
        target = self.host_path(folder)
        target.mkdir(parents=True, exist_ok=True)
        for part in ("J2SE", "TOMCAT"):
            shutil.rmtree(target / part, ignore_errors=True)
            shutil.copytree(sample / part, target / part)
        for attribute, name in read_attributes(sample):
            self.attrib({"hidden": "+h", "system": "+s"}[attribute], folder + "\\" + name)

    def lay_checksums(self, folder: str = DIST) -> None:
        """Lays SHA256SUMS in the distribution over every file in it, setup.exe included, as the
        release folder carries it."""
        root = self.host_path(folder)
        files = sorted(p for p in root.rglob("*") if p.is_file() and p.name != "SHA256SUMS")
        (root / "SHA256SUMS").write_text("".join(
            f"{hashlib.sha256(p.read_bytes()).hexdigest()}  {p.relative_to(root).as_posix()}\n"
            for p in files), encoding="utf-8")

    def put_setup(self, setup_exe: pathlib.Path, folder: str = DIST) -> str:
        """Copies setup.exe into the distribution; returns its path on the machine."""
        shutil.copyfile(setup_exe, self.host_path(folder) / "setup.exe")
        return folder + r"\setup.exe"

    # Running programs under mbdriver.

    def driver_command(self, program: str, log: pathlib.Path, answers: tuple[str, ...] = (),
                       arguments: tuple[str, ...] = (),
                       shots: pathlib.Path | None = None, hold: pathlib.Path | None = None,
                       timeout: int = 60, kill_after: int | None = None,
                       kill_on: pathlib.Path | None = None,
                       kill_on_change: str | None = None, line: str | None = None,
                       station: str | None = None) -> list[str]:
        """The command that runs the program under mbdriver. The arguments reach the program each
        quoted; a line reaches it as it is, after them. With a station, the program runs in a
        window station of that name that no one sees."""
        command = [*WINE, str(self.mbdriver), "--log", windows_path(log), "--timeout", str(timeout)]
        if answers:
            command += ["--answers", ",".join(answers)]
        if shots is not None:
            command += ["--shots", windows_path(shots)]
        if hold is not None:
            command += ["--hold", windows_path(hold)]
        if kill_after is not None:
            command += ["--kill-after", str(kill_after)]
        if kill_on is not None:
            command += ["--kill-on", windows_path(kill_on)]
        if kill_on_change is not None:
            command += ["--kill-on-change", kill_on_change]
        if line is not None:
            command += ["--line", line]
        if station is not None:
            command += ["--station", station]
        return command + ["--", program, *arguments]

    def start(self, program: str, log: pathlib.Path, output: pathlib.Path | None = None,
              **options) -> subprocess.Popen:
        """Starts the program under mbdriver and returns at once; see run. What the processes
        print, Wine's debug channels included, goes to output if given."""
        self.apply_registry_changes()
        log.parent.mkdir(parents=True, exist_ok=True)
        log.unlink(missing_ok=True)
        command = self.driver_command(program, log, **options)
        if output is None:
            return subprocess.Popen(command, env=self.environment(), stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        with open(output, "wb") as printed:
            return subprocess.Popen(command, env=self.environment(), stdout=printed,
                                    stderr=printed)

    def run(self, program: str, log: pathlib.Path, **options) -> Run:
        """Runs the program under mbdriver, which answers its boxes with answers in order and
        every OK box after them; arguments go to the program."""
        process = self.start(program, log, **options)
        return Run.from_log(process.wait(timeout=180), log, options.get("output"))

"""A Windows machine for end-to-end runs of setup.exe: a Wine prefix with the JDK 1.4 and Tomcat
4.1 installed and registered, the distribution laid out in it, and setup.exe run under mbdriver.

Everything is read back from the outside: the registry from the prefix's hive file, the product
folders from the prefix's drive, the message boxes from mbdriver's log. Standard library only.
"""

from __future__ import annotations

import dataclasses
import json
import os
import pathlib
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
from typing import Callable

REPO = pathlib.Path(__file__).resolve().parents[2]
SAMPLE = REPO / "sample"
PREFIX_SH = REPO / "tests" / "wine" / "prefix.sh"
WINE = "/usr/lib/wine/wine64"

HKLM = "HKEY_LOCAL_MACHINE"
JDK_KEY = HKLM + r"\SOFTWARE\JavaSoft\Java Development Kit\1.4"
TOMCAT_KEY = HKLM + r"\SOFTWARE\Apache Software Foundation\Tomcat\4.1"
ENVIRONMENT_KEY = HKLM + r"\SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
ODBCINST_KEY = HKLM + r"\Software\ODBC\ODBCINST.INI"
ACCESS_DRIVER = "Microsoft Access Driver (*.mdb)"
DATA_SOURCES_KEY = HKLM + r"\Software\ODBC\ODBC.INI\ODBC Data Sources"
DATA_SOURCE_KEY = HKLM + r"\Software\ODBC\ODBC.INI\TESSAL"

X11_DRIVER_KEY = r"HKEY_CURRENT_USER\Software\Wine\X11 Driver"
WINE_DEBUG_KEY = r"HKEY_CURRENT_USER\Software\Wine\Debug"
# Every entry of user32 that shows a message box, whichever a program calls, in both widths.
MESSAGE_BOX_ENTRIES = ";".join(f"user32.{entry}{width}" for entry in (
    "MessageBox", "MessageBoxEx", "MessageBoxIndirect", "MessageBoxTimeout") for width in "AW")

# Every Wine process runs as this unprivileged user (tests/wine/user.sh makes it): Wine run as root
# ignores the read-only attribute and file permissions, which Windows enforces even for an
# administrator.
WINE_USER = "winetester"

JAVA_HOME = r"C:\j2sdk1.4.2_19"
DIST = r"C:\dist"


@dataclasses.dataclass(frozen=True)
class Windows:
    """A kind of 64-bit Windows machine, named for the build of setup.exe that runs on it, and
    where that build's products are installed and registered. A program sees HKLM\\SOFTWARE
    through the registry view of its own width; the rest of HKLM is one for both."""
    name: str
    view: int  # 64 or 32: the registry view of the program, its products and its ODBC
    tomcat_home: str
    regedit: str  # a regedit of the program's width, which writes in its view

    def in_view(self, key: str) -> bool:
        """Whether a key lies in the part of the registry that has a view per width."""
        return key.lower().startswith(HKLM.lower() + "\\software\\")

    def hive_key(self, key: str) -> str:
        """Where the hive keeps a key that a program of this machine names: a 32-bit program's
        HKLM\\SOFTWARE is HKLM\\SOFTWARE\\Wow6432Node."""
        if self.view == 64 or not self.in_view(key):
            return key
        head = len(HKLM + "\\software\\")
        return key[:head] + "Wow6432Node\\" + key[head:]


# The x86_64 build on 64-bit Windows, and the i686 build that ships, under WoW64: a 32-bit JDK,
# Tomcat and Access driver register in the 32-bit view and install under Program Files (x86).
X64 = Windows("x64", 64, r"C:\Program Files\Apache Group\Tomcat 4.1", "regedit")
WOW64 = Windows("wow64", 32, r"C:\Program Files (x86)\Apache Group\Tomcat 4.1",
                r"C:\windows\syswow64\regedit.exe")
KINDS = {kind.name: kind for kind in (X64, WOW64)}

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7
TYPE_NAMES = {REG_SZ: "REG_SZ", REG_EXPAND_SZ: "REG_EXPAND_SZ", REG_BINARY: "REG_BINARY",
              REG_DWORD: "REG_DWORD", REG_MULTI_SZ: "REG_MULTI_SZ"}

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


# --- The registry -------------------------------------------------------------------------------

@dataclasses.dataclass(frozen=True)
class Value:
    type: int
    data: str | bytes | int

    def __str__(self) -> str:
        return f"{TYPE_NAMES.get(self.type, self.type)} {self.data!r}"


_SIMPLE_ESCAPES = {"a": "\a", "b": "\b", "e": "\x1b", "f": "\f", "n": "\n", "r": "\r", "t": "\t",
                   "v": "\v"}


def _unescape(text: str, start: int, end_char: str) -> tuple[str, int]:
    """Reads a string as Wine's hive writes it, from start to the unescaped end_char; returns the
    string and the index after end_char."""
    end = text.find(end_char, start)
    if end >= 0 and text.find("\\", start, end) < 0:
        return text[start:end], end + 1  # the usual case: nothing escaped
    out = []
    i = start
    while i < len(text):
        c = text[i]
        if c == end_char:
            return "".join(out), i + 1
        if c != "\\":
            out.append(c)
            i += 1
            continue
        i += 1
        c = text[i]
        if c == "x":
            digits = ""
            i += 1
            while len(digits) < 4 and i < len(text) and text[i] in "0123456789abcdefABCDEF":
                digits += text[i]
                i += 1
            out.append(chr(int(digits, 16)))
        elif c in "01234567":
            digits = ""
            while len(digits) < 3 and i < len(text) and text[i] in "01234567":
                digits += text[i]
                i += 1
            out.append(chr(int(digits, 8)))
        else:
            out.append(_SIMPLE_ESCAPES.get(c, c))
            i += 1
    raise ValueError(f"unterminated string: {text[start:]!r}")


def _parse_data(data: str) -> Value:
    if data.startswith('"'):
        return Value(REG_SZ, _unescape(data, 1, '"')[0])
    if data.startswith("str("):
        kind, rest = data[4:].split("):", 1)
        return Value(int(kind, 16), _unescape(rest, 1, '"')[0])
    if data.startswith("dword:"):
        return Value(REG_DWORD, int(data[6:], 16))
    kind = REG_BINARY
    if data.startswith("hex("):
        head, data = data[4:].split("):", 1)
        kind = int(head, 16)
    elif data.startswith("hex:"):
        data = data[4:]
    else:
        raise ValueError(f"unknown value data: {data!r}")
    raw = bytes(int(b, 16) for b in data.replace(" ", "").split(",") if b)
    if kind in (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) and len(raw) % 2 == 0:
        # Text that Wine wrote in hex because it lacks its terminator (or has extra NULs).
        text = raw.decode("utf-16-le")
        return Value(kind, text[:-1] if text.endswith("\0") else text)
    return Value(kind, raw)


class Registry:
    """HKEY_LOCAL_MACHINE as the prefix's system.reg holds it, seen through the registry view of
    the program under test. Key paths and value names compare without regard to case, as Windows
    compares them; "" is a key's default value."""

    def __init__(self, keys: dict[str, dict[str, Value]], names: dict[str, dict[str, str]],
                 windows: Windows = X64):
        self._keys = keys
        self._names = names  # the value names as written, for showing them
        self.windows = windows

    def _key(self, key: str) -> str:
        return self.windows.hive_key(key).lower()

    def hive_key(self, key: str) -> str:
        """Where the hive keeps a key that the program names so."""
        return self.windows.hive_key(key)

    def seen_by(self, windows: Windows) -> Registry:
        """The same registry as a program of another width sees it."""
        return Registry(self._keys, self._names, windows)

    @classmethod
    def load(cls, hive: pathlib.Path, windows: Windows = X64) -> Registry:
        keys: dict[str, dict[str, Value]] = {}
        names: dict[str, dict[str, str]] = {}
        current: dict[str, Value] | None = None
        current_names: dict[str, str] = {}
        pending = ""
        for line in hive.read_text(encoding="utf-8", errors="surrogateescape").splitlines():
            if pending:
                line = pending + line.strip()
                pending = ""
            if line.endswith("\\") and not line.startswith("["):
                pending = line[:-1]
                continue
            if line.startswith("["):
                path, _ = _unescape(line, 1, "]")
                key = f"{HKLM}\\{path}".lower()
                current = keys.setdefault(key, {})
                current_names = names.setdefault(key, {})
            elif current is not None and line.startswith(("@=", '"')):
                if line.startswith("@="):
                    name, rest = "", line[2:]
                else:
                    name, after = _unescape(line, 1, '"')
                    rest = line[after + 1:]
                current[name.lower()] = _parse_data(rest)
                current_names[name.lower()] = name
        return cls(keys, names, windows)

    def has_key(self, key: str) -> bool:
        return self._key(key) in self._keys

    def values(self, key: str) -> dict[str, Value] | None:
        return self._keys.get(self._key(key))

    def named_values(self, key: str) -> dict[str, Value]:
        """The key's values by their names as written; empty for a key that does not exist."""
        names = self._names.get(self._key(key), {})
        return {names[lower]: value for lower, value in self._keys.get(self._key(key), {}).items()}

    def value(self, key: str, name: str) -> Value | None:
        return self._keys.get(self._key(key), {}).get(name.lower())

    def differences(self, other: Registry, ignore: tuple[str, ...] = ()) -> list[str]:
        """How other differs from this registry, key by key; keys below the prefixes in ignore
        are left out."""
        ignored = [self._key(prefix) for prefix in ignore]

        def kept(key: str) -> bool:
            return not any(key.startswith(prefix) for prefix in ignored)

        found = []
        for key in sorted(set(self._keys) | set(other._keys)):
            if not kept(key):
                continue
            mine, theirs = self._keys.get(key), other._keys.get(key)
            if mine is None or theirs is None:
                found.append(f"{key}: key {'added' if mine is None else 'removed'}")
                continue
            for name in sorted(set(mine) | set(theirs)):
                if mine.get(name) != theirs.get(name):
                    found.append(f"{key} [{name}]: {mine.get(name)} -> {theirs.get(name)}")
        return found


class RegEdit:
    """Registry changes gathered into one .reg file, so that they cost one regedit start."""

    def __init__(self) -> None:
        self._lines: list[str] = []

    def __bool__(self) -> bool:
        return bool(self._lines)

    @staticmethod
    def _quote(text: str) -> str:
        return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'

    def set(self, key: str, name: str, value: Value) -> None:
        if value.type == REG_SZ:
            data = self._quote(str(value.data))
        elif value.type == REG_DWORD:
            data = f"dword:{int(value.data):08x}"
        else:
            raw = value.data
            if isinstance(raw, str):
                raw = (raw + "\0").encode("utf-16-le")
            data = f"hex({value.type:x}):" + ",".join(f"{b:02x}" for b in raw)
        self._lines += [f"[{key}]", f"{'@' if name == '' else self._quote(name)}={data}", ""]

    def delete_key(self, key: str) -> None:
        self._lines += [f"[-{key}]", ""]

    def delete_value(self, key: str, name: str) -> None:
        self._lines += [f"[{key}]", f"{'@' if name == '' else self._quote(name)}=-", ""]

    def write(self, path: pathlib.Path) -> None:
        text = "\r\n".join(["Windows Registry Editor Version 5.00", ""] + self._lines) + "\r\n"
        path.write_bytes("\ufeff".encode("utf-16-le") + text.encode("utf-16-le"))


# --- The user that Wine runs as ----------------------------------------------------------------

def give_to_wine_user(*folders: pathlib.Path) -> None:
    """Run as root: makes each folder and hands it, with all it holds, to the Wine user. A folder
    that is the user's already is left alone: other runs may be working below it."""
    if os.geteuid() != 0:
        return
    user = pwd.getpwnam(WINE_USER)
    for folder in folders:
        folder.mkdir(parents=True, exist_ok=True)
        if folder.stat().st_uid != user.pw_uid:
            subprocess.run(["chown", "-R", f"{WINE_USER}:", str(folder)], check=True)


def become_wine_user() -> None:
    """Run as root: this process carries on as the Wine user, for good."""
    if os.geteuid() != 0:
        return
    try:
        user = pwd.getpwnam(WINE_USER)
    except KeyError:
        raise SystemExit(f"no user {WINE_USER} to run Wine as: run scripts/install-deps.sh first")
    os.setgroups(os.getgrouplist(WINE_USER, user.pw_gid))
    os.setgid(user.pw_gid)
    os.setuid(user.pw_uid)
    os.environ.update(HOME=user.pw_dir, USER=WINE_USER, LOGNAME=WINE_USER)
    # Modules still to be imported come from the interpreter's library.
    library = os.path.dirname(os.__file__)
    if not os.access(library, os.R_OK | os.X_OK):
        raise SystemExit(f"{WINE_USER} cannot read {library}: run this with /usr/bin/python3")


def as_wine_user_in_child(work: Callable[[], int]) -> int:
    """Run as root: does the work in a child process that runs as the Wine user, so that this
    process stays root for what comes after; the work's result."""
    sys.stdout.flush()
    pid = os.fork()
    if pid == 0:
        status = 1
        try:
            become_wine_user()
            status = work()
        except BaseException:  # the child must never return into the parent's code
            traceback.print_exc()
        finally:
            sys.stdout.flush()
            sys.stderr.flush()
            os._exit(status)
    return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])


# --- Runs under the message-box driver -----------------------------------------------------------

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
    to the kill, -1 for a kill before any answer."""
    exit_code: int
    boxes: list[Box]
    errors: list[str]
    killed: int | None = None

    @classmethod
    def from_log(cls, exit_code: int, log: pathlib.Path) -> Run:
        boxes, errors, killed = [], [], None
        text = log.read_text(encoding="utf-8") if log.exists() else ""
        for line in text.splitlines():
            record = json.loads(line)
            if "caption" in record:
                boxes.append(Box(record["caption"], record["text"], record["code"]))
            elif "error" in record:
                errors.append(record["error"])
            elif "killed" in record:
                killed = -1 if record["killed"] is None else record["killed"]
        return cls(exit_code, boxes, errors, killed)


# --- The machine ---------------------------------------------------------------------------------

def windows_path(host: pathlib.Path) -> str:
    """A file of this host as a Windows program in the prefix names it: Wine maps / to Z:."""
    return "Z:" + str(pathlib.Path(host).resolve()).replace("/", "\\")


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
        subprocess.run(["cp", "-a", str(self.prefix), str(prefix)], check=True)
        return Machine(prefix, self.display, self.mbdriver, self.windows)

    def destroy(self) -> None:
        """Stops the prefix's wineserver and its X server (if it has one) and removes it."""
        subprocess.run([str(PREFIX_SH), "cleanup", str(self.prefix)], check=False)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def discard(self) -> None:
        """Stops and removes a copy; the X server belongs to the machine it was copied from."""
        self.stop()
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

    def environment(self) -> dict[str, str]:
        env = dict(os.environ)
        overrides = ";".join(["mscoree,mshtml="] + [f"{dll}=n,b" for dll in self._native_first])
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG=self._debug, WINEDLLOVERRIDES=overrides,
                   LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8", DISPLAY=f":{self.display}")
        return env

    def wine(self, *args: str, timeout: float = 120) -> tuple[int, str]:
        """Runs a Windows program to its end; its exit code and what it printed. The output goes
        through a file: the services that the first program of a prefix starts inherit its
        handles, and a pipe would stay open until they end."""
        with tempfile.TemporaryFile() as output:
            result = subprocess.run([WINE, *args], env=self.environment(), timeout=timeout,
                                    stdin=subprocess.DEVNULL, stdout=output, stderr=output)
            output.seek(0)
            return result.returncode, output.read().decode("utf-8", "replace")

    def start_wine(self, *args: str) -> subprocess.Popen:
        """Starts a Windows program and returns at once."""
        return subprocess.Popen([WINE, *args], env=self.environment(), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self) -> None:
        """Ends every process of the prefix; the wineserver saves the registry as it goes."""
        if self.prefix.is_dir():
            env = self.environment()
            subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL, check=False)
            subprocess.run(["wineserver", "-w"], env=env, stderr=subprocess.DEVNULL, check=False)

    # The registry.

    def _edit(self, key: str, native: bool = False) -> RegEdit:
        in_view = self.windows.in_view(key) and not native
        return self._edits[self.windows.regedit if in_view else X64.regedit]

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
            status, output = self.wine(regedit, "/S", r"C:\changes.reg")
            reg.unlink()
            if status != 0:
                raise RuntimeError(f"{regedit} failed: {output}")
            self._edits[regedit] = RegEdit()

    def registry(self) -> Registry:
        """HKEY_LOCAL_MACHINE as it is now. Stops the prefix, which is what writes the hive."""
        self.apply_registry_changes()
        self.stop()
        hive = self.prefix / "system.reg"
        stamp = (hive.stat().st_mtime_ns, hive.stat().st_size)
        if self._registry is None or self._registry[0] != stamp:
            self._registry = (stamp, Registry.load(hive, self.windows))
        return self._registry[1]

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
        status, output = self.wine("attrib", flags, path, *(["/s"] if recursive else []))
        if status != 0:
            raise RuntimeError(f"attrib {flags} {path} failed: {output}")

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

    def register_odbc_driver(self, register_sh: pathlib.Path, dll: pathlib.Path) -> None:
        """Registers a setup DLL for the Access driver in the ODBC of the program's width; Wine
        brings no Access driver of its own."""
        self.apply_registry_changes()
        subprocess.run(["bash", str(register_sh), str(self.prefix), str(dll),
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

    def put_setup(self, setup_exe: pathlib.Path, folder: str = DIST) -> str:
        """Copies setup.exe into the distribution; returns its path on the machine."""
        shutil.copyfile(setup_exe, self.host_path(folder) / "setup.exe")
        return folder + r"\setup.exe"

    # Running the program.

    def driver_command(self, program: str, log: pathlib.Path, answers: tuple[str, ...] = (),
                       arguments: tuple[str, ...] = (),
                       shots: pathlib.Path | None = None, hold: pathlib.Path | None = None,
                       timeout: int = 60, kill_after: int | None = None,
                       kill_on: pathlib.Path | None = None,
                       kill_on_change: str | None = None, line: str | None = None) -> list[str]:
        """The command that runs the program under mbdriver. The arguments reach the program each
        quoted; a line reaches it as it is, after them."""
        command = [WINE, str(self.mbdriver), "--log", windows_path(log), "--timeout", str(timeout)]
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
        return Run.from_log(process.wait(timeout=180), log)


def message_box_calls(output: pathlib.Path) -> list[str]:
    """The calls into user32 that show a message box, as Wine reported them on a run's output for
    a machine that watches them."""
    text = output.read_text(encoding="utf-8", errors="replace") if output.exists() else ""
    return [line for line in text.splitlines() if ":Call user32.MessageBox" in line]


def wait_for_box(log: pathlib.Path, timeout: float = 60) -> bool:
    """Waits until a run logs its first record, for a run started with start."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if log.exists() and log.stat().st_size > 0:
            return True
        time.sleep(0.1)
    return False


def read_attributes(sample: pathlib.Path = SAMPLE) -> list[tuple[str, str]]:
    """(attribute, file below the sample) for each line of the sample's ATTRIBUTES."""
    entries = []
    for line in (sample / "ATTRIBUTES").read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            attribute, name = line.split(None, 1)
            entries.append((attribute, name.strip()))
    return entries

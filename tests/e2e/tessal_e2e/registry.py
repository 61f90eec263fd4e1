"""HKEY_LOCAL_MACHINE read from a Wine prefix's hive file, and changes to it written as a .reg
file for regedit. Key paths and value names compare without regard to case, as Windows compares
them; "" is a key's default value."""

from __future__ import annotations

import dataclasses
import pathlib

HKLM = "HKEY_LOCAL_MACHINE"
JDK_KEY = HKLM + r"\SOFTWARE\JavaSoft\Java Development Kit\1.4"
TOMCAT_KEY = HKLM + r"\SOFTWARE\Apache Software Foundation\Tomcat\4.1"
ENVIRONMENT_KEY = HKLM + r"\SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
ODBCINST_KEY = HKLM + r"\Software\ODBC\ODBCINST.INI"
ACCESS_DRIVER = "Microsoft Access Driver (*.mdb)"
ACCESS_DRIVER_KEY = f"{ODBCINST_KEY}\\{ACCESS_DRIVER}"
# Where the data sources are kept; the key itself is made with the first one.
ODBC_INI = HKLM + r"\Software\ODBC\ODBC.INI"
DATA_SOURCES_KEY = ODBC_INI + r"\ODBC Data Sources"
DATA_SOURCE_KEY = ODBC_INI + r"\TESSAL"
# The detection marker, in the program's view: its value Version holds the version that set the
# machine up.
MARKER_KEY = HKLM + r"\SOFTWARE\tessal\Setup"

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7
TYPE_NAMES = {REG_SZ: "REG_SZ", REG_EXPAND_SZ: "REG_EXPAND_SZ", REG_BINARY: "REG_BINARY",
              REG_DWORD: "REG_DWORD", REG_MULTI_SZ: "REG_MULTI_SZ"}


def in_view(key: str) -> bool:
    """Whether a key lies in the part of the registry that has a view per width: HKLM\\SOFTWARE.
    The rest of HKLM is one for both widths."""
    return key.lower().startswith(HKLM.lower() + "\\software\\")


def hive_key(key: str, view: int) -> str:
    """Where the hive keeps a key that a program of the view's width (64 or 32) names: a 32-bit
    program's HKLM\\SOFTWARE is HKLM\\SOFTWARE\\Wow6432Node."""
    if view == 64 or not in_view(key):
        return key
    head = len(HKLM + "\\software\\")
    return key[:head] + "Wow6432Node\\" + key[head:]


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
    """HKEY_LOCAL_MACHINE as the prefix's system.reg holds it, seen through the registry view
    (64 or 32) of the program under test."""

    def __init__(self, keys: dict[str, dict[str, Value]], names: dict[str, dict[str, str]],
                 view: int = 64):
        self._keys = keys
        self._names = names  # the value names as written, for showing them
        self.view = view

    def _key(self, key: str) -> str:
        return hive_key(key, self.view).lower()

    def hive_key(self, key: str) -> str:
        """Where the hive keeps a key that the program names so."""
        return hive_key(key, self.view)

    def seen_by(self, view: int) -> Registry:
        """The same registry as a program of another width sees it."""
        return Registry(self._keys, self._names, view)

    @classmethod
    def load(cls, hive: pathlib.Path, view: int = 64) -> Registry:
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
        return cls(keys, names, view)

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

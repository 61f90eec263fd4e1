#!/usr/bin/python3
"""Checks the program file that ships, reading the PE structures themselves:

  - PE32 for i386 (or PE32+ for x86-64 when asked), an executable, Windows GUI subsystem;
  - imports known DLLs only, none of them delay-loaded, and looks up the ODBC installer's ANSI
    entries by name;
  - the version resource (block 041104b0, translation 0411 04b0), the icon group with its
    16, 32 and 48 pixel frames, and a manifest that asks for an administrator;
  - no time stamps, so two builds of one commit give the same bytes.

With --same it compares two builds byte for byte and says where they differ.

Usage: tools/check-pe.sh SETUP.EXE [i386|x86-64]
       tools/check-pe.sh --same A.EXE B.EXE
Exits 0 when every check passes, 1 when one fails, 2 on a usage error.
"""
import hashlib
import shutil
import signal
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

# The known DLLs of every Windows from 7 to 11 (Session Manager\KnownDLLs, and KnownDLLs32 for a
# 32-bit program on 64-bit Windows), which Windows takes from the system folder only, and ntdll,
# which it maps into every process before anything. Any other imported DLL is looked for in the
# program's folder first, before the program can narrow the search: a DLL of that name laid beside
# setup.exe would run with its administrator rights.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "imagehlp.dll",
    "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll",
    "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
# The ODBC installer's entries, as the program names them to GetProcAddress, and what each is for:
# the ANSI ones, since the attribute lists and the installer's messages are ANSI bytes.
ODBC_ENTRIES = {
    b"SQLConfigDataSource": "no data source would be registered",
    b"SQLInstallerError": "the log would never say why a data source was not registered",
}
MACHINES = {
    "i386": (0x014C, 0x010B, "PE32", "i686-w64-mingw32-objdump"),
    "x86-64": (0x8664, 0x020B, "PE32+", "x86_64-w64-mingw32-objdump"),
}
EXPECTED_STRINGS = {
    "FileDescription": "tessal セットアップ",
    "FileVersion": "1.01",
    "InternalName": "setup",
    "OriginalFilename": "setup.exe",
    "ProductName": "tessal",
    "ProductVersion": "1.01",
}
STRING_BLOCK = "041104b0"
TRANSLATION = (0x0411, 0x04B0)
FILE_VERSION = (1, 1, 0, 0)

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
DIR_IMPORT, DIR_RESOURCE, DIR_DEBUG, DIR_DELAY_IMPORT = 1, 2, 6, 13
SUBSYSTEM_WINDOWS_GUI = 2
FILE_EXECUTABLE_IMAGE, FILE_DLL = 0x0002, 0x2000


class Malformed(Exception):
    """The file is not a well-formed PE image; nothing after this can be trusted."""


class Image:
    """A PE file read from its bytes, with every read bounds-checked."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise Malformed("no MZ header")
        pe = self.u32(0x3C)
        if self.bytes(pe, 4) != b"PE\0\0":
            raise Malformed("no PE signature at 0x%x" % pe)
        coff = pe + 4
        (self.machine, sections, self.timestamp, _, _, optional_size,
         self.characteristics) = struct.unpack("<HHIIIHH", self.bytes(coff, 20))
        optional = coff + 20
        self.magic = self.u16(optional)
        if self.magic == 0x010B:
            self.image_base = self.u32(optional + 28)
            directories = optional + 96
        elif self.magic == 0x020B:
            self.image_base = struct.unpack("<Q", self.bytes(optional + 24, 8))[0]
            directories = optional + 112
        else:
            raise Malformed("unknown optional header magic 0x%04x" % self.magic)
        self.subsystem = self.u16(optional + 68)
        self.dll_characteristics = self.u16(optional + 70)
        count = min(self.u32(directories - 4), 16)
        self.directories = [struct.unpack("<II", self.bytes(directories + 8 * i, 8))
                            for i in range(count)]
        self.sections = []
        for i in range(sections):
            header = self.bytes(optional + optional_size + 40 * i, 40)
            name = header[:8].rstrip(b"\0").decode("ascii", "replace")
            virtual_size, address, raw_size, raw_pointer = struct.unpack_from("<IIII", header, 8)
            self.sections.append((name, address, max(virtual_size, raw_size), raw_pointer,
                                  raw_size))

    def bytes(self, offset, size):
        if offset < 0 or size < 0 or offset + size > len(self.data):
            raise Malformed("read of %d bytes at 0x%x lies outside the file" % (size, offset))
        return self.data[offset:offset + size]

    def u16(self, offset):
        return struct.unpack("<H", self.bytes(offset, 2))[0]

    def u32(self, offset):
        return struct.unpack("<I", self.bytes(offset, 4))[0]

    def offset(self, rva):
        for _, address, size, raw_pointer, raw_size in self.sections:
            if address <= rva < address + size:
                if rva - address >= raw_size:
                    raise Malformed("RVA 0x%x lies in uninitialised data" % rva)
                return raw_pointer + rva - address
        raise Malformed("RVA 0x%x lies in no section" % rva)

    def read(self, rva, size):
        return self.bytes(self.offset(rva), size)

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise Malformed("unterminated string at RVA 0x%x" % rva)
        return self.data[start:end].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, offset):
        """Names the part of the file that holds a file offset, for reports."""
        for name, address, _, raw_pointer, raw_size in self.sections:
            if raw_pointer <= offset < raw_pointer + raw_size:
                return "%s+0x%x" % (name, offset - raw_pointer)
        return "headers" if not self.sections or offset < self.sections[0][3] else "overlay"

    def imports(self):
        """Maps each imported DLL to the names (or ordinals) of its functions."""
        result = {}
        rva, size = self.directory(DIR_IMPORT)
        if rva == 0:
            return result
        thunk_size = 8 if self.magic == 0x020B else 4
        ordinal_flag = 1 << (thunk_size * 8 - 1)
        for index in range(0x10000):
            lookup, _, _, name, address = struct.unpack("<IIIII", self.read(rva + 20 * index, 20))
            if (lookup, name, address) == (0, 0, 0):
                return result
            functions = result.setdefault(self.string(name), [])
            thunks = lookup or address
            for slot in range(0x10000):
                raw = self.read(thunks + thunk_size * slot, thunk_size)
                entry = int.from_bytes(raw, "little")
                if entry == 0:
                    break
                if entry & ordinal_flag:
                    functions.append("#%d" % (entry & 0xFFFF))
                else:
                    functions.append(self.string((entry & 0x7FFFFFFF) + 2))
        raise Malformed("import directory has no end")

    def delay_imports(self):
        names = []
        rva, _ = self.directory(DIR_DELAY_IMPORT)
        if rva == 0:
            return names
        for index in range(0x10000):
            attributes, name = struct.unpack("<II", self.read(rva + 32 * index, 8))
            if name == 0:
                return names
            names.append(self.string(name if attributes & 1 else name - self.image_base))
        raise Malformed("delay import directory has no end")

    def resources(self):
        """Lists (type, name, language, bytes) and the time stamps of the resource directories."""
        found, stamps = [], []
        base, _ = self.directory(DIR_RESOURCE)
        if base == 0:
            return found, stamps

        def walk(offset, path):
            header = self.read(base + offset, 16)
            stamps.append(struct.unpack_from("<I", header, 4)[0])
            named, numbered = struct.unpack_from("<HH", header, 12)
            for i in range(named + numbered):
                key, target = struct.unpack("<II", self.read(base + offset + 16 + 8 * i, 8))
                if key & 0x80000000:
                    at = base + (key & 0x7FFFFFFF)
                    length = struct.unpack("<H", self.read(at, 2))[0]
                    key = self.read(at + 2, 2 * length).decode("utf-16-le", "replace")
                if target & 0x80000000:
                    if len(path) == 2:
                        raise Malformed("resource tree deeper than type/name/language")
                    walk(target & 0x7FFFFFFF, path + [key])
                elif len(path) != 2:
                    raise Malformed("resource data above the language level")
                else:
                    data_rva, size = struct.unpack("<II", self.read(base + target, 8))
                    found.append((path[0], path[1], key, self.read(data_rva, size)))

        walk(0, [])
        return found, stamps


def version_node(data, offset):
    """One node of a VS_VERSIONINFO tree: (key, value bytes, children, end offset)."""

    def need(condition, what):
        if not condition:
            raise Malformed("version resource: " + what)

    need(offset + 6 <= len(data), "node header past the end")
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    need(length >= 6 and end <= len(data), "node length %d out of bounds" % length)
    key_end = offset + 6
    while True:
        need(key_end + 2 <= end, "unterminated key")
        if data[key_end:key_end + 2] == b"\0\0":
            break
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    if value_type == 1 and value_length > 0:
        # A String: tools disagree on whether its length counts characters or bytes, so the text
        # runs to its NUL. Containers such as StringFileInfo are typed text too, but hold no value.
        text = data[value_start:end].decode("utf-16-le", "replace")
        return key, text.split("\0", 1)[0], [], end
    value = data[value_start:value_start + value_length]
    need(value_start + value_length <= end, "value of %r past its node" % key)
    children = []
    child = (value_start + value_length + 3) & ~3
    while child < end:
        node = version_node(data, child)
        children.append(node)
        child = (node[3] + 3) & ~3
    return key, value, children, end


class Checker:
    def __init__(self, path):
        self.path = path
        self.failures = 0

    def result(self, passed, what):
        print(("ok:   " if passed else "FAIL: ") + what)
        if not passed:
            self.failures += 1

    def check_header(self, image, expected):
        machine, magic, kind, _ = MACHINES[expected]
        self.result(image.machine == machine and image.magic == magic,
                    "%s %s (machine 0x%04x, optional header 0x%04x)"
                    % (kind, expected, image.machine, image.magic))
        executable = (image.characteristics & FILE_EXECUTABLE_IMAGE and
                      not image.characteristics & FILE_DLL)
        self.result(bool(executable),
                    "an executable, not a DLL (characteristics 0x%04x)" % image.characteristics)
        self.result(image.subsystem == SUBSYSTEM_WINDOWS_GUI,
                    "subsystem %d (Windows GUI is 2)" % image.subsystem)

    def check_time_stamps(self, image, resource_stamps):
        stamp = image.timestamp
        self.result(stamp == 0, "PE time stamp is 0" if stamp == 0 else
                    "PE time stamp is %d, not 0 (a build time makes every build differ)" % stamp)
        nonzero = [s for s in resource_stamps if s]
        self.result(not nonzero, "resource directory time stamps are 0" if not nonzero else
                    "resource directories carry time stamps %s" % sorted(set(nonzero)))
        rva, size = image.directory(DIR_DEBUG)
        debug_stamps = [image.u32(image.offset(rva) + 28 * i + 4) for i in range(size // 28)]
        nonzero = [s for s in debug_stamps if s]
        self.result(not nonzero, "no debug directory time stamps" if not nonzero else
                    "debug directory carries time stamps %s" % sorted(set(nonzero)))

    def check_imports(self, image, expected):
        names = sorted(image.imports(), key=str.lower)
        strays = [n for n in names if n.lower() not in KNOWN_DLLS]
        self.result(not strays, "imports known DLLs only: %s" % ", ".join(names) if not strays
                    else "imports DLLs that are not known ones, which Windows looks for beside "
                    "the program first: %s" % ", ".join(strays))
        delayed = image.delay_imports()
        self.result(not delayed, "no delay-loaded DLLs" if not delayed else
                    "delay-loads %s: a DLL that is not known is for the program to load itself, "
                    "from the system folder" % ", ".join(delayed))
        self.cross_check_imports(names, MACHINES[expected][3])

    def check_odbc_entries(self, data):
        """The installer is not imported, so its entries are known by the names handed to
        GetProcAddress, which the file holds as C strings."""
        for entry, without in ODBC_ENTRIES.items():
            name = entry.decode()
            if entry + b"W\0" in data:
                self.result(False, "names %sW: the installer's texts are ANSI bytes" % name)
            elif entry + b"\0" in data:
                self.result(True, "looks up the ODBC installer's ANSI entry, %s" % name)
            else:
                self.result(False, "never names %s: %s" % (name, without))

    def cross_check_imports(self, names, objdump):
        """A second reading of the import table, so a fault in the parser above shows up."""
        tool = shutil.which(objdump)
        if tool is None:
            print("note: %s not found; import table read once only" % objdump)
            return
        listing = subprocess.run([tool, "-p", self.path], capture_output=True, text=True,
                                 check=False).stdout
        theirs = sorted((line.split("DLL Name:", 1)[1].strip() for line in listing.splitlines()
                         if "DLL Name:" in line), key=str.lower)
        self.result(theirs == names, "%s agrees on the imported DLLs" % objdump
                    if theirs == names else "%s lists other DLLs: %s" % (objdump, theirs))

    def check_version(self, resources):
        found = [r for r in resources if r[0] == RT_VERSION]
        self.result(len(found) == 1, "one version resource (found %d)" % len(found))
        if len(found) != 1:
            return
        key, fixed, children, _ = version_node(found[0][3], 0)
        self.result(key == "VS_VERSION_INFO" and len(fixed) == 52 and
                    struct.unpack_from("<I", fixed)[0] == 0xFEEF04BD,
                    "version resource starts with VS_FIXEDFILEINFO")
        if len(fixed) == 52:
            file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)

            def dotted(ms, ls):
                return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

            for what, version in (("FILEVERSION", dotted(file_ms, file_ls)),
                                  ("PRODUCTVERSION", dotted(product_ms, product_ls))):
                self.result(version == FILE_VERSION, "%s %s" % (what, ",".join(map(str, version))))
        nodes = {child[0]: child for child in children}
        tables = nodes.get("StringFileInfo", (None, None, [], 0))[2]
        blocks = [table[0] for table in tables]
        self.result(blocks == [STRING_BLOCK] or [b.lower() for b in blocks] == [STRING_BLOCK],
                    "string block %s (found %s)" % (STRING_BLOCK, ", ".join(blocks) or "none"))
        strings = {}
        for table in tables:
            if table[0].lower() == STRING_BLOCK:
                strings = {child[0]: child[1] for child in table[2]}
        for name, expected in EXPECTED_STRINGS.items():
            actual = strings.get(name)
            self.result(actual == expected, "%s %r" % (name, actual) if actual == expected
                        else "%s is %r, expected %r" % (name, actual, expected))
        translations = []
        for child in nodes.get("VarFileInfo", (None, None, [], 0))[2]:
            if child[0] == "Translation":
                value = child[1]
                translations += [struct.unpack_from("<HH", value, i)
                                 for i in range(0, len(value) - 3, 4)]
        self.result(translations == [TRANSLATION], "translation %s (expected %04x %04x)"
                    % (" ".join("%04x %04x" % t for t in translations) or "missing", *TRANSLATION))

    def check_icon(self, resources):
        groups = [r for r in resources if r[0] == RT_GROUP_ICON]
        first = min(groups, key=lambda r: (isinstance(r[1], str), r[1]), default=None)
        self.result(first is not None and first[1] == 1,
                    "icon group 1 is the first icon group" if first is not None and first[1] == 1
                    else "no icon group with ID 1 first: Explorer would show another icon")
        if first is None:
            return
        data = first[3]
        if len(data) < 6:
            self.result(False, "icon group shorter than its header")
            return
        count = struct.unpack_from("<H", data, 4)[0]
        icons = {r[1] for r in resources if r[0] == RT_ICON}
        sizes, missing = set(), []
        for i in range(count):
            if 6 + 14 * i + 14 > len(data):
                self.result(False, "icon group holds fewer entries than it counts")
                return
            width, height = data[6 + 14 * i], data[7 + 14 * i]
            frame = struct.unpack_from("<H", data, 6 + 14 * i + 12)[0]
            sizes.add((width or 256, height or 256))
            if frame not in icons:
                missing.append(frame)
        self.result(not missing, "icon frames present" if not missing else
                    "icon group names missing frames %s" % missing)
        needed = {(16, 16), (32, 32), (48, 48)}
        self.result(needed <= sizes, "icon sizes %s" % " ".join(
            "%dx%d" % s for s in sorted(sizes)))

    def check_manifest(self, resources):
        found = [r for r in resources if r[0] == RT_MANIFEST]
        self.result(len(found) == 1 and found[0][1] == 1,
                    "one manifest, ID 1 (found %s)" % [r[1] for r in found])
        if not found:
            return
        try:
            root = ElementTree.fromstring(found[0][3])
        except ElementTree.ParseError as error:
            self.result(False, "manifest is not well-formed XML: %s" % error)
            return

        def local(element):
            return element.tag.rsplit("}", 1)[-1]

        levels = [e for e in root.iter() if local(e) == "requestedExecutionLevel"]
        asked = [(e.get("level"), e.get("uiAccess")) for e in levels]
        self.result(asked == [("requireAdministrator", "false")],
                    "manifest asks for requireAdministrator, uiAccess false (found %s)" % asked)
        code_pages = [e.text for e in root.iter() if local(e) == "activeCodePage"]
        self.result(not code_pages, "manifest keeps the system code page" if not code_pages else
                    "manifest sets activeCodePage %s: the ANSI functions would stop reading "
                    "code page 932" % code_pages)

    def run(self, expected):
        with open(self.path, "rb") as file:
            data = file.read()
        try:
            image = Image(data)
            self.check_header(image, expected)
            resources, stamps = image.resources()
            self.check_time_stamps(image, stamps)
            self.check_imports(image, expected)
            self.check_odbc_entries(data)
            self.check_version(resources)
            self.check_icon(resources)
            self.check_manifest(resources)
        except Malformed as error:
            self.result(False, "malformed PE file: %s" % error)
        print("%s: %s" % (self.path, "all checks passed" if self.failures == 0
                          else "%d check(s) failed" % self.failures))
        return 0 if self.failures == 0 else 1


def same(first, second):
    """Compares two builds; on a difference, names the parts of the file that differ."""
    with open(first, "rb") as file:
        a = file.read()
    with open(second, "rb") as file:
        b = file.read()
    if a == b:
        print("ok:   %s and %s are the same %d bytes (sha256 %s)"
              % (first, second, len(a), hashlib.sha256(a).hexdigest()))
        return 0
    print("FAIL: %s (%d bytes) and %s (%d bytes) differ" % (first, len(a), second, len(b)))
    try:
        image = Image(a)
        where = image.section_of
    except Malformed:
        def where(offset):
            return "?"
    runs, start = [], None
    for offset in range(min(len(a), len(b)) + 1):
        differs = offset < min(len(a), len(b)) and a[offset] != b[offset]
        if differs and start is None:
            start = offset
        elif not differs and start is not None:
            runs.append((start, offset))
            start = None
    for begin, end in runs[:10]:
        print("  bytes 0x%x..0x%x (%s)" % (begin, end - 1, where(begin)))
    if len(runs) > 10:
        print("  ... and %d more runs" % (len(runs) - 10))
    if len(a) != len(b):
        print("  the lengths differ from offset 0x%x" % min(len(a), len(b)))
    return 1


def main(arguments):
    usage = "usage: check-pe.sh SETUP.EXE [i386|x86-64]\n       check-pe.sh --same A.EXE B.EXE"
    try:
        if arguments[:1] == ["--same"] and len(arguments) == 3:
            return same(arguments[1], arguments[2])
        if len(arguments) in (1, 2) and not arguments[0].startswith("-"):
            expected = arguments[1] if len(arguments) == 2 else "i386"
            if expected not in MACHINES:
                print(usage, file=sys.stderr)
                return 2
            return Checker(arguments[0]).run(expected)
    except OSError as error:
        print("FAIL: %s" % error)
        return 1
    print(usage, file=sys.stderr)
    return 2


if __name__ == "__main__":
    # Piped into head or grep, end quietly when the reader goes away.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    sys.exit(main(sys.argv[1:]))

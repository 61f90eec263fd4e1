"""The files a run deploys from the distribution into the product folders, and the configuration
lines it rewrites in them."""

from __future__ import annotations

import dataclasses
import pathlib
from typing import Callable

from ..machine import SAMPLE, read_attributes
from . import program
from .state import Homes

Tree = dict[str, bytes]  # files by their paths below a folder, written with "\\"

# Where each packaged folder goes: (below the distribution, JDK or Tomcat, below that folder).
DEPLOYMENTS = program.deployments()


def xml_text(folder: str) -> str:
    return folder.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def properties_text(folder: str) -> str:
    """A FileHandler pattern in a properties file: "%" doubled for the pattern, then ASCII with
    "\\" doubled and every other character a \\uXXXX escape of its UTF-16 units."""
    units = folder.replace("%", "%%").encode("utf-16-be")
    text = ""
    for i in range(0, len(units), 2):
        unit = int.from_bytes(units[i:i + 2], "big")
        text += "\\\\" if unit == 0x5C else chr(unit) if unit < 0x80 else f"\\u{unit:04X}"
    return text


@dataclasses.dataclass(frozen=True)
class Rewrite:
    """A configuration file that names the sample's C:\\TOMCAT in its line old, which becomes
    the line template for a Tomcat folder (given with "\\" as {home} and with "/" as {slash}),
    written as the file's reader reads it: a FileHandler pattern in java.util.Properties, or XML
    in the encoding that the sample file declares."""
    base: str
    file: str
    backup: str
    old: str
    template: str
    encoding: str  # the file's encoding as the log names it

    @property
    def name(self) -> str:
        return pathlib.PureWindowsPath(self.file).name

    @property
    def backup_name(self) -> str:
        return pathlib.PureWindowsPath(self.backup).name

    @property
    def dist(self) -> str:
        """Where the distribution holds the file."""
        return ("J2SE\\" if self.base == "jdk" else "TOMCAT\\") + self.file

    def search(self) -> str:
        """The old Tomcat folder as the old line names it."""
        return "C:\\TOMCAT" if "C:\\TOMCAT" in self.old else "C:/TOMCAT"

    def replacement(self, homes: Homes) -> bytes:
        if self.encoding == "ISO-8859-1":
            return self.template.format(slash=properties_text(homes.slash)).encode("ascii")
        line = self.template.format(home=xml_text(homes.tomcat), slash=xml_text(homes.slash))
        if self.encoding == "UTF-8":
            return line.encode("utf-8")
        return "".join(c if ord(c) < 0x80 else f"&#x{ord(c):X};" for c in line).encode("ascii")

    def holds_search(self, line: bytes) -> bool:
        """Whether a line names the old folder, searched as the file's reader reads it: only in
        Shift_JIS can a byte of a character look like the "C" of C:/TOMCAT."""
        if self.encoding == "Shift_JIS":
            return self.search() in line.decode("cp932")
        return self.search().encode("ascii") in line

    def rewritten(self, data: bytes, homes: Homes) -> bytes:
        """What the rewrite makes of the file: each line that names the old folder becomes the
        line that names the Tomcat folder of homes; every line ends with CR LF."""
        lines = data.split(b"\r\n")
        if lines[-1] == b"":
            lines.pop()
        new = self.replacement(homes)
        return b"".join((new if self.holds_search(line) else line) + b"\r\n" for line in lines)


LOGGING, WEB, POOLMAN = REWRITES = [
    Rewrite("jdk", r"jre\lib\logging.properties", r"jre\lib\logging.org",
            "java.util.logging.FileHandler.pattern = C:/TOMCAT/webapps/tessal/logs/system.log",
            "java.util.logging.FileHandler.pattern = {slash}/webapps/tessal/logs/system.log",
            "ISO-8859-1"),
    Rewrite("tomcat", r"webapps\tessal\WEB-INF\web.xml", r"webapps\tessal\WEB-INF\web.org",
            r"    <param-value>C:\TOMCAT\webapps\tessal\</param-value>",
            r"    <param-value>{home}\webapps\tessal\</param-value>", "Shift_JIS"),
    Rewrite("tomcat", r"webapps\tessal\WEB-INF\classes\poolman.xml",
            r"webapps\tessal\WEB-INF\classes\poolman.org",
            "    <logFile>C:/TOMCAT/webapps/tessal/logs/poolman.log</logFile>",
            "    <logFile>{slash}/webapps/tessal/logs/poolman.log</logFile>", "UTF-8"),
]


def packaged_files(folder: str, dist: Tree | None = None) -> Tree:
    """The files of a packaged folder that the setup deploys: its plain files, not those that the
    distribution marks hidden or system, not its sub-folders. From the sample, or from the files
    of a distribution (by their paths below it) that a scenario changed."""
    marked = {name.lower() for _, name in read_attributes()}
    if dist is None:
        source = SAMPLE / pathlib.PureWindowsPath(folder).as_posix()
        dist = {f"{folder}\\{p.name}": p.read_bytes() for p in source.iterdir() if p.is_file()}
    files = {}
    for path, data in sorted(dist.items()):
        parent, _, name = path.rpartition("\\")
        if parent.lower() == folder.lower() and path.lower() not in marked:
            files[name] = data
    return files


def sample_file(rewrite: Rewrite) -> bytes:
    """A configuration file as the sample distribution ships it."""
    return (SAMPLE / pathlib.PureWindowsPath(rewrite.dist).as_posix()).read_bytes()


def enlarged(rewrite: Rewrite, size: int, comment: Callable[[str], str],
             closing: bytes | None) -> bytes:
    """The sample file grown to about size bytes with blocks of comments placed before its
    closing line. Each block holds lines that name the old folder, Japanese text (trail bytes of
    0x5C included) and a line whose bytes, but not characters, hold the search text."""
    sample, search = sample_file(rewrite), rewrite.search()
    separator = "/" if "/" in search else "\\"
    blocks = []
    length = len(sample)
    while length < size:
        k = len(blocks)
        lines = [
            comment(f"section {k:06d}: settings kept for older installations of tessal"),
            comment(f"設定の表示とログの保存先 第{k}節"),
            comment(f"イ{search[1:]} は旧フォルダではありません"),
            rewrite.old,
            comment(separator.join([f"previously {search}", "webapps", "tessal", f"xls {k}"])),
            comment("x" * 72),
        ]
        blocks.append("".join(line + "\r\n" for line in lines).encode("cp932"))
        length += len(blocks[-1])
    filler = b"".join(blocks)
    if closing is None:
        return sample + filler
    head, tail = sample.rsplit(closing, 1)
    return head + filler + closing + tail


def deployed(before: dict[str, Tree], homes: Homes, rows: int = len(DEPLOYMENTS),
             rewrite: bool = True, dist: Tree | None = None) -> dict[str, Tree]:
    """The product folders ("jdk", "tomcat") after the first rows of the deployment, and the
    rewrite if it came; from the sample, or from a distribution's files that a scenario changed."""
    after = {base: dict(files) for base, files in before.items()}
    for source, base, destination in DEPLOYMENTS[:rows]:
        for name, data in packaged_files(source, dist).items():
            after[base][f"{destination}\\{name}"] = data
    if rewrite:
        for r in REWRITES:
            original = after[r.base][r.file]
            if r.old.encode("ascii") not in original.split(b"\r\n"):
                raise AssertionError(f"{r.file} lacks the line {r.old!r}")
            after[r.base][r.backup] = original
            after[r.base][r.file] = r.rewritten(original, homes)
    return after

"""The unprivileged user that every Wine process runs as: Wine run as root ignores the read-only
attribute and file permissions, which Windows enforces even for an administrator.

The steps themselves are tests/wine/user.sh's, which the bash scripts source: here they are called,
not written again. Started as root, a program hands the folders that Wine writes to the user and
starts again as it with the same command line; started as anyone else, it carries on as it is.
"""

from __future__ import annotations

import os
import pathlib
import stat
import subprocess
import sys

WINE_USER = "winetester"
USER_SH = pathlib.Path(__file__).resolve().parents[2] / "wine" / "user.sh"


def _user_sh(function: str, *args: str) -> list[str]:
    """The command that calls one function of user.sh with the arguments."""
    return ["bash", "-c", f'source "$0" && {function} "$@"', str(USER_SH), *args]


def is_root() -> bool:
    return os.geteuid() == 0


def give(*folders: pathlib.Path) -> None:
    """Run as root: makes each folder and hands it, with all it holds, to the Wine user. A folder
    that is the user's already is left alone: other runs may be working below it."""
    if is_root():
        subprocess.run(_user_sh("wine_user_give", *map(str, folders)), check=True)


def _this_program() -> list[str]:
    # The interpreter that runs this one, with its options (-B among them) and arguments.
    return [sys.executable, *sys.orig_argv[1:]]


def _readable_by_everyone(folder: pathlib.Path) -> bool:
    """Whether any user may list the folder and pass through every folder above it."""
    if not os.stat(folder).st_mode & stat.S_IROTH:
        return False
    return all(os.stat(f).st_mode & stat.S_IXOTH for f in (folder, *folder.parents))


def _check_interpreter() -> None:
    library = pathlib.Path(os.__file__).parent
    if not _readable_by_everyone(library):
        raise SystemExit(f"{WINE_USER} cannot read {library}: run this with /usr/bin/python3")


def become() -> None:
    """Run as root: this program starts again in this process as the Wine user, from the top,
    with the same command line; it never returns. Otherwise nothing happens."""
    if not is_root():
        return
    _check_interpreter()
    sys.stdout.flush()
    sys.stderr.flush()
    os.execvp("bash", _user_sh("wine_user_become", *_this_program()))


def run_as_user() -> int:
    """Run as root: this program's command line run to its end by the Wine user in a child
    process, so that this one stays root for what comes after; the child's exit code."""
    _check_interpreter()
    sys.stdout.flush()
    return subprocess.run(_user_sh("wine_user_become", *_this_program()), check=False).returncode

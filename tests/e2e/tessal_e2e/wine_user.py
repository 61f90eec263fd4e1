"""The unprivileged user that every Wine process runs as (tests/wine/user.sh makes it): Wine run
as root ignores the read-only attribute and file permissions, which Windows enforces even for an
administrator. Started as root, a program hands the folders that Wine writes to the user and
carries on as it; started as anyone else, it carries on as it is."""

from __future__ import annotations

import os
import pathlib
import pwd
import subprocess
import sys
import traceback
from typing import Callable

WINE_USER = "winetester"


def is_root() -> bool:
    return os.geteuid() == 0


def give(*folders: pathlib.Path) -> None:
    """Run as root: makes each folder and hands it, with all it holds, to the Wine user. A folder
    that is the user's already is left alone: other runs may be working below it."""
    if not is_root():
        return
    user = pwd.getpwnam(WINE_USER)
    for folder in folders:
        folder.mkdir(parents=True, exist_ok=True)
        if folder.stat().st_uid != user.pw_uid:
            subprocess.run(["chown", "-R", f"{WINE_USER}:", str(folder)], check=True)


def become() -> None:
    """Run as root: this process carries on as the Wine user, for good."""
    if not is_root():
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


def in_child(work: Callable[[], int]) -> int:
    """Run as root: does the work in a child process that runs as the Wine user, so that this
    process stays root for what comes after; the work's result."""
    sys.stdout.flush()
    pid = os.fork()
    if pid == 0:
        status = 1
        try:
            become()
            status = work()
        except BaseException:  # the child must never return into the parent's code
            traceback.print_exc()
        finally:
            sys.stdout.flush()
            sys.stderr.flush()
            os._exit(status)
    return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])

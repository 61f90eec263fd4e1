#!/bin/bash
# Runs a Windows program under wine64 in the given prefix with a Japanese locale (code page 932),
# as the tests' unprivileged user (see user.sh).
# CMake's cross-compiling emulator: run.sh PREFIX PROGRAM ARGS...
set -euo pipefail

source "$(dirname "$(realpath "$0")")/user.sh"
wine_user_become "$0" "$@"

prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ -s "$prefix.display" ]; then
  export DISPLAY=":$(head -n1 "$prefix.display")"
fi
# Without address randomization: Debian's Wine has no preloader to hold 0x7ffe0000, where every
# Wine process maps Windows' shared user data, and the C library's heap, which the kernel starts
# anywhere in the 1 GiB past the loader at 0x7d000000, now and then lies over it. Wine then exits
# with 1 and says why only on its error channel.
exec setarch --addr-no-randomize /usr/lib/wine/wine64 "$@"

#!/bin/bash
# Makes and removes the throwaway Wine prefix in which the Windows tests run: a Japanese desktop
# (code page 932) on its own Xvfb display, never ~/.wine. The prefix, the files beside it and
# every process belong to the tests' unprivileged user (see user.sh); run as root, the script
# hands the prefix's folder to that user first.
#   prefix.sh setup PREFIX     create PREFIX afresh and start its X server
#   prefix.sh cleanup PREFIX   stop the prefix's wineserver and its X server
set -euo pipefail

action=$1
prefix=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")

source "$here/user.sh"
if [ "$(id -u)" -eq 0 ]; then
  wine_user_give "$(dirname "$prefix")"
  wine_user_become "$0" "$@"
fi

# started PID: when the process began, in clock ticks since boot. With its number this names the
# process alone: once a process has ended, its number goes to the next one started.
started() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  # Field 22 of the line, counted after the command's name, which may hold spaces.
  cut -d' ' -f20 <<<"${stat##*) }"
}

# tool COMMAND...: runs one of Windows' own tools on the prefix. Its output goes to a file, with
# Wine's errors and the processes it started and ended, and is shown only if it fails: a tool that
# fails on a fresh prefix says nothing under the tests' usual WINEDEBUG=-all.
tool() {
  local status=0
  WINEDEBUG=-all,err+all,+process "$here/run.sh" "$prefix" "$@" >"$prefix.tool" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    echo "$* failed with status $status:" >&2
    cat "$prefix.tool" >&2
    exit 1
  fi
  rm -f "$prefix.tool"
}

stop() {
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  fi
  if [ -f "$prefix.xvfb.pid" ]; then
    # An X server that ended on its own has left its number to another process, perhaps a test's
    # wineserver: only the process that began when the server began is ended.
    local pid since
    read -r pid since <"$prefix.xvfb.pid"
    if [ -n "$since" ] && [ "$(started "$pid")" = "$since" ]; then
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$prefix.xvfb.pid" "$prefix.display"
  fi
}

case $action in
  setup)
    stop
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    "$here/screen.sh" 3 3>"$prefix.display" >/dev/null 2>&1 &
    echo "$! $(started $!)" >"$prefix.xvfb.pid"
    for _ in $(seq 50); do
      [ -s "$prefix.display" ] && break
      sleep 0.1
    done
    tool wineboot -i
    # Without these the Japanese texts of the message boxes render as empty boxes.
    for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "ＭＳ Ｐゴシック" "ＭＳ ゴシック"; do
      tool reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$face" /t REG_SZ /d IPAGothic /f
    done
    # Xvfb runs no window manager: Wine draws the title bars itself, so pictures show the caption.
    tool reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
    # Nor does it confirm that a window is gone: unmanaged windows spare Wine its 2 s wait for that
    # after every message box.
    tool reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    WINEPREFIX=$prefix wineserver -w
    ;;
  cleanup)
    stop
    ;;
  *)
    echo "usage: $0 setup|cleanup PREFIX" >&2
    exit 2
    ;;
esac

#!/bin/bash
# Installs fakeodbc.dll in a Wine prefix as the "Microsoft Access Driver (*.mdb)".
#   register.sh PREFIX DLL [64|32]
# Wine's ODBC installer loads the DLL that the driver's Driver value names and calls its ConfigDSN;
# Setup names the same file, as it does for a driver that is its own setup DLL. A 32-bit driver
# (32) goes where a 32-bit installer puts it on 64-bit Windows: into SysWOW64, registered by the
# 32-bit reg.exe in the 32-bit view, under the path that 32-bit programs see as system32.
set -euo pipefail

prefix=$(realpath -m "$1")
dll=$2
view=${3:-64}
run=$(dirname "$(realpath "$0")")/../wine/run.sh
readonly driver='Microsoft Access Driver (*.mdb)'
readonly installed='C:\windows\system32\fakeodbc.dll'
readonly drivers='HKLM\Software\ODBC\ODBCINST.INI'

case $view in
  64) folder=system32 reg=reg ;;
  32) folder=syswow64 reg='C:\windows\syswow64\reg.exe' ;;
  *)
    echo "usage: $0 PREFIX DLL [64|32]" >&2
    exit 2
    ;;
esac

cp "$dll" "$prefix/drive_c/windows/$folder/fakeodbc.dll"
for value in Driver Setup; do
  "$run" "$prefix" "$reg" add "$drivers\\$driver" /v "$value" /t REG_SZ /d "$installed" /f >/dev/null
done
"$run" "$prefix" "$reg" add "$drivers\\ODBC Drivers" /v "$driver" /t REG_SZ /d Installed /f \
  >/dev/null

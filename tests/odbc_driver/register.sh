#!/bin/bash
# Installs fakeodbc.dll in a Wine prefix as the "Microsoft Access Driver (*.mdb)".
#   register.sh PREFIX DLL
# Wine's ODBC installer loads the DLL that the driver's Driver value names and calls its ConfigDSN;
# Setup names the same file, as it does for a driver that is its own setup DLL.
set -euo pipefail

prefix=$(realpath -m "$1")
dll=$2
run=$(dirname "$(realpath "$0")")/../wine/run.sh
readonly driver='Microsoft Access Driver (*.mdb)'
readonly installed='C:\windows\system32\fakeodbc.dll'
readonly drivers='HKLM\Software\ODBC\ODBCINST.INI'

cp "$dll" "$prefix/drive_c/windows/system32/fakeodbc.dll"
for value in Driver Setup; do
  "$run" "$prefix" reg add "$drivers\\$driver" /v "$value" /t REG_SZ /d "$installed" /f >/dev/null
done
"$run" "$prefix" reg add "$drivers\\ODBC Drivers" /v "$driver" /t REG_SZ /d Installed /f >/dev/null

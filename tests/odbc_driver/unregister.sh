#!/bin/bash
# Takes out of a Wine prefix what register.sh put in; what is already gone is no failure.
#   unregister.sh PREFIX
set -uo pipefail

prefix=$(realpath -m "$1")
run=$(dirname "$(realpath "$0")")/../wine/run.sh
readonly driver='Microsoft Access Driver (*.mdb)'
readonly drivers='HKLM\Software\ODBC\ODBCINST.INI'

"$run" "$prefix" reg delete "$drivers\\$driver" /f >/dev/null 2>&1
"$run" "$prefix" reg delete "$drivers\\ODBC Drivers" /v "$driver" /f >/dev/null 2>&1
rm -f "$prefix/drive_c/windows/system32/fakeodbc.dll"
exit 0

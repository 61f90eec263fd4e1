#!/bin/bash
# The data-source routines against Wine's real ODBC installer, with fakeodbc.dll standing in for
# the Access driver. Runs in the build tree's shared prefix and leaves it as it found it: no
# driver, no TESSAL data source.
#   odbc_test.sh GROUP PREFIX MBDRIVER DATA_SOURCE_RUN FAKEODBC_DLL OUTDIR
set -uo pipefail

group=$1 prefix=$2 driver=$3 program=$4 dll=$5 out=$6
# Wine runs as the tests' unprivileged user, who writes the logs in a folder of its own.
source "$(dirname "$(realpath "$0")")/../wine/user.sh"
if [ "$(id -u)" -eq 0 ]; then
  wine_user_give "$(dirname "$out")"
  wine_user_become bash "$(realpath "$0")" "$@"
fi
here=$(dirname "$(realpath "$0")")
run=$here/../wine/run.sh
rm -rf "$out"
mkdir -p "$out"
failures=0

readonly access='Microsoft Access Driver (*.mdb)'
readonly odbc_ini='HKLM\Software\ODBC\ODBC.INI'
readonly user_odbc_ini='HKCU\Software\ODBC\ODBC.INI'

# A file of this machine as the Windows programs see it: Wine maps / to drive Z:.
win() { printf 'Z:%s' "${1//\//\\}"; }

export TESSAL_FAKE_ODBC_LOG
TESSAL_FAKE_ODBC_LOG=$(win "$out/odbc.log")

fail() {
  echo "FAIL [$group]: $*" >&2
  failures=$((failures + 1))
}

expect() {  # WHAT EXPECTED ACTUAL
  [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}

# The values of a key, one "name=data" a line, sorted; names in lower case, as the registry
# compares them. Nothing for a key that does not exist.
values() {
  "$run" "$prefix" reg query "$1" 2>/dev/null | tr -d '\r' |
    sed -n 's/^    \(.*\)    REG_[A-Z_]*    \(.*\)$/\L\1\E=\2/p' | sort
}

forget_data_source() {
  "$run" "$prefix" reg delete "$odbc_ini\\TESSAL" /f >/dev/null 2>&1
  "$run" "$prefix" reg delete "$odbc_ini\\ODBC Data Sources" /v TESSAL /f >/dev/null 2>&1
  "$run" "$prefix" reg delete "$user_odbc_ini\\TESSAL" /f >/dev/null 2>&1
}

cleanup() {
  forget_data_source
  "$here/unregister.sh" "$prefix"
}
trap cleanup EXIT

# register NAME: the program under mbdriver, answering every box with OK; sets rc.
register() {
  "$run" "$prefix" "$driver" --log "$(win "$out/$1.log")" --answers ok -- "$(win "$program")"
  rc=$?
}

# expect_boxes NAME LINES...: mbdriver's whole log of the run.
expect_boxes() {
  local name=$1
  shift
  expect "$name: exit code" 0 "$rc"
  expect "$name: boxes" "$(printf '%s\n' "$@")" "$(cat "$out/$name.log")"
}

test_missing() {
  cleanup
  register missing
  expect_boxes missing \
    '{"caption":"setup","text":"データソースTESSALが登録されませんでした。","buttons":"ok","icon":"critical","systemModal":false,"code":16}' \
    '{"exit":0}'
  expect "data source" "" "$(values "$odbc_ini\\TESSAL")"
  [ -e "$out/odbc.log" ] && fail "the installer called a driver that is not registered"
}

expect_data_source() {  # WHEN
  expect "$1: data source" \
    'dbq=C:\Tomcat\webapps\tessal\TESSAL.mdb
driver=C:\windows\system32\fakeodbc.dll
fil=MS Access
maxbuffersize=2048
pagetimeout=5' "$(values "$odbc_ini\\TESSAL")"
  expect "$1: listed" "tessal=$access" \
    "$(values "$odbc_ini\\ODBC Data Sources" | grep -i '^tessal=')"
  expect "$1: user data source" "" "$(values "$user_odbc_ini\\TESSAL")"
}

test_registered() {
  cleanup
  "$here/register.sh" "$prefix" "$dll" || fail "register.sh failed"
  # A value that no run writes, so that only a removal of the old source makes it go.
  "$run" "$prefix" reg add "$odbc_ini\\TESSAL" /v Stale /d old /f >/dev/null 2>&1
  local remove="3 $access DSN=TESSAL||"
  local add="1 $access DSN=TESSAL|DBQ=C:\\Tomcat\\webapps\\tessal\\TESSAL.mdb|MaxBufferSize=2048|PageTimeout=5|FIL=MS Access||"

  register first
  expect_boxes first '{"exit":0}'
  expect "first: driver calls" "$(printf '%s\n' "$remove" "$add")" "$(cat "$out/odbc.log")"
  expect_data_source first

  register again
  expect_boxes again '{"exit":0}'
  expect "again: driver calls" "$(printf '%s\n' "$remove" "$add" "$remove" "$add")" \
    "$(cat "$out/odbc.log")"
  expect_data_source again
}

"test_$group"
[ "$failures" -eq 0 ] && echo "PASS [$group]"
[ "$failures" -eq 0 ]

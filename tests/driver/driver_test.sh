#!/bin/bash
# End-to-end tests of mbdriver under wine64: mbprobe shows boxes through the platform layer,
# mbdriver answers them, and each group checks the log, the exit codes and the pictures.
#   driver_test.sh GROUP RUN_SH PREFIX MBDRIVER MBPROBE OUTDIR
set -uo pipefail

group=$1 run=$2 prefix=$3 driver=$4 probe=$5 out=$6
# Wine runs as the tests' unprivileged user, who writes the logs in a folder of its own.
source "$(dirname "$(realpath "$0")")/../wine/user.sh"
if [ "$(id -u)" -eq 0 ]; then
  wine_user_give "$(dirname "$out")"
  wine_user_become bash "$(realpath "$0")" "$@"
fi
rm -rf "$out"
mkdir -p "$out"
failures=0

readonly question='セットアップを開始してよろしいですか？'
readonly setup_box='{"caption":"setup","text":"セットアップを開始してよろしいですか？","buttons":"yesno","icon":"information","systemModal":false,"code":68}'

# A file of this machine as the Windows programs see it: Wine maps / to drive Z:.
win() { printf 'Z:%s' "${1//\//\\}"; }

fail() {
  echo "FAIL [$group]: $*" >&2
  failures=$((failures + 1))
}

expect() {  # WHAT EXPECTED ACTUAL
  [ "$2" == "$3" ] || fail "$1: expected [$2], got [$3]"
}

line() {  # NAME N: the Nth line of the log of run NAME
  sed -n "$2p" "$out/$1.log"
}

# drive NAME [OPTIONS...] -- PROBE-ARGS...: mbprobe under mbdriver, logging to $out/NAME.log;
# sets rc to mbdriver's exit code.
drive() {
  local name=$1
  shift
  local options=()
  while [ "$1" != "--" ]; do
    options+=("$1")
    shift
  done
  shift
  "$run" "$prefix" "$driver" --log "$(win "$out/$name.log")" "${options[@]}" \
    -- "$(win "$probe")" "$@"
  rc=$?
  return "$rc"
}

# expect_run NAME RC LINES...: the run's exit code and its whole log.
expect_run() {
  local name=$1 code=$2
  shift 2
  expect "$name: exit code" "$code" "$rc"
  local i=1
  for wanted in "$@"; do
    expect "$name: log line $i" "$wanted" "$(line "$name" $i)"
    i=$((i + 1))
  done
  expect "$name: log lines" "$#" "$(wc -l <"$out/$name.log")"
}

test_answers() {
  drive yes --answers yes -- box 68 - "$question"
  expect_run yes 6 "$setup_box" '{"exit":6}'
  drive no --answers no -- box 68 - "$question"
  expect_run no 7 "$setup_box" '{"exit":7}'
  # Boxes in a row take the answers in order; an OK box without one left is answered ok.
  drive sequence --answers no,yes -- sequence 4 eins zwei
  expect_run sequence 76 \
    '{"caption":"setup","text":"eins","buttons":"yesno","icon":"none","systemModal":false,"code":4}' \
    '{"caption":"setup","text":"zwei","buttons":"yesno","icon":"none","systemModal":false,"code":4}' \
    '{"exit":76}'
  drive oks -- sequence 0 a b
  expect_run oks 11 \
    '{"caption":"setup","text":"a","buttons":"ok","icon":"none","systemModal":false,"code":0}' \
    '{"caption":"setup","text":"b","buttons":"ok","icon":"none","systemModal":false,"code":0}' \
    '{"exit":11}'
}

test_icons() {
  drive critical -- box 4112 警告 "$question"
  expect_run critical 1 \
    '{"caption":"警告","text":"セットアップを開始してよろしいですか？","buttons":"ok","icon":"critical","systemModal":true,"code":4112}' \
    '{"exit":1}'
  drive question --answers yes -- box 36 - q
  expect_run question 6 \
    '{"caption":"setup","text":"q","buttons":"yesno","icon":"question","systemModal":false,"code":36}' \
    '{"exit":6}'
  drive exclamation -- box 48 - e
  expect_run exclamation 1 \
    '{"caption":"setup","text":"e","buttons":"ok","icon":"exclamation","systemModal":false,"code":48}' \
    '{"exit":1}'
  drive none -- box 0 - n
  expect_run none 1 \
    '{"caption":"setup","text":"n","buttons":"ok","icon":"none","systemModal":false,"code":0}' \
    '{"exit":1}'
}

test_text() {
  # The characters that JSON escapes, and those that the command line to the program quotes.
  drive escapes -- box 0 'a "b"' $'一行目\r二行目\n\t"引用" C:\\temp\\'
  expect_run escapes 1 \
    '{"caption":"a \"b\"","text":"一行目\r二行目\n\t\"引用\" C:\\temp\\","buttons":"ok","icon":"none","systemModal":false,"code":0}' \
    '{"exit":1}'
}

test_instance() {
  # The first copy holds its box open until the second has come and gone.
  local release=$out/release
  drive first --answers yes --hold "$(win "$release")" --timeout 60 -- instance &
  local first=$!
  for _ in $(seq 600); do
    [ -s "$out/first.log" ] && break
    sleep 0.1
  done
  drive second -- instance
  expect_run second 3 \
    '{"caption":"setup","text":"already","buttons":"ok","icon":"critical","systemModal":false,"code":16}' \
    '{"exit":3}'
  touch "$release"
  wait "$first"
  rc=$?
  expect_run first 6 \
    '{"caption":"setup","text":"first","buttons":"yesno","icon":"information","systemModal":false,"code":68}' \
    '{"exit":6}'
}

test_screenshot() {
  drive shot --answers yes --shots "$(win "$out/shots")" -- box 68 - "$question"
  expect_run shot 6 "$setup_box" '{"exit":6}'
  local bmp=$out/shots/box-1.bmp
  if [ ! -s "$bmp" ]; then
    fail "no picture at $bmp"
    return
  fi
  expect "picture signature" BM "$(head -c 2 "$bmp")"
  expect "bits a pixel" 24 "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')"
  # A box that never reached the screen captures as one flat colour.
  local spread
  spread=$(convert "$bmp" -format '%[fx:standard_deviation > 0.05]' info:)
  expect "picture shows more than a blank" 1 "$spread"
  convert "$bmp" "$out/shots/box-1.png"
}

test_failures() {
  drive unanswered -- box 68 - "$question"
  expect_run unanswered 90 "$setup_box" \
    '{"error":"no answer left for a box with buttons yesno"}'
  drive wrong --answers yes -- box 0 - n
  expect_run wrong 90 \
    '{"caption":"setup","text":"n","buttons":"ok","icon":"none","systemModal":false,"code":0}' \
    '{"error":"the box has no button for the answer yes"}'
  drive stuck --answers yes --hold "$(win "$out/never")" --timeout 2 -- box 68 - "$question"
  expect_run stuck 91 "$setup_box" '{"error":"the hold was not released in time"}'
  # A program that shows no box at all: its exit code passes through.
  drive silent -- unknown-command
  expect_run silent 2 '{"exit":2}'
}

"test_$group"
[ "$failures" -eq 0 ] && echo "PASS [$group]"
[ "$failures" -eq 0 ]

#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double (with ASan and
# UBSan); the Windows tests and end-to-end scenarios of the x86_64 build under wine64, and of the
# i686 build that ships under WoW64; the checks on the shipped program, its release folder and its
# signature; the README's Ansible tasks, read by Ansible; the static checks; and each fuzz target
# for half a minute. Says how long each part took. A part that fails stops nothing: every part runs, and
# the last line counts the tests of them all (each test of a ctest run, each other part as one),
# with a failure status if any failed.
set -euo pipefail
cd "$(dirname "$0")/.."

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# What the parts counted, a line "PASSED FAILED" each; the parts that run beside each other add
# their lines as they end.
tally=$logs/tally
: >"$tally"

# part NAME COMMAND...: runs one part of the test and says how long it took. The command counts
# its tests in the tally, and fails only where the test cannot go on.
part() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

# check COMMAND...: one test, counted as passed or failed; the test goes on either way.
check() {
  local result="1 0"
  "$@" || result="0 1"
  echo "$result" >>"$tally"
}

# counted STATUS LOG: counts the tests of a ctest run that ended with STATUS and printed LOG, as
# its summary counts them. A run that failed without naming a failed test (one that could not
# start, say) counts as one failed test.
counted() {
  awk -v status="$1" '/tests passed, [0-9]+ tests failed out of/ { failed = $4; total = $NF }
    END { if (status && !failed) { failed++; total++ } print total - failed, failed }' \
    "$2" >>"$tally"
}

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

native_tests() {
  local status=0
  ctest --preset native -j"$(nproc)" | tee "$logs/native" || status=$?
  counted "$status" "$logs/native"
}

# The checks that only compute, in two independent lines: the shipped program, its release folder
# and its signature; and the README's Ansible tasks, the static checks and the fuzzing. They run
# at the lowest priority beside the Windows tests, whose time is mostly spent waiting for Wine, and
# use what those leave of the processors.
release_checks() {
  part "release checks" check tools/check-pe.sh build/win32-release/setup.exe i386
  part "release folder" check tools/check-dist.sh
  # The release folder holds the very bytes that the WoW64 scenarios ran.
  check cmp build/win32-release/setup.exe dist/setup.exe
  part "signing" check tools/check-signing.sh
}
source_checks() {
  part "README Ansible" check tools/check-readme-ansible.sh
  part "static checks" check tools/check-static.sh
  part "fuzzing" check scripts/fuzz.sh 30
}

# checks NAME: one line of checks, at the lowest priority, into a log of its own.
checks() {
  tally=$tally nice -n 19 bash -c "$(declare -f part check "$1"); set -euo pipefail; $1" \
    >"$logs/$1" 2>&1
}

# The Windows tests of one build but its interrupted-run test, into a log of their own; the
# machine they make stays for that test, whose label its removal shares.
windows_tests() {
  local status=0
  ctest --preset "$1" -j2 -LE interrupted -FC e2e_machine >"$logs/$1" 2>&1 || status=$?
  counted "$status" "$logs/$1"
}

# The interrupted-run test of one build, on the machine that its other tests made, which goes
# after it.
interrupted_tests() {
  local status=0
  ctest --preset "$1" -L interrupted -FS 'e2e_machine|e2e_programs' |
    tee "$logs/$1-interrupted" || status=$?
  counted "$status" "$logs/$1-interrupted"
}

# The Windows tests of both builds at once, and the checks beside them; then the two
# interrupted-run tests, one after the other and without the other Windows tests, because their
# kills are aimed at moments a few milliseconds long. The checks go on beside them: at the lowest
# priority they take only what the interrupted runs leave of the processors.
windows_tests_and_checks() {
  checks release_checks &
  local release=$!
  checks source_checks &
  local source=$!
  windows_tests win64 &
  local x64=$!
  windows_tests win32-release &
  local wow64=$!
  awaited "$x64" "$wow64"
  cat "$logs/win64" "$logs/win32-release"
  for preset in win64 win32-release; do
    part "interrupted runs, $preset" interrupted_tests "$preset"
  done
  awaited "$release" "$source"
  cat "$logs/release_checks" "$logs/source_checks"
}

# awaited PID...: waits for lines of tests run in the background; one that ended in a failure,
# which it counts in no other way, counts as one failed test.
awaited() {
  local job
  for job in "$@"; do
    wait "$job" || echo "0 1" >>"$tally"
  done
}

part "install" check scripts/install-deps.sh
for preset in native win64 win32-release; do
  part "build $preset" check build "$preset"
done
part "native tests" native_tests
part "Windows tests, scenarios and checks" windows_tests_and_checks

echo "== the whole test: $((SECONDS / 60)) min $((SECONDS % 60)) s"
read -r passed failed < <(awk '{ p += $1; f += $2 } END { print p + 0, f + 0 }' "$tally")
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double (with ASan and
# UBSan); the Windows tests and end-to-end scenarios of the x86_64 build under wine64, and of the
# i686 build that ships under WoW64; the checks on the shipped program, its release folder and its
# signature; the README's Ansible tasks, read by Ansible; the static checks; and each fuzz target
# for a minute. Says how long each part took.
set -euo pipefail
cd "$(dirname "$0")/.."

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# part NAME COMMAND...: runs one part of the test and says how long it took.
part() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

builds() {
  for preset in native win64 win32-release; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
  done
}

native_tests() {
  ctest --preset native -j"$(nproc)" | tee "$logs/native"
}

# The checks that only compute, in two independent lines: the shipped program, its release folder
# and its signature; and the README's Ansible tasks, the static checks and the fuzzing. They run
# at the lowest priority beside the Windows tests, whose time is mostly spent waiting for Wine, and
# use what those leave of the processors.
release_checks() {
  part "release checks" tools/check-pe.sh build/win32-release/setup.exe i386
  part "release folder" tools/check-dist.sh
  # The release folder holds the very bytes that the WoW64 scenarios ran.
  cmp build/win32-release/setup.exe dist/setup.exe
  part "signing" tools/check-signing.sh
}
source_checks() {
  part "README Ansible" tools/check-readme-ansible.sh
  part "static checks" tools/check-static.sh
  part "fuzzing" scripts/fuzz.sh 60
}

# checks NAME: one line of checks, at the lowest priority, into a log of its own.
checks() {
  nice -n 19 bash -c "$(declare -f part "$1"); set -euo pipefail; $1" >"$logs/$1" 2>&1
}

# The Windows tests of one build but its interrupted-run test, into a log of their own; the
# machine they make stays for that test, whose label its removal shares.
windows_tests() {
  ctest --preset "$1" -j2 -LE interrupted -FC e2e_machine >"$logs/$1" 2>&1
}

# The interrupted-run test of one build, on the machine that its other tests made, which goes
# after it.
interrupted_tests() {
  ctest --preset "$1" -L interrupted -FS 'e2e_machine|e2e_programs' | tee "$logs/$1-interrupted"
}

# The Windows tests of both builds at once, and the checks beside them; then the two
# interrupted-run tests, one after the other and without the other Windows tests, because their
# kills are aimed at moments a few milliseconds long. The checks go on beside them: at the lowest
# priority they take only what the interrupted runs leave of the processors.
windows_tests_and_checks() {
  local status=0
  checks release_checks &
  local release=$!
  checks source_checks &
  local source=$!
  windows_tests win64 &
  local x64=$!
  windows_tests win32-release &
  local wow64=$!
  wait "$x64" || status=1
  wait "$wow64" || status=1
  cat "$logs/win64" "$logs/win32-release"
  if [ "$status" -eq 0 ]; then
    for preset in win64 win32-release; do
      local start=$SECONDS
      interrupted_tests "$preset" || status=1
      echo "== interrupted runs, $preset: $((SECONDS - start)) s"
    done
  fi
  wait "$release" || status=1
  wait "$source" || status=1
  cat "$logs/release_checks" "$logs/source_checks"
  [ "$status" -eq 0 ]
}

part "install" scripts/install-deps.sh
part "builds" builds
part "native tests" native_tests
part "Windows tests, scenarios and checks" windows_tests_and_checks

# One closing line for the ctest runs, which each close with a line of their own.
passed=$(cat "$logs"/* | awk '/tests passed, 0 tests failed out of/ { sum += $NF } END { print sum + 0 }')
echo "ctest: $passed passed, 0 failed; the whole test took $((SECONDS / 60)) min $((SECONDS % 60)) s"

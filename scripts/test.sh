#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double (with ASan and
# UBSan); the Windows tests and end-to-end scenarios of the x86_64 build under wine64, and of the
# i686 build that ships under WoW64; the checks on the shipped program, its release folder and its
# signature; the static checks; and each fuzz target for a minute. Says how long each part took.
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

# The Windows tests of one build but its interrupted-run test, into a log of their own; the
# machine they make stays for that test.
windows_tests() {
  ctest --preset "$1" -j2 -E e2e_interrupted -FC e2e_machine >"$logs/$1" 2>&1
}

# The Windows tests of both builds at once, since most of a Wine test's time is spent waiting;
# then the two interrupted-run tests, one after the other and alone, because their kills are aimed
# at moments a few milliseconds long.
all_windows_tests() {
  local status=0
  windows_tests win64 &
  local x64=$!
  windows_tests win32-release &
  local wow64=$!
  wait "$x64" || status=1
  wait "$wow64" || status=1
  cat "$logs/win64" "$logs/win32-release"
  [ "$status" -eq 0 ]
  for preset in win64 win32-release; do
    ctest --preset "$preset" -R e2e_interrupted -FS 'e2e_machine|e2e_programs' |
      tee "$logs/$preset-interrupted"
  done
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

release_checks() {
  tools/check-pe.sh build/win32-release/setup.exe i386
  tools/check-dist.sh
  # The release folder holds the very bytes that the WoW64 scenarios ran.
  cmp build/win32-release/setup.exe dist/setup.exe
  tools/check-signing.sh
}

part "install" scripts/install-deps.sh
part "builds" builds
part "native tests" native_tests
part "Windows tests and scenarios" all_windows_tests
part "release checks" release_checks
part "static checks" scripts/check-static.sh
part "fuzzing" scripts/fuzz.sh 60

# One closing line for the ctest runs, which each close with a line of their own.
passed=$(cat "$logs"/* | awk '/tests passed, 0 tests failed out of/ { sum += $NF } END { print sum + 0 }')
echo "ctest: $passed passed, 0 failed; the whole test took $((SECONDS / 60)) min $((SECONDS % 60)) s"

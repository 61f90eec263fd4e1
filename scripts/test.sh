#!/bin/bash
# Builds every preset and runs every test: the native tests on the host double (with ASan and
# UBSan); the Windows tests and end-to-end scenarios of the x86_64 build under wine64, and of the
# i686 build that ships under WoW64; the checks on the shipped program, its release folder and its
# signature; the static checks; and each fuzz target for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in native win64 win32-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --preset native -j"$(nproc)" | tee -a "$log"
# Most of a Wine test's time is spent waiting, so two run at once even on two cores; the test of
# interrupted runs asks to run alone.
ctest --preset win64 -j2 | tee -a "$log"
ctest --preset win32-release -j2 | tee -a "$log"
tools/check-pe.sh build/win32-release/setup.exe i386
tools/check-dist.sh
# The release folder holds the very bytes that the WoW64 scenarios ran.
cmp build/win32-release/setup.exe dist/setup.exe
tools/check-signing.sh
scripts/check-static.sh
scripts/fuzz.sh 60

# One closing line for the ctest runs, which each close with a line of their own.
passed=$(awk '/tests passed, 0 tests failed out of/ { sum += $NF } END { print sum + 0 }' "$log")
echo "ctest: $passed passed, 0 failed"
